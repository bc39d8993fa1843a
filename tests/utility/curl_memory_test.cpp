// libcurl's allocation functions: large blocks come back for the next
// allocation of their size, and nothing else changes what malloc and its
// kin promise.

#include "utility/curl_memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace {

using namespace kelpa::utility::kept_blocks;

// libcurl's receive buffer, as the worker sets it, and one byte more.
constexpr std::size_t kReceiveBuffer = 512 * 1024 + 1;

TEST(CurlMemory, AFreedReceiveBufferServesTheNextTransferAndTwoAreKeptAtMost) {
  void* first = allocate(kReceiveBuffer);
  ASSERT_NE(first, nullptr);
  std::memset(first, 0x5A, kReceiveBuffer);
  release(first);
  void* again = allocate(kReceiveBuffer);
  EXPECT_EQ(again, first);
  // Another size is not served from it.
  release(again);
  void* other = allocate(kReceiveBuffer + 16);
  EXPECT_NE(other, first);
  release(other);

  // The two freed last are kept and come back newest first; the one before
  // went back to the heap.
  void* blocks[3] = {allocate(kReceiveBuffer), allocate(kReceiveBuffer), allocate(kReceiveBuffer)};
  for (void* block : blocks) release(block);
  void* newest = allocate(kReceiveBuffer);
  void* next = allocate(kReceiveBuffer);
  EXPECT_EQ(newest, blocks[2]);
  EXPECT_EQ(next, blocks[1]);
  release(newest);
  release(next);
}

TEST(CurlMemory, ReallocateKeepsTheBytesAcrossEverySize) {
  char* text = duplicate("Veltra");
  ASSERT_STREQ(text, "Veltra");
  for (const std::size_t size : {std::size_t{64}, kReceiveBuffer, std::size_t{100 * 1024},
                                 std::size_t{7}, kReceiveBuffer * 2}) {
    text = static_cast<char*>(reallocate(text, size));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text, 6), "Veltra") << size;
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(text) % alignof(std::max_align_t), 0u);
  }
  release(text);
  release(nullptr);
}

TEST(CurlMemory, ZeroedAllocationIsZeroAndRefusesAnOverflowingCount) {
  auto* zeroed = static_cast<unsigned char*>(allocate_zeroed(3, kReceiveBuffer));
  ASSERT_NE(zeroed, nullptr);
  EXPECT_EQ(zeroed[0] | zeroed[kReceiveBuffer] | zeroed[3 * kReceiveBuffer - 1], 0);
  release(zeroed);
  // A kept block once written is zeroed too.
  void* used = allocate(kReceiveBuffer);
  std::memset(used, 0xFF, kReceiveBuffer);
  release(used);
  zeroed = static_cast<unsigned char*>(allocate_zeroed(1, kReceiveBuffer));
  EXPECT_EQ(zeroed[kReceiveBuffer - 1], 0);
  release(zeroed);
  EXPECT_EQ(allocate_zeroed(std::numeric_limits<std::size_t>::max() / 2, 4), nullptr);
  EXPECT_EQ(allocate(std::numeric_limits<std::size_t>::max()), nullptr);
}

}  // namespace
