// The cartridge memory functions peek, peek2, peek4, poke, poke2, poke4,
// memcpy and memset on plain integers. The language binding converts
// fixed-point arguments to their integer parts (poke4/peek4 use the raw
// 32-bit value) and charges the cycles these functions return.
#pragma once

#include <cstdint>

#include "machine/machine_state.h"

namespace tamori::machine {

// Width of one peek/poke value in bytes: 1, 2 or 4.
enum class MemoryValueWidth : int { Byte = 1, Word = 2, Long = 4 };

// Most values one poke call writes.
constexpr int32_t kMaxPokeValues = 32767;

// One value at `address`: a byte 0..255, a signed 16-bit integer, or the raw
// 32-bit little-endian value (a fixed-point number's bits). Addresses wrap.
int32_t peek_value(const MachineState& state, MemoryValueWidth width, int32_t address);

// `count` values at address, address + width, ... into `results` (which
// holds at least `count` entries); nothing when count < 1.
void peek_values(const MachineState& state, MemoryValueWidth width, int32_t address, int32_t count,
                 int32_t* results);

// CPU cycles of a peek call: 2 when called with arguments, plus count - 1.
int peek_cycles(int argument_count, int32_t count);

// Writes `count` values (at most kMaxPokeValues) from `address` on, low byte
// first: the low byte of each value for Byte, the low 16 bits for Word, all
// 32 bits for Long. Values that lie wholly in the screen go straight into the
// draw target's pixels. Returns the CPU cycles owed by side effects.
int64_t poke_values(MachineState& state, MemoryValueWidth width, int32_t address, const int32_t* values,
                    int32_t count);

// CPU cycles of a poke call with `argument_count` arguments (address included).
int poke_cycles(int argument_count);

// memcpy(dest, src, len): copies in page pieces, directly between storage
// forms where both sides have one format, and in the safe direction when
// the ranges overlap. Returns the CPU cycles: (len + 1) / 4, plus side effects.
int64_t memory_copy(MachineState& state, int32_t dest, int32_t src, int32_t len);

// memset(dest, val, len): fills with the low byte of val. Returns the cycles.
int64_t memory_set(MachineState& state, int32_t dest, int32_t value, int32_t len);

// The byte-by-byte forms of the two above, used for special pages and as
// the reference the page paths must agree with.
void memory_copy_bytewise(MachineState& state, int32_t dest, int32_t src, int32_t len);
void memory_set_bytewise(MachineState& state, int32_t dest, int32_t value, int32_t len);

// True when memcpy(dest, src, len) must copy from the end backwards. The
// modular distance is used so that ranges wrapping past 0xffff still copy
// as if through a temporary buffer.
bool memory_copy_runs_backwards(uint32_t dest, uint32_t src, uint32_t len);

}  // namespace tamori::machine
