#include "lang/metamethods.h"

#include <cstring>
#include <string>

#include "lang/cpu_counters.h"
#include "lang/errors.h"
#include "lang/fixed.h"
#include "lang/heap.h"
#include "lang/interpreter.h"
#include "lang/number_text.h"
#include "lang/table.h"
#include "lang/variable_names.h"

namespace tamori::lang {
namespace {

const Value kNil;

Event event_of(ArithOp op) { return Event(int(Event::Add) + int(op)); }

// Ordering of strings: bytewise, a prefix before the longer string.
int compare_strings(const StringObject* a, const StringObject* b) {
  size_t common = a->length < b->length ? a->length : b->length;
  int order = std::memcmp(a->bytes(), b->bytes(), common);
  if (order != 0) return order;
  if (a->length == b->length) return 0;
  return a->length < b->length ? -1 : 1;
}

// Turns a number slot into its text; false for other non-string values.
bool to_string_in_place(ThreadState* thread, Value* slot) {
  if (is_string(*slot)) return true;
  if (!is_number(*slot)) return false;
  *slot = string_value(intern_string(thread, number_to_text(slot->number)));
  return true;
}

}  // namespace

const Value& metamethod_of(ThreadState* thread, const Value& value, Event event) {
  if (value.type != ValueType::Table) return kNil;
  const TableObject* metatable = as_table(value)->metatable;
  if (!metatable) return kNil;
  return table_get_string(metatable, thread->global->event_names[int(event)]);
}

bool to_number(const Value& value, int32_t* raw) {
  if (is_number(value)) {
    *raw = value.number;
    return true;
  }
  if (is_string(value)) return text_to_number(string_view_of(as_string(value)), raw);
  return false;
}

Value index_string(ThreadState* thread, const Value& text, const Value& key) {
  int32_t raw;
  if (!is_number(key) && !is_string(key)) return Value();
  if (!to_number(key, &raw)) return Value();
  const StringObject* s = as_string(text);
  int64_t index = fixed_to_int(raw);
  if (index < 0) index += int64_t(s->length) + 1;
  if (index < 1 || index > int64_t(s->length)) return Value();
  return string_value(intern_string(thread, std::string_view(s->bytes() + index - 1, 1)));
}

IndexResolution resolve_index(ThreadState* thread, const Value* object, const Value& key) {
  IndexResolution resolution;
  Value current = *object;
  for (int step = 0; step < kMaxTagLoop; step++) {
    Value handler;
    if (is_table(current)) {
      const Value& found = table_get(as_table(current), key);
      if (!is_nil(found)) {
        resolution.done = true;
        resolution.result = found;
        return resolution;
      }
      handler = metamethod_of(thread, current, Event::Index);
      if (is_nil(handler)) {
        resolution.done = true;
        return resolution;
      }
    } else if (is_string(current)) {
      resolution.done = true;
      resolution.result = index_string(thread, current, key);
      return resolution;
    } else {
      handler = metamethod_of(thread, current, Event::Index);
      if (is_nil(handler)) type_error(thread, step == 0 ? object : &current, "index");
    }
    if (is_function(handler)) {
      resolution.handler = handler;
      resolution.object = current;
      return resolution;
    }
    current = handler;
  }
  throw_error_message(thread, "loop in gettable");
}

IndexResolution resolve_new_index(ThreadState* thread, const Value* object, const Value& key,
                                  const Value& value) {
  IndexResolution resolution;
  Value current = *object;
  for (int step = 0; step < kMaxTagLoop; step++) {
    Value handler;
    if (is_table(current)) {
      TableObject* table = as_table(current);
      const Value& existing = table_get(table, key);
      if (is_nil(existing)) handler = metamethod_of(thread, current, Event::NewIndex);
      if (is_nil(handler)) {
        table_set(thread, table, key, value);
        resolution.done = true;
        return resolution;
      }
    } else if (is_string(current)) {
      std::string kind, name;
      if (step == 0 && value_origin(thread, object, &kind, &name)) {
        throw_error_message(thread, "attempt to modify " + kind + " '" + name + "' (strings are immutable)");
      }
      type_error(thread, &current, "index");
    } else {
      handler = metamethod_of(thread, current, Event::NewIndex);
      if (is_nil(handler)) type_error(thread, step == 0 ? object : &current, "index");
    }
    if (is_function(handler)) {
      resolution.handler = handler;
      resolution.object = current;
      return resolution;
    }
    current = handler;
  }
  throw_error_message(thread, "loop in settable");
}

bool call_metamethod_for_instruction(ThreadState* thread, const Value& handler, const Value& a,
                                     const Value& b, const Value* c, uint8_t flags) {
  // Copy first: the operands may live in the stack, which may move.
  Value function = handler, first = a, second = b, third = c ? *c : Value();
  int slot = thread->top;
  ensure_stack(thread, 4);
  thread->stack[slot] = function;
  thread->stack[slot + 1] = first;
  thread->stack[slot + 2] = second;
  thread->top = slot + 3;
  if (c) {
    thread->stack[slot + 3] = third;
    thread->top = slot + 4;
  }
  return precall(thread, slot, 1, uint8_t(flags | kFrameFinishOp));
}

int32_t peek_memory(ThreadState* thread, ArithOp op, int32_t address) {
  GlobalState* global = thread->global;
  if (!global->peek_hook) return 0;
  int width = op == ArithOp::Peek ? 1 : op == ArithOp::Peek2 ? 2 : 4;
  return global->peek_hook(global->peek_context, fixed_to_int(address), width);
}

void arithmetic_slow(ThreadState* thread, ArithOp op, const Value* b, const Value* c, int destination) {
  int32_t x, y;
  bool unary = op == ArithOp::Not || op == ArithOp::Unm || op == ArithOp::Peek ||
               op == ArithOp::Peek2 || op == ArithOp::Peek4;
  bool numbers = to_number(*b, &x) && (unary || to_number(*c, &y));
  if (numbers) {
    if (unary) y = 0;
    int32_t result = 0;
    int extra_cycles = 0;
    if (!number_arith(op, x, y, &result, &extra_cycles)) result = peek_memory(thread, op, x);
    charge_cycles(extra_cycles);
    thread->stack[destination] = number_value(result);
    return;
  }
  Event event = event_of(op);
  Value handler = metamethod_of(thread, *b, event);
  if (is_nil(handler) && !unary) handler = metamethod_of(thread, *c, event);
  if (is_nil(handler)) {
    if (unary) type_error(thread, b, "perform arithmetic on");
    arithmetic_error(thread, b, c);
  }
  Value second = op == ArithOp::Unm ? *b : (unary ? number_value(0) : *c);
  call_metamethod_for_instruction(thread, handler, *b, second, nullptr, 0);
}

int equal_values(ThreadState* thread, const Value* a, const Value* b) {
  if (a->type != b->type) return 0;
  if (a->type != ValueType::Table) return raw_equal(*a, *b) ? 1 : 0;
  if (a->object == b->object) return 1;
  TableObject* first_metatable = as_table(*a)->metatable;
  TableObject* second_metatable = as_table(*b)->metatable;
  const Value& first = metamethod_of(thread, *a, Event::Eq);
  if (is_nil(first)) return 0;
  if (first_metatable != second_metatable) {
    const Value& second = metamethod_of(thread, *b, Event::Eq);
    if (is_nil(second) || !raw_equal(first, second)) return 0;
  }
  call_metamethod_for_instruction(thread, first, *a, *b, nullptr, 0);
  return -1;
}

int less_than(ThreadState* thread, const Value* a, const Value* b) {
  if (is_number(*a) && is_number(*b)) return number_less(a->number, b->number) ? 1 : 0;
  if (is_string(*a) && is_string(*b)) return compare_strings(as_string(*a), as_string(*b)) < 0 ? 1 : 0;
  Value handler = metamethod_of(thread, *a, Event::Lt);
  if (is_nil(handler)) handler = metamethod_of(thread, *b, Event::Lt);
  if (is_nil(handler)) order_error(thread, a, b);
  call_metamethod_for_instruction(thread, handler, *a, *b, nullptr, 0);
  return -1;
}

int less_equal(ThreadState* thread, const Value* a, const Value* b) {
  if (is_number(*a) && is_number(*b)) return number_less_equal(a->number, b->number) ? 1 : 0;
  if (is_string(*a) && is_string(*b)) return compare_strings(as_string(*a), as_string(*b)) <= 0 ? 1 : 0;
  Value handler = metamethod_of(thread, *a, Event::Le);
  if (is_nil(handler)) handler = metamethod_of(thread, *b, Event::Le);
  if (!is_nil(handler)) {
    call_metamethod_for_instruction(thread, handler, *a, *b, nullptr, 0);
    return -1;
  }
  // a <= b as not (b < a).
  handler = metamethod_of(thread, *b, Event::Lt);
  if (is_nil(handler)) handler = metamethod_of(thread, *a, Event::Lt);
  if (is_nil(handler)) order_error(thread, a, b);
  call_metamethod_for_instruction(thread, handler, *b, *a, nullptr, kFrameNegateResult);
  return -1;
}

bool concatenate(ThreadState* thread, int first) {
  while (thread->top - first > 1) {
    int top = thread->top;
    Value* stack = thread->stack;
    Value* left = &stack[top - 2];
    Value* right = &stack[top - 1];
    if (!(is_string(*left) || is_number(*left)) || !(is_string(*right) || is_number(*right))) {
      Value handler = metamethod_of(thread, *left, Event::Concat);
      if (is_nil(handler)) handler = metamethod_of(thread, *right, Event::Concat);
      if (is_nil(handler)) concatenation_error(thread, left, right);
      // The call sits at the top, just above the pieces still to join.
      if (call_metamethod_for_instruction(thread, handler, *left, *right, nullptr, 0)) return false;
      // A native handler completed through finish_instruction, which
      // continues the concatenation itself.
      return false;
    }
    to_string_in_place(thread, right);
    if (as_string(*right)->length == 0) {
      to_string_in_place(thread, left);
      thread->top = top - 1;
      continue;
    }
    to_string_in_place(thread, left);
    if (as_string(*left)->length == 0) {
      *left = *right;
      thread->top = top - 1;
      continue;
    }
    // Join as many string-convertible pieces as there are, from the right.
    int count = 2;
    uint64_t total = uint64_t(as_string(*left)->length) + as_string(*right)->length;
    while (top - count > first) {
      Value* piece = &stack[top - count - 1];
      if (!to_string_in_place(thread, piece)) break;
      total += as_string(*piece)->length;
      count++;
    }
    if (total >= uint64_t(kHardMemoryLimit)) throw_error_message(thread, "string length overflow");
    std::string joined;
    joined.reserve(size_t(total));
    for (int k = count; k >= 1; k--) {
      const StringObject* piece = as_string(stack[top - k]);
      charge_cycles(int32_t(piece->length / 32));
      joined.append(piece->bytes(), piece->length);
    }
    StringObject* result = intern_string(thread, joined);
    thread->stack[top - count] = string_value(result);
    thread->top = top - count + 1;
  }
  return true;
}

bool length_of(ThreadState* thread, const Value* value, int destination) {
  if (is_string(*value)) {
    thread->stack[destination] = number_value(fixed_from_int(int32_t(as_string(*value)->length)));
    return true;
  }
  const Value& handler = metamethod_of(thread, *value, Event::Len);
  if (is_table(*value) && is_nil(handler)) {
    thread->stack[destination] = number_value(fixed_from_int(table_length(as_table(*value))));
    return true;
  }
  if (is_nil(handler)) type_error(thread, value, "get length of");
  call_metamethod_for_instruction(thread, handler, *value, *value, nullptr, 0);
  return false;
}

}  // namespace tamori::lang
