#pragma once
// What an attacker does to a CRC-32: four bytes appended to any bytes that
// give the whole any CRC-32 wanted. Any thread.

#include <cstdint>
#include <string>

namespace test_support {

std::uint32_t Crc32Of(const std::string& bytes);
// `bytes` and four more whose CRC-32 is `target`.
std::string ForgedToCrc(const std::string& bytes, std::uint32_t target);

}  // namespace test_support
