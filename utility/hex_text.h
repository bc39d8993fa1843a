#pragma once
// Bytes as lowercase hexadecimal text and back, two digits a byte, most
// significant digit first. Stateless; any thread.

#include <cstddef>
#include <cstdint>
#include <string>

// Writes `size` bytes to `out` only when `text` is exactly 2 * size lowercase
// hex digits; otherwise false, and `out` may be partly written.
bool ParseHex(const std::string& text, std::uint8_t* out, std::size_t size);
std::string HexText(const std::uint8_t* bytes, std::size_t size);
