#include "platform/win32/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <string>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

class CConverter {
 public:
  CConverter() : m_handle(iconv_open("UTF-16LE", "CP1254")) {}
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

// Windows-1254 to UTF-16; a byte with no character becomes U+FFFD.
std::u16string FromCodePage1254(const char* text, std::size_t length) {
  std::u16string result;
  CConverter converter;
  if (!converter.Usable()) return result;
  char* in = const_cast<char*>(text);
  std::size_t inLeft = length;
  char16_t buffer[256];
  while (inLeft > 0) {
    char* out = reinterpret_cast<char*>(buffer);
    std::size_t outLeft = sizeof buffer;
    const std::size_t done = iconv(converter.Handle(), &in, &inLeft, &out, &outLeft);
    result.append(buffer, reinterpret_cast<char16_t*>(out) - buffer);
    if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
      result += kReplacement;
      ++in;
      --inLeft;
    }
  }
  return result;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR text, int length, LPWSTR wide,
                        int wideLength) {
  if ((codePage != CP_ACP && codePage != kTextCodePage) || text == nullptr || length < -1) {
    return 0;
  }
  const std::size_t bytes =
      length < 0 ? std::char_traits<char>::length(text) + 1 : static_cast<std::size_t>(length);
  const std::u16string converted = FromCodePage1254(text, bytes);
  const int needed = static_cast<int>(converted.size());
  if (wideLength == 0) return needed;
  if (wide == nullptr || wideLength < needed) return 0;
  converted.copy(wide, converted.size());
  return needed;
}
