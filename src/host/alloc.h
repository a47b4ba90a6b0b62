// The framework's allocator: every block carries an 8-byte header (a tag and
// the size) so that frees can be checked, and freed memory is poisoned.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tamori::host {

struct AllocatorCounts {
  int64_t allocations = 0;
  int64_t frees = 0;
  int64_t bytes_in_use = 0;
};

inline constexpr uint32_t kBlockTag = 0xc0d0b10c;
inline constexpr size_t kLargestRequest = 0x40000000;

void* ruvo_malloc(size_t size);
// Zeroed block with 16 spare bytes after the requested size.
void* ruvo_calloc(size_t size);
void* ruvo_realloc(void* block, size_t size);
void ruvo_free(void* block);

const AllocatorCounts& ruvo_allocator_counts();
// With deferred deallocation on (the -deferred_dealloc option), ruvo_free does nothing.
void ruvo_set_deferred_dealloc(bool deferred);

}  // namespace tamori::host
