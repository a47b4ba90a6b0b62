// The metering allocator: every heap block of a language state goes through
// it. Each block carries its charge (what it counts against the program's
// memory limit) in a header in front of it; the meter is the sum of the
// charges of all live blocks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tamori::lang {

// What a block is charged, by the kind of object it holds.
enum class ChargeKind : uint8_t {
  String,     // its size minus 8
  HalfSize,   // tables and closures: half the size
  RawMemory,  // arrays, node vectors, stacks, buffers: half, 0 while compiling
  Flat32,     // userdata, threads, prototypes, upvalues: 32 whatever the size
};

inline constexpr int32_t kSoftMemoryLimit = 0x204000;  // 2 MiB + 16 KiB
inline constexpr int32_t kHardMemoryLimit = 0x4000000; // 64 MiB

using AllocationMessageHook = void (*)(void* context, const char* line);

struct MemoryMeter {
  int32_t bytes = 0;           // sum of the charges of live blocks
  int32_t token_overhead = 0;  // 12 bytes per program token, set by the runner
  bool compiling = false;      // raw memory is free while the runner compiles
  // Set when an allocation found the meter above the soft limit; the runner
  // clears it after collecting.
  bool out_of_memory_flag = false;
  // Set when an allocation failed at the host limit and the failure has been
  // printed, so the runner does not report it again.
  bool allocation_error_reported = false;
  // Test hook: the allocation after this many more fails (negative: never).
  int32_t fail_after = -1;
  AllocationMessageHook message_hook = nullptr;
  void* message_context = nullptr;
  int64_t live_blocks = 0;
};

// Returns nullptr when the host limit refuses the request (after printing
// the host allocation error through the hook).
void* meter_allocate(MemoryMeter& meter, size_t size, ChargeKind kind);
void* meter_reallocate(MemoryMeter& meter, void* block, size_t new_size);
// Resizes a block in place when the allocator can, charging it as a fresh
// block of `kind` would be (so growing costs no more than allocate + free).
void* meter_regrow(MemoryMeter& meter, void* block, size_t new_size, ChargeKind kind);
void meter_free(MemoryMeter& meter, void* block);
// The charge a block of this size and kind would get now.
int32_t meter_charge_for(const MemoryMeter& meter, size_t size, ChargeKind kind);
// Meter plus token overhead, the figure compared with the limits.
inline int32_t meter_total(const MemoryMeter& meter) { return meter.bytes + meter.token_overhead; }

}  // namespace tamori::lang
