#pragma once
// libcurl's memory. Every transfer has an easy handle of its own, and each
// handle allocates its receive buffer afresh: with the program's 512 KiB
// buffer that is a block the heap takes from the system and gives back when
// the handle goes. Under wine a transfer into such a fresh block cost about
// 1.4 ms more than into a block used before (touching each page of fresh
// memory there costs about 1 ms for 512 KiB), more than a small piece's
// whole transfer. So the blocks of 64 KiB and more that libcurl frees are
// kept, the last two, for its next allocation of the same size; what is kept
// stays until the process ends.
//
// Any thread: libcurl may allocate on any thread of its own.

#include <curl/curl.h>

#include <cstddef>

namespace kelpa {
namespace utility {

// curl_global_init with the functions below; the same flags and result.
CURLcode global_init_with_kept_blocks(long flags);

// libcurl's malloc, free, realloc, strdup and calloc.
namespace kept_blocks {
void* allocate(std::size_t size);
void release(void* memory);
void* reallocate(void* memory, std::size_t size);
char* duplicate(const char* text);
void* allocate_zeroed(std::size_t count, std::size_t size);
}  // namespace kept_blocks

}  // namespace utility
}  // namespace kelpa
