// Helpers shared by the native functions of the language library: argument
// errors worded like the reference design's, the length operator with
// "__len", and equality with "__eq". Indexes given to these helpers must be
// positive (counted from the bottom of the native's frame).
#pragma once

#include <cstdint>
#include <string_view>

#include "lang/state.h"

namespace tamori::lang {

// "bad argument #N to 'NAME' (PROBLEM)".
[[noreturn]] void raise_argument_error(ThreadState* thread, int argument, std::string_view function_name,
                                       std::string_view problem);
// The same with the problem "EXPECTED expected, got TYPE" ("no value" when
// the argument is missing).
[[noreturn]] void raise_type_error(ThreadState* thread, int argument, std::string_view function_name,
                                   std::string_view expected);

// Argument checks of the base functions: any value / a table.
void require_value(ThreadState* thread, int argument, std::string_view function_name);
void require_table(ThreadState* thread, int argument, std::string_view function_name);

// Pushes the field `name` of the metatable of the value at `index` (read
// raw) and returns true; pushes nothing and returns false when there is no
// metatable or the field is nil.
bool push_metafield(ThreadState* thread, int index, std::string_view name);

// The integer view of #t for the table at `index`: the "__len" metamethod's
// answer when there is one (which must be a number, else "object length is
// not a number"), else the border.
int32_t length_with_metamethod(ThreadState* thread, int index);

// Whether the values at `first` and `second` are equal as `==` sees them:
// raw equality, or the shared "__eq" metamethod of two tables.
bool values_equal(ThreadState* thread, int first, int second);

}  // namespace tamori::lang
