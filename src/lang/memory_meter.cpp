#include "lang/memory_meter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lang/cpu_counters.h"

namespace tamori::lang {
namespace {

// 16 bytes keep the payload aligned for any object.
struct BlockHeader {
  size_t size;
  int32_t charge;
  int32_t padding;
};
static_assert(sizeof(BlockHeader) == 16);

BlockHeader* header_of(void* block) { return static_cast<BlockHeader*>(block) - 1; }

// The checks made before every allocation and reallocation. Returns false
// when the host limit refuses it.
bool admit_request(MemoryMeter& meter, size_t size) {
  if (meter.fail_after == 0) return false;
  if (meter.fail_after > 0) meter.fail_after--;
  int64_t total = int64_t(meter.bytes) + meter.token_overhead;
  if (total > kSoftMemoryLimit) {
    meter.out_of_memory_flag = true;
    lua_cpu_superyield();
  }
  if (total > kHardMemoryLimit || size > size_t(kHardMemoryLimit)) {
    if (meter.message_hook) {
      char line[64];
      meter.message_hook(meter.message_context, "host allocation error");
      std::snprintf(line, sizeof line, "%dmb + %dk\n", int(total >> 20), int(size >> 10));
      meter.message_hook(meter.message_context, line);
    }
    meter.allocation_error_reported = true;
    return false;
  }
  return true;
}

}  // namespace

int32_t meter_charge_for(const MemoryMeter& meter, size_t size, ChargeKind kind) {
  switch (kind) {
    case ChargeKind::String: return size > 8 ? int32_t(size - 8) : 0;
    case ChargeKind::HalfSize: return int32_t(size / 2);
    case ChargeKind::RawMemory: return meter.compiling ? 0 : int32_t(size / 2);
    case ChargeKind::Flat32: return 32;
  }
  return 0;
}

void* meter_allocate(MemoryMeter& meter, size_t size, ChargeKind kind) {
  if (!admit_request(meter, size)) return nullptr;
  auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
  if (!header) return nullptr;
  header->size = size;
  header->charge = meter_charge_for(meter, size, kind);
  header->padding = 0;
  meter.bytes += header->charge;
  meter.live_blocks++;
  return header + 1;
}

void* meter_reallocate(MemoryMeter& meter, void* block, size_t new_size) {
  if (!block) return meter_allocate(meter, new_size, ChargeKind::RawMemory);
  if (!admit_request(meter, new_size)) return nullptr;
  BlockHeader* old = header_of(block);
  size_t old_size = old->size;
  int32_t old_charge = old->charge;
  auto* header = static_cast<BlockHeader*>(std::realloc(old, sizeof(BlockHeader) + new_size));
  if (!header) return nullptr;
  meter.bytes -= old_charge;
  int32_t charge;
  if (old_charge == 0) {
    charge = 0;
  } else if (size_t(old_charge) == old_size / 2) {
    charge = int32_t(new_size / 2);
  } else {
    charge = int32_t(new_size);
  }
  header->size = new_size;
  header->charge = charge;
  meter.bytes += charge;
  return header + 1;
}

void* meter_regrow(MemoryMeter& meter, void* block, size_t new_size, ChargeKind kind) {
  if (!block) return meter_allocate(meter, new_size, kind);
  if (!admit_request(meter, new_size)) return nullptr;
  BlockHeader* old = header_of(block);
  int32_t old_charge = old->charge;
  auto* header = static_cast<BlockHeader*>(std::realloc(old, sizeof(BlockHeader) + new_size));
  if (!header) return nullptr;
  meter.bytes -= old_charge;
  header->size = new_size;
  header->charge = meter_charge_for(meter, new_size, kind);
  meter.bytes += header->charge;
  return header + 1;
}

void meter_free(MemoryMeter& meter, void* block) {
  if (!block) return;
  BlockHeader* header = header_of(block);
  meter.bytes -= header->charge;
  meter.live_blocks--;
  std::free(header);
}

}  // namespace tamori::lang
