// Metamethod look-up and the slow paths of the instructions: string
// coercion, "__index"/"__newindex" chains, arithmetic, comparison and
// concatenation fallbacks. Each slow path either finishes its work at once
// or starts a metamethod call flagged to complete the instruction when it
// returns (so a Lua metamethod runs as a frame of the dispatch loop).
#pragma once

#include "lang/number_ops.h"
#include "lang/state.h"

namespace tamori::lang {

// The metamethod of `value` for `event`, or nil. Only tables have metatables.
const Value& metamethod_of(ThreadState* thread, const Value& value, Event event);

// A number from a number or a string by the text-to-number rule.
bool to_number(const Value& value, int32_t* raw);

// What resolving an index or an assignment found: either the result is
// final (`done`) or `handler` must be called with `object` (and the key, and
// for assignments the value).
struct IndexResolution {
  bool done = false;
  Value result;
  Value handler;
  Value object;
};

// Walks "__index" chains from `object` (its origin is used for error names).
IndexResolution resolve_index(ThreadState* thread, const Value* object, const Value& key);
// Walks "__newindex" chains; stores the value itself when the chain ends in
// a table.
IndexResolution resolve_new_index(ThreadState* thread, const Value* object, const Value& key,
                                  const Value& value);

// String indexing: a character of `text` or nil.
Value index_string(ThreadState* thread, const Value& text, const Value& key);

// Starts a metamethod call with up to three arguments placed at the top of
// the current Lua frame, wanting one result; the instruction is completed
// when it returns. Returns true when a Lua frame was pushed.
bool call_metamethod_for_instruction(ThreadState* thread, const Value& handler, const Value& a,
                                     const Value& b, const Value* c, uint8_t flags);

// The slow path of the arithmetic instructions, storing into `destination`
// (a stack slot) or calling a metamethod. `b` and `c` point at the operands.
void arithmetic_slow(ThreadState* thread, ArithOp op, const Value* b, const Value* c, int destination);
// Reads console memory through the state's peek hook.
int32_t peek_memory(ThreadState* thread, ArithOp op, int32_t address);

// Equality with "__eq"; returns -1 when a metamethod call was started.
int equal_values(ThreadState* thread, const Value* a, const Value* b);
// Order comparisons with "__lt"/"__le"; returns -1 when a metamethod call was
// started.
int less_than(ThreadState* thread, const Value* a, const Value* b);
int less_equal(ThreadState* thread, const Value* a, const Value* b);

// Concatenates the values from slot `first` up to the thread's top - 1,
// right to left, leaving the result at `first`. Returns false when it had to
// start a "__concat" call (it resumes from finish_instruction).
bool concatenate(ThreadState* thread, int first);

// The length of a value, or a started "__len" call (returns false).
bool length_of(ThreadState* thread, const Value* value, int destination);

}  // namespace tamori::lang
