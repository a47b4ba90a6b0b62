// Persistent cartridge data: 64 32-bit slots (the memory at 0x5e00..0x5eff)
// kept per identifier in a file named id + ".tmd.txt": 8 lines of 64
// lowercase hexadecimal digits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runner/language.h"

namespace tamori::runner {

inline constexpr size_t kCartDataSlots = 64;
inline constexpr size_t kMaxCartDataIdLength = 64;
inline constexpr size_t kMaxCartDataIds = 4;
inline constexpr size_t kCartDataReadLimit = 1024;
inline constexpr const char* kCartDataExtension = ".tmd.txt";

struct CartData {
  std::string id;                        // the open id; empty when none
  std::vector<std::string> ids_used;     // since the cartridge started
  int32_t saved_time_ms = -100000;
};

// The first 512 hexadecimal digits among the first 1024 bytes, 8 to a slot;
// missing slots are 0.
void parse_cart_data_file(std::string_view bytes, uint32_t* slots);
// 8 lines of 8 slots as "%08x", 520 bytes.
std::string format_cart_data_file(const uint32_t* slots);

// An empty id is "bad cart data id", a character outside a..z, 0..9, '_'
// and '-' is "cart data id: bad char"; null when the id is fine.
const char* cart_data_id_error(std::string_view id);

// cartdata, dget and dset.
void register_cart_data_functions(ThreadState* state);

}  // namespace tamori::runner
