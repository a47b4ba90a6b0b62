// Run-time values of the cartridge language.
//
// A value is a small tagged record: the tag says which member of the union is
// live. Numbers are raw 16.16 fixed-point integers; booleans, light native
// functions and fast functions are held by value; everything else is a
// pointer to a collected object (GcObject and its kinds in lang/objects.h).
#pragma once

#include <cstdint>

namespace tamori::lang {

struct GcObject;
struct ThreadState;

// A native function reads its arguments from the thread's stack through the
// embedding interface (lang/api.h) and returns how many results it left on
// top of it.
using NativeFunction = int (*)(ThreadState* thread);
// A fast function is called without a call frame: it reads its arguments at
// top - count .. top - 1 and returns exactly one raw number.
using FastFunction = int32_t (*)(ThreadState* thread);

// Tags from String onwards are collected objects; is_collectable() relies on
// the order.
enum class ValueType : uint8_t {
  Nil = 0,
  Boolean,
  Number,
  LightNative,
  FastFunction,
  String,
  Table,
  LuaClosure,
  NativeClosure,
  Thread,
  // Object kinds that never appear as values.
  Upvalue,
  Prototype,
};

struct Value {
  union {
    GcObject* object;
    int32_t number;
    bool boolean;
    NativeFunction native;
    FastFunction fast;
  };
  ValueType type;

  Value() : object(nullptr), type(ValueType::Nil) {}
};

inline Value nil_value() { return Value(); }
inline Value number_value(int32_t raw) {
  Value v;
  v.number = raw;
  v.type = ValueType::Number;
  return v;
}
inline Value boolean_value(bool b) {
  Value v;
  v.boolean = b;
  v.type = ValueType::Boolean;
  return v;
}
inline Value native_value(NativeFunction f) {
  Value v;
  v.native = f;
  v.type = ValueType::LightNative;
  return v;
}
inline Value fast_value(FastFunction f) {
  Value v;
  v.fast = f;
  v.type = ValueType::FastFunction;
  return v;
}
inline Value object_value(GcObject* object, ValueType type) {
  Value v;
  v.object = object;
  v.type = type;
  return v;
}

inline bool is_nil(const Value& v) { return v.type == ValueType::Nil; }
inline bool is_number(const Value& v) { return v.type == ValueType::Number; }
inline bool is_string(const Value& v) { return v.type == ValueType::String; }
inline bool is_table(const Value& v) { return v.type == ValueType::Table; }
inline bool is_collectable(ValueType t) { return t >= ValueType::String; }
inline bool is_function(const Value& v) {
  return v.type == ValueType::LightNative || v.type == ValueType::FastFunction ||
         v.type == ValueType::LuaClosure || v.type == ValueType::NativeClosure;
}
// nil and false are false; everything else (0 included) is true.
inline bool is_false(const Value& v) {
  return v.type == ValueType::Nil || (v.type == ValueType::Boolean && !v.boolean);
}

// Raw equality: same tag and same payload (strings are interned, so pointer
// equality is string equality).
inline bool raw_equal(const Value& a, const Value& b) {
  if (a.type != b.type) return false;
  switch (a.type) {
    case ValueType::Nil: return true;
    case ValueType::Boolean: return a.boolean == b.boolean;
    case ValueType::Number: return a.number == b.number;
    case ValueType::LightNative: return a.native == b.native;
    case ValueType::FastFunction: return a.fast == b.fast;
    default: return a.object == b.object;
  }
}

// The name the `type` function reports.
const char* type_name(ValueType type);
inline const char* type_name(const Value& v) { return type_name(v.type); }

}  // namespace tamori::lang
