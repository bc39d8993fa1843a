#include "utility/hex_text.h"

namespace {

constexpr char kDigits[] = "0123456789abcdef";

// The digit's value, or -1 for anything but 0-9 and a-f. Uppercase is
// refused so that one value has one spelling, and texts compare as bytes do.
int DigitValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  return -1;
}

}  // namespace

bool ParseHex(const std::string& text, std::uint8_t* out, std::size_t size) {
  if (size > text.max_size() / 2 || text.size() != 2 * size) return false;
  for (std::size_t index = 0; index < size; ++index) {
    const int high = DigitValue(text[2 * index]);
    const int low = DigitValue(text[2 * index + 1]);
    if (high < 0 || low < 0) return false;
    out[index] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return true;
}

std::string HexText(const std::uint8_t* bytes, std::size_t size) {
  std::string text;
  text.reserve(2 * size);
  for (std::size_t index = 0; index < size; ++index) {
    text += kDigits[bytes[index] >> 4];
    text += kDigits[bytes[index] & 0x0F];
  }
  return text;
}
