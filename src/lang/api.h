// The embedding interface of the cartridge language: everything outside the
// interpreter (the console's built-in functions, the program runner, tests)
// uses only these functions.
//
// A state is the main thread of one language state. Native functions receive
// the thread they run on and see their arguments as stack indexes 1 ..
// get_top(); negative indexes count from the top (-1 is the last value).
// They push their results and return how many they pushed. Errors raised by
// raise_error (and by any run-time error inside a call) unwind to the nearest
// protected_call or coroutine resume; a native must not catch them.
//
// Fast functions are called without a frame: they read their arguments with
// fast_argument_count / fast_argument and return one raw number.
//
// Numbers are raw 16.16 values (lang/fixed.h). The integer view of a number
// is its raw value shifted right by 16 (floor).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lang/compiled_function.h"
#include "lang/state.h"

namespace tamori::lang {

// ---- States ----
ThreadState* create_state();
void destroy_state(ThreadState* state);

// ---- Stack ----
int get_top(ThreadState* thread);
void set_top(ThreadState* thread, int index);  // grows with nils or drops values
// Whether `slots` more values fit under the stack limit, for built-ins that
// return as many values as they are asked for.
bool can_grow_stack(ThreadState* thread, int64_t slots);
ValueType type_at(ThreadState* thread, int index);  // Nil for indexes past the top
const char* type_name_at(ThreadState* thread, int index);
// The value itself (for code inside the language core and tests).
Value value_at(ThreadState* thread, int index);

// Strict conversions: false when the value is not a number (or a numeric
// string) / not a string or number.
bool number_at(ThreadState* thread, int index, int32_t* raw);
bool string_at(ThreadState* thread, int index, std::string_view* text);
// Lenient conversions for built-ins: a missing or non-numeric value is 0.
int32_t raw_number_at(ThreadState* thread, int index);
int32_t integer_at(ThreadState* thread, int index);
bool truth_at(ThreadState* thread, int index);

// Moves the top value to `index`, shifting the values above it up.
void insert(ThreadState* thread, int index);

void push_nil(ThreadState* thread);
void push_number(ThreadState* thread, int32_t raw);
void push_integer(ThreadState* thread, int32_t whole);
void push_boolean(ThreadState* thread, bool value);
void push_string(ThreadState* thread, std::string_view text);
void push_value(ThreadState* thread, const Value& value);
void push_copy(ThreadState* thread, int index);
void push_native(ThreadState* thread, NativeFunction function);
void push_fast(ThreadState* thread, FastFunction function);
// A native closure whose `upvalue_count` upvalues are the values on top.
void push_native_closure(ThreadState* thread, NativeFunction function, int upvalue_count);
// The i-th upvalue (1-based) of the running native closure.
Value native_upvalue(ThreadState* thread, int i);
void push_new_table(ThreadState* thread, int array_size = 0, int hash_size = 0);

// ---- Tables and globals ----
// Pushes the registry: a table only native code sees, for values that must
// stay alive between calls (a coroutine the host resumes, for example).
void push_registry(ThreadState* thread);
// Raw access: t[key] with the key on top replaced by the value / t[key] = v
// with key and value on top (both popped).
void raw_get(ThreadState* thread, int table_index);
void raw_set(ThreadState* thread, int table_index);
void raw_get_integer(ThreadState* thread, int table_index, int32_t whole);
void raw_set_integer(ThreadState* thread, int table_index, int32_t whole);  // pops the value
// Indexing with metamethods: pushes t[name] / sets t[name] to the popped top.
void get_field(ThreadState* thread, int index, std::string_view name);
void set_field(ThreadState* thread, int index, std::string_view name);
// t[key] with metamethods, the key on top replaced by the value.
void get_table(ThreadState* thread, int index);
void get_global(ThreadState* thread, std::string_view name);
void set_global(ThreadState* thread, std::string_view name);  // pops the value
// Pushes the metatable and returns true, or pushes nothing and returns false.
bool get_metatable(ThreadState* thread, int index);
// Pops a table (or nil) and makes it the metatable of the table at `index`.
void set_metatable(ThreadState* thread, int index);
// Pushes the next key and value after the key on top (popped); false at the end.
bool next_entry(ThreadState* thread, int table_index);
int32_t raw_length(ThreadState* thread, int index);

// ---- Functions ----
// Pushes a Lua closure for the compiled main function, with the global table
// as its environment.
void load_function(ThreadState* thread, const CompiledFunction& function);
void register_native(ThreadState* thread, std::string_view name, NativeFunction function);
void register_fast(ThreadState* thread, std::string_view name, FastFunction function);

// Calls the function below the `argument_count` values on top; leaves
// `result_count` results (all with kMultipleResults).
void call(ThreadState* thread, int argument_count, int result_count);
// As call, returning RunStatus::Error with the error value on top instead of
// propagating the error.
RunStatus protected_call(ThreadState* thread, int argument_count, int result_count);

// Raises a run-time error with this message (no position is added).
[[noreturn]] void raise_error(ThreadState* thread, std::string_view message);
// Raises the value on top as the error.
[[noreturn]] void raise_error_value(ThreadState* thread);
// "chunk:line:" of the Lua function `level` frames up (1 = the caller of the
// running native), or "" when that is not a Lua function.
std::string where(ThreadState* thread, int level);

// "stack traceback:" and one line per frame of the thread, from `level`
// frames up (0 = the innermost, 1 = the caller of the running native).
std::string traceback(ThreadState* thread, int level);
// What the error that ended a coroutine left behind (its frames are gone by
// then): the traceback and the line its innermost Lua frame was running.
std::string error_traceback(ThreadState* coroutine);
int error_line(ThreadState* coroutine);

// ---- Fast functions ----
int fast_argument_count(ThreadState* thread);
// Argument i (1-based) of the running fast function; nil past the count.
Value fast_argument(ThreadState* thread, int i);
int32_t fast_raw_number(ThreadState* thread, int i);  // lenient, as raw_number_at

// ---- Coroutines ----
// Pushes a new coroutine that will run the function on top (popped).
ThreadState* new_coroutine(ThreadState* thread);
// Moves `argument_count` values from `from`'s top to the coroutine and
// resumes it; its results, yielded values or error value are moved back to
// `from`'s top, and their count stored in `result_count`.
RunStatus resume(ThreadState* coroutine, ThreadState* from, int argument_count, int* result_count);
// Used as `return yield(thread, n);` by a native: yields the top n values.
int yield(ThreadState* thread, int result_count);
bool can_yield(ThreadState* thread);
bool is_main_thread(ThreadState* thread);
const char* coroutine_status(ThreadState* coroutine, ThreadState* current);
// The running coroutine's escape flag (set when the cycle check suspended it).
int32_t& escape_flag(ThreadState* thread);

// ---- Memory and collection ----
// The collector is incremental (lang/collector.h). A full collection, then
// the queued finalizers; works whether the collector runs or not.
void collect(ThreadState* thread);
// One step of about `size` KiB of allocation's worth of work (0: a small
// step), then the queued finalizers; true when it finished a cycle.
bool collect_step(ThreadState* thread, int size);
// Stops or restarts the automatic steps at safe points (the runner steps
// between slice sections itself); a stopped cycle stays where it was.
void set_collector_running(ThreadState* thread, bool running);
bool collector_running(ThreadState* thread);
// Percentages: how far memory grows past what a cycle left before the next
// one starts, and how much work each step does per byte allocated.
void set_collector_pacing(ThreadState* thread, int pause, int step_multiplier);
int32_t memory_in_use(ThreadState* thread);  // the meter, without token overhead (the count)
MemoryMeter& memory_meter(ThreadState* thread);
void set_peek_hook(ThreadState* thread, PeekHook hook, void* context);

}  // namespace tamori::lang
