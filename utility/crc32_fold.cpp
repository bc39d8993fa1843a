#include "utility/crc32_fold.h"

#include <zlib.h>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VELTRA_CRC_FOLD 1
#endif

namespace {

#ifdef VELTRA_CRC_FOLD

// Folding constants for the reflected polynomial 0xEDB88320: x^(4*128+32),
// x^(4*128-32), x^(128+32), x^(128-32) and x^64 modulo P, then the Barrett
// pair (floor(x^64 / P) and P itself).
#define VELTRA_FOLD_TARGET __attribute__((target("pclmul,sse4.1")))

VELTRA_FOLD_TARGET __m128i FoldInto(__m128i acc, __m128i next, __m128i constants) {
  const __m128i low = _mm_clmulepi64_si128(acc, constants, 0x00);
  const __m128i high = _mm_clmulepi64_si128(acc, constants, 0x11);
  return _mm_xor_si128(_mm_xor_si128(high, low), next);
}

VELTRA_FOLD_TARGET __m128i Load(const unsigned char* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// `running` is the complemented running value; length >= 64, a multiple of 16.
VELTRA_FOLD_TARGET std::uint32_t FoldBlocks(std::uint32_t running, const unsigned char* at,
                                            std::size_t length) {
  const __m128i by4 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
  const __m128i by1 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
  const __m128i to64 = _mm_set_epi64x(0, 0x0163cd6124);
  const __m128i barrett = _mm_set_epi64x(0x01f7011641, 0x01db710641);
  const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);

  __m128i x1 = _mm_xor_si128(Load(at), _mm_cvtsi32_si128(static_cast<int>(running)));
  __m128i x2 = Load(at + 16);
  __m128i x3 = Load(at + 32);
  __m128i x4 = Load(at + 48);
  at += 64;
  length -= 64;
  for (; length >= 64; at += 64, length -= 64) {
    x1 = FoldInto(x1, Load(at), by4);
    x2 = FoldInto(x2, Load(at + 16), by4);
    x3 = FoldInto(x3, Load(at + 32), by4);
    x4 = FoldInto(x4, Load(at + 48), by4);
  }
  x1 = FoldInto(x1, x2, by1);
  x1 = FoldInto(x1, x3, by1);
  x1 = FoldInto(x1, x4, by1);
  for (; length >= 16; at += 16, length -= 16) x1 = FoldInto(x1, Load(at), by1);

  // 128 bits to 64, then 64 to 32 by Barrett reduction.
  __m128i x2r = _mm_clmulepi64_si128(x1, by1, 0x10);
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2r);
  x2r = _mm_srli_si128(x1, 4);
  x1 = _mm_and_si128(x1, low32);
  x1 = _mm_xor_si128(_mm_clmulepi64_si128(x1, to64, 0x00), x2r);
  x2r = _mm_and_si128(x1, low32);
  x2r = _mm_clmulepi64_si128(x2r, barrett, 0x10);
  x2r = _mm_and_si128(x2r, low32);
  x2r = _mm_clmulepi64_si128(x2r, barrett, 0x00);
  x1 = _mm_xor_si128(x1, x2r);
  return static_cast<std::uint32_t>(_mm_extract_epi32(x1, 1));
}

bool DetectFold() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}

#endif

}  // namespace

bool Crc32FoldAvailable() {
#ifdef VELTRA_CRC_FOLD
  static const bool available = DetectFold();
  return available;
#else
  return false;
#endif
}

std::uint32_t Crc32Update(std::uint32_t crc, const void* data, std::size_t length) {
  const auto* at = static_cast<const unsigned char*>(data);
#ifdef VELTRA_CRC_FOLD
  if (length >= 64 && Crc32FoldAvailable()) {
    const std::size_t bulk = length & ~static_cast<std::size_t>(15);
    crc = ~FoldBlocks(~crc, at, bulk);
    at += bulk;
    length -= bulk;
  }
#endif
  return static_cast<std::uint32_t>(crc32_z(crc, at, length));
}
