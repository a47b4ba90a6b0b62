// The run chain: breadcrumbs left when one cartridge launches another, so
// that the launched one can go back. A stack of at most 511 entries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamori::runner {

inline constexpr size_t kMaxRunChainEntries = 511;
inline constexpr size_t kMaxRunChainFileName = 255;
inline constexpr size_t kMaxRunChainLabel = 16;
inline constexpr size_t kMaxRunParameter = 1023;

struct RunChainEntry {
  int32_t pending = 0;
  std::string file_name;
  std::string label;
  std::string parameter;
};

struct RunChain {
  std::vector<RunChainEntry> entries;
};

// Texts are cut to their field sizes; a full chain drops the push.
void run_chain_push(RunChain& chain, const std::string& file_name, const std::string& label, int32_t pending,
                    const std::string& parameter = "");
void run_chain_pop(RunChain& chain);
void run_chain_reset(RunChain& chain);
// Drops the top entry if it is still pending / clears its pending flag.
void run_chain_cancel_pending(RunChain& chain);
void run_chain_confirm_pending(RunChain& chain);
// The top entry, or null when the chain is empty.
const RunChainEntry* run_chain_top(const RunChain& chain);

}  // namespace tamori::runner
