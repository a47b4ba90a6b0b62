// The language library: the built-in functions a cartridge program gets
// from the language alone (tables, strings, numbers, base functions,
// coroutines and the cycle-counter hooks of the prelude). The console's
// machine, sound and system functions are registered elsewhere.
#pragma once

#include <string>

#include "lang/state.h"

namespace tamori::lang {

// Registers every function of the language library as a global of `thread`'s
// state.
void register_language_library(ThreadState* thread);

// The groups register_language_library is made of.
void open_base_library(ThreadState* thread);       // type, tostring, select, next, metatables, raw access, assert
void open_table_library(ThreadState* thread);      // add, del, deli, count, pack, unpack
void open_string_library(ThreadState* thread);     // sub, chr, ord, split
void open_number_library(ThreadState* thread);     // flr ... rotr (fast), tostr, tonum
// pack and unpack, which the prelude's coresume wrapper calls (the
// coresume shortcut in lang/coresume_shortcut.h recognises them).
int table_pack(ThreadState* thread);
int table_unpack(ThreadState* thread);

// open_coroutine_library is in lang/coroutine_library.h; __refund_cpu__,
// __yielded_to_escape_slice and __superyield come from open_cpu_functions in
// lang/cpu_functions.h.

// Whether __refund_cpu__ may give cycles back. The program runner clears it
// for a program that names the function itself, so that a cartridge cannot
// buy itself free cycles. Allowed in a new state.
void set_cpu_refund_allowed(ThreadState* thread, bool allowed);
bool cpu_refund_allowed(ThreadState* thread);

// The last assert that failed with a message of its own: the error it
// raised (with the calling line in front) and the message. The runner's
// error report recognises an assertion by the error text.
struct FailedAssertion {
  std::string error_text;
  std::string message;
};
FailedAssertion& last_failed_assertion();

}  // namespace tamori::lang
