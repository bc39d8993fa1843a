#include "utility/curl_memory.h"

#include <array>
#include <boost/thread/mutex.hpp>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace kelpa {
namespace utility {
namespace {

constexpr std::size_t kKeptSize = 64 * 1024;

// Before every block: its size, so that a freed one can be kept by it. The
// alignment keeps the caller's part aligned as malloc's is.
struct alignas(std::max_align_t) BlockHeader {
  std::size_t size;
};

BlockHeader* HeaderOf(void* memory) { return static_cast<BlockHeader*>(memory) - 1; }

class CKeptBlocks {
 public:
  // A kept block of exactly that size, or null.
  BlockHeader* Take(std::size_t size) {
    const boost::mutex::scoped_lock lock(m_guard);
    for (std::size_t i = m_blocks.size(); i-- > 0;) {
      if (m_blocks[i] != nullptr && m_blocks[i]->size == size) {
        BlockHeader* const block = m_blocks[i];
        // The gap goes to the front, where the oldest stand.
        for (; i > 0; --i) m_blocks[i] = m_blocks[i - 1];
        m_blocks[0] = nullptr;
        return block;
      }
    }
    return nullptr;
  }
  // Keeps the block in place of the one kept longest, which is handed back
  // for the caller to free (null when there was room): a size asked for once
  // does not hold its place for good.
  BlockHeader* Keep(BlockHeader* block) {
    const boost::mutex::scoped_lock lock(m_guard);
    BlockHeader* const oldest = m_blocks[0];
    for (std::size_t i = 0; i + 1 < m_blocks.size(); ++i) m_blocks[i] = m_blocks[i + 1];
    m_blocks.back() = block;
    return oldest;
  }

 private:
  boost::mutex m_guard;
  std::array<BlockHeader*, 2> m_blocks{};  // oldest first; gaps at the front
};

// Never destroyed: libcurl may free after static objects have gone.
CKeptBlocks& Kept() {
  static CKeptBlocks* const kept = new CKeptBlocks;
  return *kept;
}

}  // namespace

namespace kept_blocks {

void* allocate(std::size_t size) {
  if (size > std::numeric_limits<std::size_t>::max() - sizeof(BlockHeader)) return nullptr;
  BlockHeader* block = size >= kKeptSize ? Kept().Take(size) : nullptr;
  if (block == nullptr) {
    block = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
    if (block == nullptr) return nullptr;
    block->size = size;
  }
  return block + 1;
}

void release(void* memory) {
  if (memory == nullptr) return;
  BlockHeader* const block = HeaderOf(memory);
  std::free(block->size >= kKeptSize ? Kept().Keep(block) : block);
}

void* reallocate(void* memory, std::size_t size) {
  if (memory == nullptr) return allocate(size);
  const std::size_t old = HeaderOf(memory)->size;
  if (old < kKeptSize && size < kKeptSize) {
    auto* const block =
        static_cast<BlockHeader*>(std::realloc(HeaderOf(memory), sizeof(BlockHeader) + size));
    if (block == nullptr) return nullptr;
    block->size = size;
    return block + 1;
  }
  void* const moved = allocate(size);
  if (moved == nullptr) return nullptr;
  std::memcpy(moved, memory, old < size ? old : size);
  release(memory);
  return moved;
}

char* duplicate(const char* text) {
  const std::size_t length = std::strlen(text) + 1;
  void* const copy = allocate(length);
  return copy != nullptr ? static_cast<char*>(std::memcpy(copy, text, length)) : nullptr;
}

void* allocate_zeroed(std::size_t count, std::size_t size) {
  if (size != 0 && count > std::numeric_limits<std::size_t>::max() / size) return nullptr;
  void* const memory = allocate(count * size);
  return memory != nullptr ? std::memset(memory, 0, count * size) : nullptr;
}

}  // namespace kept_blocks

CURLcode global_init_with_kept_blocks(long flags) {
  using namespace kept_blocks;
  return curl_global_init_mem(flags, &allocate, &release, &reallocate, &duplicate,
                              &allocate_zeroed);
}

}  // namespace utility
}  // namespace kelpa
