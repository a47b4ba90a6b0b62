#include "machine/memory_functions.h"

#include <algorithm>
#include <cstring>

#include "machine/memory.h"

namespace tamori::machine {

namespace {

uint32_t wrap(int64_t address) { return static_cast<uint32_t>(address) & 0xffff; }

int64_t take_pending_cycles(MachineState& state) {
  int64_t cycles = state.pending_cpu_cycles;
  state.pending_cpu_cycles = 0;
  return cycles;
}

int64_t copy_cycles(int32_t len) { return len < 1 ? 0 : ((static_cast<int64_t>(len) & 0xffff) + 1) / 4; }

// Where a run of bytes inside one page lives: a span of byte storage, or a
// pixel page with the memory-byte offset of the run inside it.
struct PageStorage {
  uint8_t* bytes = nullptr;
  PixelPage* page = nullptr;
  int page_offset = 0;
};

bool pixel_page_offset(uint32_t address, uint32_t base, int* offset) {
  if (address < base || address - base >= static_cast<uint32_t>(kPixelPageMemoryBytes)) return false;
  *offset = static_cast<int>(address - base);
  return true;
}

// Resolves the storage of the page holding `address`; false when the page
// must go through the single-byte translation.
bool resolve_page_storage(MachineState& state, uint32_t address, bool for_writing, PageStorage* storage) {
  uint8_t code = state.mem_section[address >> 8];
  switch (code) {
    case kPageSpriteSource:
      storage->page = state.sprite_source;
      return pixel_page_offset(address, kSpriteSheetAddress, &storage->page_offset);
    case kPageDrawTarget:
      storage->page = state.draw_target;
      return pixel_page_offset(address, kScreenAddress, &storage->page_offset);
    case kPageMapBytes:
      if (address < kMapAddress || address >= kSpriteFlagsAddress) return false;
      storage->bytes = state.map_grid + (address - kMapAddress);
      return true;
    case kPageGeneralBytes:
    case kPageUpperBytes:
      // During a reset transition writes to general memory are dropped,
      // which the single-byte path does.
      if (for_writing && state.reset_transition_in_progress && address >= kGeneralMemoryAddress &&
          address < kRegistersAddress)
        return false;
      if (address >= kGeneralMemoryAddress && address < kPersistentDataAddress) {
        storage->bytes = state.shadow + address;
        return true;
      }
      if (address >= kUpperBlockBase && !state.upper_block_in_video_use[(address - kUpperBlockBase) / kUpperBlockSize]) {
        storage->bytes = state.shadow + address;
        return true;
      }
      return false;
    default:
      if (code >= kPageVideoBlock0 && code < kPageVideoBlock0 + kUpperBlockCount) {
        int block = code - kPageVideoBlock0;
        if (!state.upper_block_in_video_use[block]) return false;
        storage->page = &state.upper_video_pages[block];
        return pixel_page_offset(address, kUpperBlockBase + kUpperBlockSize * static_cast<uint32_t>(block),
                                 &storage->page_offset);
      }
      return false;
  }
}

// Bytes 0x1000..0x1fff keep the map grid's second half equal to the sprite
// pixels written there.
void refresh_shared_map_bytes(MachineState& state, uint32_t dest, int count, const PageStorage& written) {
  if (dest < kSharedSpriteMapAddress || dest >= kMapAddress || written.page == nullptr) return;
  pixel_page_pack_bytes(*written.page, written.page_offset, state.map_grid + 4096 + (dest - kSharedSpriteMapAddress),
                        count);
}

void copy_piece_bytewise(MachineState& state, uint32_t dest, uint32_t src, int count, bool backwards) {
  if (backwards) {
    for (int i = count - 1; i >= 0; --i) write_memory_byte(state, dest + i, read_memory_byte(state, src + i));
  } else {
    for (int i = 0; i < count; ++i) write_memory_byte(state, dest + i, read_memory_byte(state, src + i));
  }
}

// One piece that crosses no page boundary on either side.
void copy_piece(MachineState& state, uint32_t dest, uint32_t src, int count, bool backwards) {
  PageStorage to, from;
  if (!resolve_page_storage(state, dest, true, &to) || !resolve_page_storage(state, src, false, &from)) {
    copy_piece_bytewise(state, dest, src, count, backwards);
    return;
  }
  if (to.bytes && from.bytes) {
    std::memmove(to.bytes, from.bytes, static_cast<size_t>(count));
  } else if (to.page && from.page) {
    std::memmove(to.page->pixels + 2 * to.page_offset, from.page->pixels + 2 * from.page_offset,
                 static_cast<size_t>(2 * count));
  } else if (to.bytes) {
    pixel_page_pack_bytes(*from.page, from.page_offset, to.bytes, count);
  } else {
    pixel_page_unpack_bytes(*to.page, to.page_offset, from.bytes, count);
  }
  refresh_shared_map_bytes(state, dest, count, to);
}

void set_piece(MachineState& state, uint32_t dest, uint8_t value, int count) {
  PageStorage to;
  if (state.mem_section[dest >> 8] == kPageSpecial || !resolve_page_storage(state, dest, true, &to)) {
    for (int i = 0; i < count; ++i) write_memory_byte(state, dest + i, value);
    return;
  }
  if (to.bytes) {
    std::memset(to.bytes, value, static_cast<size_t>(count));
  } else {
    pixel_page_fill_bytes(*to.page, to.page_offset, value, count);
    if (dest >= kSharedSpriteMapAddress && dest < kMapAddress)
      std::memset(state.map_grid + 4096 + (dest - kSharedSpriteMapAddress), value, static_cast<size_t>(count));
  }
}

}  // namespace

bool memory_copy_runs_backwards(uint32_t dest, uint32_t src, uint32_t len) {
  dest &= 0xffff;
  src &= 0xffff;
  uint32_t dest_ahead = (dest - src) & 0xffff;
  uint32_t src_ahead = (src - dest) & 0xffff;
  bool dest_overlaps_tail = dest_ahead < len;
  bool src_overlaps_tail = src_ahead < len;
  if (dest_overlaps_tail && !src_overlaps_tail) return true;
  if (src_overlaps_tail && !dest_overlaps_tail) return false;
  return dest >= src;
}

int32_t peek_value(const MachineState& state, MemoryValueWidth width, int32_t address) {
  uint32_t a = wrap(address);
  switch (width) {
    case MemoryValueWidth::Byte: return read_memory_byte(state, a);
    case MemoryValueWidth::Word: {
      uint16_t word = static_cast<uint16_t>(read_memory_byte(state, a) | (read_memory_byte(state, a + 1) << 8));
      return static_cast<int16_t>(word);
    }
    case MemoryValueWidth::Long: {
      uint32_t word = 0;
      for (uint32_t i = 0; i < 4; ++i) word |= static_cast<uint32_t>(read_memory_byte(state, a + i)) << (8 * i);
      return static_cast<int32_t>(word);
    }
  }
  return 0;
}

void peek_values(const MachineState& state, MemoryValueWidth width, int32_t address, int32_t count,
                 int32_t* results) {
  int64_t step = static_cast<int>(width);
  for (int32_t i = 0; i < count; ++i) results[i] = peek_value(state, width, static_cast<int32_t>(wrap(address + i * step)));
}

int peek_cycles(int argument_count, int32_t count) {
  if (argument_count < 1) return 0;
  return 2 + static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(count) - 1, 0, 0x7fffff));
}

