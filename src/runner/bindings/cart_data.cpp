#include "runner/bindings/cart_data.h"

#include <cstdio>

#include "runner/language.h"
#include "lang/cpu_counters.h"
#include "runner/program_runner.h"
#include "machine/machine_state.h"

namespace tamori::runner {
namespace {

constexpr int32_t kSlotIndexLimit = 0x400000;  // 64.0 as a raw number

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

uint32_t* slots() {
  machine::MachineState* machine = program_runner().host.machine;
  return machine ? machine->persistent_data : nullptr;
}

std::string file_path(const std::string& id) { return program_runner().host.cdata_folder + id + kCartDataExtension; }

// Reads the id's file into the slots; true when a file was there.
bool load_slots(const std::string& id, uint32_t* data) {
  for (size_t i = 0; i < kCartDataSlots; i++) data[i] = 0;
  std::FILE* file = std::fopen(file_path(id).c_str(), "rb");
  if (!file) return false;
  char bytes[kCartDataReadLimit];
  size_t count = std::fread(bytes, 1, sizeof bytes, file);
  std::fclose(file);
  parse_cart_data_file(std::string_view(bytes, count), data);
  return true;
}

// Opens an id: the current data is saved first when the id changes.
bool open_cart_data(ThreadState* thread, const std::string& id) {
  ProgramRunner& runner = program_runner();
  if (!runner.host.control || !runner.host.control->program_running || !slots()) return false;
  if (const char* error = cart_data_id_error(id)) raise_error(thread, error);
  bool known = false;
  for (const std::string& used : runner.cart_data.ids_used) known = known || used == id;
  if (!known) {
    if (runner.cart_data.ids_used.size() >= kMaxCartDataIds) raise_error(thread, "too many cartdata() slots");
    runner.cart_data.ids_used.push_back(id);
  }
  if (id != runner.cart_data.id) {
    save_cart_data();
    runner.cart_data.id = id;
  }
  return load_slots(id, slots());
}

int cartdata(ThreadState* thread) {
  std::string_view id;
  if (get_top(thread) < 1 || type_at(thread, 1) != ValueType::String || !string_at(thread, 1, &id) ||
      id.size() > kMaxCartDataIdLength)
    return 0;
  bool loaded = open_cart_data(thread, std::string(id));
  spend_cpu(32);
  push_boolean(thread, loaded);
  return 1;
}

int dget(ThreadState* thread) {
  if (program_runner().cart_data.id.empty() || !slots()) raise_error(thread, "dget called before cartdata()");
  int32_t index = raw_number_at(thread, 1);
  push_number(thread, index >= 0 && index < kSlotIndexLimit ? int32_t(slots()[index >> 16]) : 0);
  return 1;
}

int dset(ThreadState* thread) {
  if (program_runner().cart_data.id.empty() || !slots()) raise_error(thread, "dset called before cartdata()");
  int32_t index = raw_number_at(thread, 1);
  if (index < 0 || index >= kSlotIndexLimit) return 0;
  uint32_t value = uint32_t(raw_number_at(thread, 2));
  uint32_t& slot = slots()[index >> 16];
  if (slot != value) program_runner().host.machine->persistent_data_dirty = true;
  slot = value;
  return 0;
}

}  // namespace

void parse_cart_data_file(std::string_view bytes, uint32_t* data) {
  for (size_t i = 0; i < kCartDataSlots; i++) data[i] = 0;
  size_t digits = 0;
  for (size_t i = 0; i < bytes.size() && i < kCartDataReadLimit && digits < kCartDataSlots * 8; i++) {
    int value = hex_value(bytes[i]);
    if (value < 0) continue;
    data[digits / 8] = (data[digits / 8] << 4) | uint32_t(value);
    digits++;
  }
  // A slot cut short by the end of the digits keeps the digits it got as
  // its high digits.
  if (digits % 8 != 0) data[digits / 8] <<= 4 * (8 - digits % 8);
}

std::string format_cart_data_file(const uint32_t* data) {
  std::string text;
  char digits[9];
  for (size_t row = 0; row < 8; row++) {
    for (size_t column = 0; column < 8; column++) {
      std::snprintf(digits, sizeof digits, "%08x", unsigned(data[row * 8 + column]));
      text += digits;
    }
    text += '\n';
  }
  return text;
}

const char* cart_data_id_error(std::string_view id) {
  if (id.empty()) return "bad cart data id";
  for (char c : id) {
    bool allowed = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    if (!allowed) return "cart data id: bad char";
  }
  return nullptr;
}

void save_cart_data() {
  ProgramRunner& runner = program_runner();
  machine::MachineState* machine = runner.host.machine;
  if (!machine || !machine->persistent_data_dirty) return;
  if (!runner.host.control || !runner.host.control->program_running) return;
  const std::string& id = runner.cart_data.id;
  if (id.empty() || id.size() > kMaxCartDataIdLength) return;
  machine->persistent_data_dirty = false;
  std::FILE* file = std::fopen(file_path(id).c_str(), "wb");
  if (!file) return;
  std::string text = format_cart_data_file(machine->persistent_data);
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

void register_cart_data_functions(ThreadState* state) {
  register_native(state, "cartdata", cartdata);
  register_native(state, "dget", dget);
  register_native(state, "dset", dset);
}

}  // namespace tamori::runner
