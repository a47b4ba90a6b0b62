#include "host/alloc.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tamori::host {
namespace {

struct BlockHeader {
  uint32_t tag;
  uint32_t size;
};
static_assert(sizeof(BlockHeader) == 8);

AllocatorCounts counts;
bool deferred_dealloc = false;

BlockHeader* header_of(void* block) { return static_cast<BlockHeader*>(block) - 1; }

void* allocate(size_t size, size_t spare, bool zeroed) {
  if (size > kLargestRequest) return nullptr;
  size_t total = sizeof(BlockHeader) + size + spare;
  void* raw = zeroed ? std::calloc(1, total) : std::malloc(total);
  if (!raw) return nullptr;
  auto* header = static_cast<BlockHeader*>(raw);
  header->tag = kBlockTag;
  header->size = uint32_t(size + spare);
  counts.allocations++;
  counts.bytes_in_use += int64_t(size + spare);
  return header + 1;
}

}  // namespace

void* ruvo_malloc(size_t size) { return allocate(size, 0, false); }

void* ruvo_calloc(size_t size) { return allocate(size, 16, true); }

void* ruvo_realloc(void* block, size_t size) {
  if (!block) return ruvo_malloc(size);
  BlockHeader* header = header_of(block);
  if (header->tag != kBlockTag) {
    std::printf("ruvo_free fail %x %x\n", header->tag, header->size);
    return nullptr;
  }
  void* fresh = ruvo_malloc(size);
  if (!fresh) return nullptr;
  std::memcpy(fresh, block, header->size < size ? header->size : size);
  ruvo_free(block);
  return fresh;
}

void ruvo_free(void* block) {
  if (!block || deferred_dealloc) return;
  BlockHeader* header = header_of(block);
  if (header->tag != kBlockTag) {
    std::printf("ruvo_free fail %x %x\n", header->tag, header->size);
    return;
  }
  // Poison the block so that a use after free shows up as 0xdeadbeef.
  static const uint8_t poison[4] = {0xef, 0xbe, 0xad, 0xde};
  auto* bytes = static_cast<uint8_t*>(block);
  for (uint32_t i = 0; i < header->size; i++) bytes[i] = poison[i & 3];
  counts.frees++;
  counts.bytes_in_use -= header->size;
  header->tag = 0;
  header->size = 0;
  std::free(header);
}

const AllocatorCounts& ruvo_allocator_counts() { return counts; }

void ruvo_set_deferred_dealloc(bool deferred) { deferred_dealloc = deferred; }

}  // namespace tamori::host
