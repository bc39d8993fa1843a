#include "platform/win32/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

class CConverter {
 public:
  CConverter(const char* to, const char* from) : m_handle(iconv_open(to, from)) {}
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

// Converts `length` bytes; where iconv finds a unit it cannot take, `stand_in`
// writes what stands for the unit at that place and says how many bytes it
// covered.
template <typename Output, typename StandIn>
Output Convert(const char* to, const char* from, const char* text, std::size_t length,
               StandIn stand_in) {
  using Unit = typename Output::value_type;
  Output result;
  CConverter converter(to, from);
  if (!converter.Usable()) return result;
  char* in = const_cast<char*>(text);
  std::size_t inLeft = length;
  Unit buffer[256];
  while (inLeft > 0) {
    char* out = reinterpret_cast<char*>(buffer);
    std::size_t outLeft = sizeof buffer;
    const std::size_t done = iconv(converter.Handle(), &in, &inLeft, &out, &outLeft);
    result.append(buffer, reinterpret_cast<Unit*>(out) - buffer);
    if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
      const std::size_t covered = std::min(stand_in(in, result), inLeft);
      in += covered;
      inLeft -= covered;
    }
  }
  return result;
}

// Windows reads the bytes 1254 leaves without a letter (81, 8D to 90, 9D,
// 9E) as the control characters of the same value.
std::u16string FromCodePage1254(const char* text, std::size_t length) {
  return Convert<std::u16string>("UTF-16LE", "CP1254", text, length,
                                 [](const char* at, std::u16string& out) {
                                   out += static_cast<char16_t>(static_cast<unsigned char>(*at));
                                   return std::size_t{1};
                                 });
}

std::u16string FromUtf8(const char* text, std::size_t length) {
  return Convert<std::u16string>("UTF-16LE", "UTF-8", text, length,
                                 [](const char*, std::u16string& out) {
                                   out += kReplacement;
                                   return std::size_t{1};
                                 });
}

std::string ToUtf8(const char16_t* wide, std::size_t units) {
  return Convert<std::string>("UTF-8", "UTF-16LE", reinterpret_cast<const char*>(wide),
                              units * sizeof(char16_t), [](const char*, std::string& out) {
                                out += "\xEF\xBF\xBD";
                                return sizeof(char16_t);
                              });
}

// The Windows rule for the output buffer: with no room asked for, the length
// needed; otherwise the whole text or nothing.
template <typename Text, typename Unit>
int Deliver(const Text& converted, Unit* output, int outputLength) {
  const int needed = static_cast<int>(converted.size());
  if (outputLength == 0) return needed;
  if (output == nullptr || outputLength < needed) return 0;
  converted.copy(output, converted.size());
  return needed;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR text, int length, LPWSTR wide,
                        int wideLength) {
  const bool known = codePage == CP_ACP || codePage == kTextCodePage || codePage == CP_UTF8;
  if (!known || text == nullptr || length < -1) return 0;
  const std::size_t bytes =
      length < 0 ? std::char_traits<char>::length(text) + 1 : static_cast<std::size_t>(length);
  const std::u16string converted =
      codePage == CP_UTF8 ? FromUtf8(text, bytes) : FromCodePage1254(text, bytes);
  return Deliver(converted, wide, wideLength);
}

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wide, int wideLength, LPSTR text, int length,
                        LPCSTR defaultChar, BOOL* usedDefault) {
  if (codePage != CP_UTF8 || wide == nullptr || wideLength < -1 || defaultChar != nullptr ||
      usedDefault != nullptr) {
    return 0;
  }
  const std::size_t units = wideLength < 0 ? std::char_traits<char16_t>::length(wide) + 1
                                           : static_cast<std::size_t>(wideLength);
  return Deliver(ToUtf8(wide, units), text, length);
}
