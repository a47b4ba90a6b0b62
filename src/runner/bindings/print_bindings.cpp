#include "runner/bindings/print_bindings.h"

#include <string>

#include "runner/language.h"
#include "runner/bindings/binding_arguments.h"
#include "lang/number_text.h"
#include "runner/program_runner.h"
#include "machine/print_functions.h"

namespace tamori::runner {
namespace {

machine::MachineState* bound_machine = nullptr;
machine::TextState* bound_text = nullptr;

// Any value as printed text: numbers in the language's format, booleans
// by name, everything else as its type name in brackets.
std::string printed_text(ThreadState* thread, int index) {
  switch (type_at(thread, index)) {
    case ValueType::Number: return number_to_text(raw_number_at(thread, index));
    case ValueType::Boolean: return truth_at(thread, index) ? "true" : "false";
    case ValueType::String: {
      std::string_view text;
      string_at(thread, index, &text);
      return std::string(text);
    }
    default: return std::string("[") + type_name_at(thread, index) + "]";
  }
}

bool cartridge_program_running() {
  const RunControl* control = program_runner().host.control;
  return control && control->program_running;
}

// print(str), print(str, col), print(str, x, y), print(str, x, y, col).
int print(ThreadState* thread) {
  const int arguments = get_top(thread);
  if (!bound_machine || !bound_text || arguments == 0) return 0;
  machine::PrintArguments request;
  request.text = printed_text(thread, 1);
  request.program_running = cartridge_program_running();
  if (arguments == 2) {
    request.colour = optional_raw_number(thread, 2);
  } else if (arguments >= 3) {
    request.x = integer_at(thread, 2);
    request.y = integer_at(thread, 3);
    request.colour = optional_raw_number(thread, 4);
  }
  machine::PrintResult result = machine::print(*bound_machine, *bound_text, request);
  charge_drawing(result.cycles);
  if (!result.finished) {
    // The rest is printed on later ticks; this frame ends here.
    lua_cpu_superyield();
    return 0;
  }
  push_integer(thread, result.max_x);
  push_integer(thread, result.max_y);
  return 2;
}

}  // namespace

int print_function(ThreadState* thread) { return print(thread); }

void register_print_functions(ThreadState* state, machine::MachineState* machine, machine::TextState* text) {
  bound_machine = machine;
  bound_text = text;
  register_native(state, "print", print);
  register_native(state, "__print", print);
}

bool continue_waiting_print(machine::MachineState* machine, machine::TextState* text) {
  if (!machine || !text || !text->print.active) return false;
  charge_drawing(machine::continue_print(*machine, *text).cycles);
  return true;
}

}  // namespace tamori::runner