int poke_cycles(int argument_count) {
  int values = std::clamp(argument_count - 1, 1, kMaxPokeValues);
  return (argument_count > 1 ? 2 : 0) + values - 1;
}

int64_t poke_values(MachineState& state, MemoryValueWidth width, int32_t address, const int32_t* values,
                    int32_t count) {
  count = std::min(count, kMaxPokeValues);
  uint32_t bytes_per_value = static_cast<uint32_t>(width);
  uint32_t a = wrap(address);
  for (int32_t i = 0; i < count; ++i, a = (a + bytes_per_value) & 0xffff) {
    uint32_t value = static_cast<uint32_t>(values[i]);
    if (a >= kScreenAddress && a + bytes_per_value - 1 < kUpperBlockBase) {
      int offset = static_cast<int>(a - kScreenAddress);
      for (uint32_t b = 0; b < bytes_per_value; ++b)
        pixel_page_write_byte(*state.draw_target, offset + static_cast<int>(b), static_cast<uint8_t>(value >> (8 * b)));
    } else {
      for (uint32_t b = 0; b < bytes_per_value; ++b) write_memory_byte(state, a + b, value >> (8 * b));
    }
  }
  return take_pending_cycles(state);
}

int64_t memory_copy(MachineState& state, int32_t dest, int32_t src, int32_t len) {
  if (len < 1 || wrap(dest) == wrap(src)) return take_pending_cycles(state) + copy_cycles(len);
  uint32_t length = static_cast<uint32_t>(len) & 0xffff;
  uint32_t d0 = wrap(dest), s0 = wrap(src);
  bool backwards = memory_copy_runs_backwards(d0, s0, length);
  if (backwards) {
    for (uint32_t remaining = length; remaining > 0;) {
      uint32_t d_end = (d0 + remaining - 1) & 0xffff, s_end = (s0 + remaining - 1) & 0xffff;
      uint32_t n = std::min({remaining, (d_end & 255) + 1, (s_end & 255) + 1});
      copy_piece(state, d_end + 1 - n, s_end + 1 - n, static_cast<int>(n), true);
      remaining -= n;
    }
  } else {
    for (uint32_t done = 0; done < length;) {
      uint32_t d = (d0 + done) & 0xffff, s = (s0 + done) & 0xffff;
      uint32_t n = std::min({length - done, 256 - (d & 255), 256 - (s & 255)});
      copy_piece(state, d, s, static_cast<int>(n), false);
      done += n;
    }
  }
  return take_pending_cycles(state) + copy_cycles(len);
}

