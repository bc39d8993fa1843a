#include "tests/support/forged_crc.h"

#include <zlib.h>

#include <utility>

namespace test_support {

std::uint32_t Crc32Of(const std::string& bytes) {
  return static_cast<std::uint32_t>(
      crc32_z(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

// Over equal lengths the CRC is affine in the bits, and 32 consecutive bits
// always span every value: Gaussian elimination over GF(2) finds the bits
// of the tail whose columns sum to the change needed.
std::string ForgedToCrc(const std::string& bytes, std::uint32_t target) {
  const std::string base = bytes + std::string(4, '\0');
  const std::uint32_t start = Crc32Of(base);
  const auto flip = [&](std::string& text, int bit) {
    text[bytes.size() + bit / 8] ^= static_cast<char>(1 << (bit % 8));
  };
  std::uint32_t rows[32];
  std::uint32_t combination[32];
  for (int bit = 0; bit < 32; ++bit) {
    std::string flipped = base;
    flip(flipped, bit);
    rows[bit] = Crc32Of(flipped) ^ start;
    combination[bit] = 1u << bit;
  }
  std::uint32_t want = start ^ target, chosen = 0;
  for (int pivot = 31, row = 0; pivot >= 0; --pivot) {
    int found = -1;
    for (int r = row; r < 32 && found < 0; ++r) {
      if (rows[r] >> pivot & 1) found = r;
    }
    if (found < 0) continue;
    std::swap(rows[row], rows[found]);
    std::swap(combination[row], combination[found]);
    for (int r = 0; r < 32; ++r) {
      if (r != row && (rows[r] >> pivot & 1)) {
        rows[r] ^= rows[row];
        combination[r] ^= combination[row];
      }
    }
    if (want >> pivot & 1) {
      want ^= rows[row];
      chosen ^= combination[row];
    }
    ++row;
  }
  std::string forged = base;
  for (int bit = 0; bit < 32; ++bit) {
    if (chosen >> bit & 1) flip(forged, bit);
  }
  return forged;
}

}  // namespace test_support
