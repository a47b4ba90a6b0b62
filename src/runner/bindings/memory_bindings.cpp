#include "runner/bindings/memory_bindings.h"

#include <algorithm>
#include <vector>

#include "runner/language.h"
#include "lang/cpu_counters.h"
#include "machine/memory_files.h"
#include "machine/memory_functions.h"

namespace tamori::runner {
namespace {

// More results than this cannot be useful (addresses wrap at 64 KiB) and
// would only grow the stack without bound.
constexpr int32_t kMaxPeekResults = 0x10000;

using machine::MemoryValueWidth;

machine::MachineState* bound_machine = nullptr;
const machine::CartridgeStorage* bound_storage = nullptr;

void charge(int64_t cycles) { spend_cpu_8MHz(int32_t(std::clamp<int64_t>(cycles, 0, INT32_MAX))); }

int peek_width(ThreadState* thread, MemoryValueWidth width) {
  if (!bound_machine) return 0;
  const int arguments = get_top(thread);
  const int32_t address = integer_at(thread, 1);
  const int32_t count = arguments >= 2 && type_at(thread, 2) != ValueType::Nil ? integer_at(thread, 2) : 1;
  charge(machine::peek_cycles(arguments, count));
  if (count < 1) return 0;
  if (count > kMaxPeekResults) raise_error(thread, "too many peek results");
  std::vector<int32_t> values(size_t(count), 0);
  machine::peek_values(*bound_machine, width, address, count, values.data());
  for (int32_t value : values) {
    if (width == MemoryValueWidth::Long) push_number(thread, value);
    else push_integer(thread, value);
  }
  return count;
}

int peek(ThreadState* thread) { return peek_width(thread, MemoryValueWidth::Byte); }
int peek2(ThreadState* thread) { return peek_width(thread, MemoryValueWidth::Word); }
int peek4(ThreadState* thread) { return peek_width(thread, MemoryValueWidth::Long); }

int32_t poke_width(ThreadState* thread, MemoryValueWidth width) {
  if (!bound_machine) return 0;
  const int arguments = fast_argument_count(thread);
  const int32_t address = fast_raw_number(thread, 1) >> 16;
  const int32_t count = std::clamp<int32_t>(arguments - 1, 1, machine::kMaxPokeValues);
  std::vector<int32_t> values(size_t(count), 0);
  for (int32_t i = 0; i < count; i++) {
    int32_t raw = fast_raw_number(thread, i + 2);
    values[size_t(i)] = width == MemoryValueWidth::Long ? raw : raw >> 16;
  }
  int64_t cycles = machine::poke_values(*bound_machine, width, address, values.data(), count);
  charge(cycles + machine::poke_cycles(arguments));
  return 0;
}

int32_t poke(ThreadState* thread) { return poke_width(thread, MemoryValueWidth::Byte); }
int32_t poke2(ThreadState* thread) { return poke_width(thread, MemoryValueWidth::Word); }
int32_t poke4(ThreadState* thread) { return poke_width(thread, MemoryValueWidth::Long); }

int memcpy_native(ThreadState* thread) {
  if (!bound_machine) return 0;
  charge(machine::memory_copy(*bound_machine, integer_at(thread, 1), integer_at(thread, 2), integer_at(thread, 3)));
  return 0;
}

int memset_native(ThreadState* thread) {
  if (!bound_machine) return 0;
  charge(machine::memory_set(*bound_machine, integer_at(thread, 1), integer_at(thread, 2), integer_at(thread, 3)));
  return 0;
}

machine::MemoryFileRequest file_request(ThreadState* thread) {
  machine::MemoryFileRequest request;
  if (get_top(thread) >= 3) {
    request.dest = int16_t(integer_at(thread, 1));
    request.src = int16_t(integer_at(thread, 2));
    request.len = int16_t(integer_at(thread, 3));
  }
  std::string_view name;
  if (type_at(thread, 4) == ValueType::String && string_at(thread, 4, &name)) {
    request.has_filename = true;
    request.filename = std::string(name);
  }
  return request;
}

int finish_file_call(ThreadState* thread, const machine::MemoryFileResult& result) {
  charge(result.cpu_cycles);
  if (!result.has_result) return 0;
  push_integer(thread, result.value);
  return 1;
}

const machine::CartridgeStorage& storage() {
  static const machine::CartridgeStorage none;
  return bound_storage ? *bound_storage : none;
}

int reload(ThreadState* thread) {
  if (!bound_machine) return 0;
  return finish_file_call(thread, machine::reload_memory(*bound_machine, storage(), file_request(thread)));
}

int cstore(ThreadState* thread) {
  if (!bound_machine) return 0;
  return finish_file_call(thread, machine::cstore_memory(*bound_machine, storage(), file_request(thread)));
}

int32_t peek_operator(void* context, int32_t address, int width) {
  auto* machine = static_cast<machine::MachineState*>(context);
  int32_t value = machine::peek_value(*machine, MemoryValueWidth(width), address);
  return width == 4 ? value : int32_t(uint32_t(value) << 16);
}

}  // namespace

void register_memory_functions(ThreadState* state, machine::MachineState* machine,
                               const machine::CartridgeStorage* storage_record) {
  bound_machine = machine;
  bound_storage = storage_record;
  register_native(state, "peek", peek);
  register_native(state, "peek2", peek2);
  register_native(state, "peek4", peek4);
  register_fast(state, "poke", poke);
  register_fast(state, "poke2", poke2);
  register_fast(state, "poke4", poke4);
  register_native(state, "memcpy", memcpy_native);
  register_native(state, "memset", memset_native);
  register_native(state, "reload", reload);
  register_native(state, "cstore", cstore);
  if (machine) set_peek_hook(state, peek_operator, machine);
}

}  // namespace tamori::runner
