// Run-time error messages that name the variable involved, as in
// "attempt to index global 'foo' (a nil value)": the origin of a value is
// found from the function's code (which instruction last set the register)
// and its local variable and upvalue names.
#pragma once

#include <string>

#include "lang/state.h"

namespace tamori::lang {

// The kind and name of the variable `value` was read from, or false.
bool value_origin(ThreadState* thread, const Value* value, std::string* kind, std::string* name);

// The kind and name of register `reg` of `prototype` just before instruction
// `last_pc`, found from the instruction that last set it, or false.
bool name_of_register(const Prototype* prototype, int last_pc, int reg, std::string* kind, std::string* name);

// The kind and name of register `reg` of the running Lua function at its
// saved pc ("global", "local", "field", "upvalue", "method", "constant"),
// or false.
bool register_name(ThreadState* thread, int reg, std::string* kind, std::string* name);

// The kind and name of the function called by the call instruction at `pc`
// (as a traceback names it), or false when the instruction is no call.
bool call_site_name(const Prototype* prototype, int pc, std::string* kind, std::string* name);

[[noreturn]] void type_error(ThreadState* thread, const Value* value, const char* operation);
[[noreturn]] void arithmetic_error(ThreadState* thread, const Value* a, const Value* b);
[[noreturn]] void concatenation_error(ThreadState* thread, const Value* a, const Value* b);
[[noreturn]] void order_error(ThreadState* thread, const Value* a, const Value* b);

}  // namespace tamori::lang
