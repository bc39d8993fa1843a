#pragma once
// CRC-32 of a block, continuing a running value: the same value and the same
// calling convention as zlib's crc32(). Where the processor has carry-less
// multiplication the bulk of the block is folded 64 bytes at a time (about
// five times zlib's speed here), so checking a piece as it arrives costs
// next to nothing; elsewhere, and for the short tail, zlib does the work.
// Stateless; any thread.

#include <cstddef>
#include <cstdint>

std::uint32_t Crc32Update(std::uint32_t crc, const void* data, std::size_t length);

// The folded path alone, for tests: false where the processor lacks it.
bool Crc32FoldAvailable();
