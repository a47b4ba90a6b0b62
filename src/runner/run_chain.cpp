#include "runner/run_chain.h"

namespace tamori::runner {

void run_chain_push(RunChain& chain, const std::string& file_name, const std::string& label, int32_t pending,
                    const std::string& parameter) {
  if (chain.entries.size() >= kMaxRunChainEntries) return;
  chain.entries.push_back({pending, file_name.substr(0, kMaxRunChainFileName), label.substr(0, kMaxRunChainLabel),
                           parameter.substr(0, kMaxRunParameter)});
}

void run_chain_pop(RunChain& chain) {
  if (!chain.entries.empty()) chain.entries.pop_back();
}

void run_chain_reset(RunChain& chain) { chain.entries.clear(); }

void run_chain_cancel_pending(RunChain& chain) {
  if (!chain.entries.empty() && chain.entries.back().pending) chain.entries.pop_back();
}

void run_chain_confirm_pending(RunChain& chain) {
  if (!chain.entries.empty()) chain.entries.back().pending = 0;
}

const RunChainEntry* run_chain_top(const RunChain& chain) {
  return chain.entries.empty() ? nullptr : &chain.entries.back();
}

}  // namespace tamori::runner
