#include "platform/kernel/ansi_text.h"

#include <iconv.h>

#include <cerrno>

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

class CConverter {
 public:
  CConverter() : m_handle(iconv_open("UTF-8", "CP1254")) {}
  ~CConverter() {
    if (Usable()) iconv_close(m_handle);
  }
  CConverter(const CConverter&) = delete;
  CConverter& operator=(const CConverter&) = delete;
  bool Usable() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
  iconv_t Handle() const { return m_handle; }

 private:
  iconv_t m_handle;
};

}  // namespace

std::string AnsiToUtf8(const char* text, size_t length) {
  CConverter converter;
  if (!converter.Usable()) return std::string(text, length);
  std::string result;
  char* in = const_cast<char*>(text);
  size_t inLeft = length;
  char buffer[256];
  while (inLeft > 0) {
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    const size_t done = iconv(converter.Handle(), &in, &inLeft, &out, &outLeft);
    result.append(buffer, out);
    if (done == static_cast<size_t>(-1) && errno != E2BIG) {
      result += kReplacement;
      ++in;
      --inLeft;
    }
  }
  return result;
}