int64_t memory_set(MachineState& state, int32_t dest, int32_t value, int32_t len) {
  if (len < 1) return take_pending_cycles(state);
  uint32_t length = static_cast<uint32_t>(len) & 0xffff;
  uint8_t byte = static_cast<uint8_t>(value);
  uint32_t d0 = wrap(dest);
  for (uint32_t done = 0; done < length;) {
    uint32_t d = (d0 + done) & 0xffff;
    uint32_t n = std::min(length - done, 256 - (d & 255));
    set_piece(state, d, byte, static_cast<int>(n));
    done += n;
  }
  return take_pending_cycles(state) + copy_cycles(len);
}

void memory_copy_bytewise(MachineState& state, int32_t dest, int32_t src, int32_t len) {
  if (len < 1 || wrap(dest) == wrap(src)) return;
  uint32_t length = static_cast<uint32_t>(len) & 0xffff;
  uint32_t d0 = wrap(dest), s0 = wrap(src);
  if (memory_copy_runs_backwards(d0, s0, length)) {
    for (uint32_t i = length; i-- > 0;) write_memory_byte(state, d0 + i, read_memory_byte(state, s0 + i));
  } else {
    for (uint32_t i = 0; i < length; ++i) write_memory_byte(state, d0 + i, read_memory_byte(state, s0 + i));
  }
}

void memory_set_bytewise(MachineState& state, int32_t dest, int32_t value, int32_t len) {
  if (len < 1) return;
  uint32_t length = static_cast<uint32_t>(len) & 0xffff;
  for (uint32_t i = 0; i < length; ++i) write_memory_byte(state, wrap(dest) + i, static_cast<uint32_t>(value));
}

}  // namespace tamori::machine
