#pragma once
// Bytes as the lowercase hex digits the signed list and the build option
// are written in.

#include <cstddef>
#include <string>

inline std::string HexText(const unsigned char* bytes, std::size_t length) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(2 * length);
  for (std::size_t at = 0; at < length; ++at) {
    text += kDigits[bytes[at] >> 4];
    text += kDigits[bytes[at] & 0x0f];
  }
  return text;
}
