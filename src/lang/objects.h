// Collected objects of the cartridge language.
//
// Every object starts with a GcObject header and lives on the list of all
// objects (GlobalState::all_objects) from its creation until the sweep that
// frees it. The collector (lang/collector.h) is incremental: `colour` is one
// of two whites (the current one, and the one that means "dead" while a
// sweep runs), gray (reached, references not yet traced) or black (reached
// and traced). `fixed` objects (the event names) are never freed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "lang/compiled_function.h"
#include "lang/opcodes.h"
#include "lang/value.h"

namespace tamori::lang {

// Colour bits of GcObject::colour; gray is the absence of all three.
inline constexpr uint8_t kWhite0 = 1;
inline constexpr uint8_t kWhite1 = 2;
inline constexpr uint8_t kWhites = kWhite0 | kWhite1;
inline constexpr uint8_t kBlack = 4;

struct GcObject {
  GcObject* next_object = nullptr;
  ValueType kind = ValueType::Nil;
  uint8_t colour = kWhite0;
  bool fixed = false;
};

inline bool is_white(const GcObject* object) { return (object->colour & kWhites) != 0; }
inline bool is_black(const GcObject* object) { return (object->colour & kBlack) != 0; }

// Interned byte string; the bytes follow the record and end with a zero byte
// (not counted in `length`).
struct StringObject : GcObject {
  uint32_t hash = 0;
  uint32_t length = 0;
  StringObject* next_in_bucket = nullptr;
  const char* bytes() const { return reinterpret_cast<const char*>(this + 1); }
  char* bytes() { return reinterpret_cast<char*>(this + 1); }
};

struct TableNode {
  Value value;
  Value key;
  TableNode* next = nullptr;  // next node of the same collision chain
};

// Integer keys 1..array_size live in `array`; every other key lives in the
// hash part, a chained scatter table of 2^node_count_log2 nodes whose chains
// run through free nodes taken from the top down (`last_free`). A table with
// no hash part has node_count_log2 = 0 and nodes = nullptr.
struct TableObject : GcObject {
  TableObject* metatable = nullptr;
  Value* array = nullptr;
  uint32_t array_size = 0;
  uint8_t node_count_log2 = 0;
  TableNode* nodes = nullptr;
  TableNode* last_free = nullptr;
  // Given a metatable with "__gc": its finalizer runs once it is unreachable.
  bool finalizable = false;
  // While the array part holds values in slots 1..border and nil in every
  // slot above, `border` is that border and the length operator needs no
  // search; kBorderUnknown once a store leaves a hole (until a resize looks again).
  static constexpr uint32_t kBorderUnknown = UINT32_MAX;
  uint32_t border = 0;
  uint32_t node_count() const { return nodes ? (1u << node_count_log2) : 0u; }
};

// A run-time function prototype loaded from a CompiledFunction. The vectors
// are built while loading a program and are not metered (a prototype is
// charged a flat amount).
struct Prototype : GcObject {
  std::vector<Instruction> code;
  std::vector<int> line_of_instruction;
  std::vector<Value> constants;
  std::vector<Prototype*> functions;
  std::vector<UpvalueDescription> upvalues;
  std::vector<LocalVariableDescription> locals;
  std::string source_name;
  int line_defined = 0;
  int last_line_defined = 0;
  uint8_t parameter_count = 0;
  bool is_vararg = false;
  uint8_t max_stack_size = 2;
  // Whether this is the prelude's coresume wrapper (lang/coresume_shortcut.cpp),
  // once that has been looked at.
  static constexpr uint8_t kShapeUnknown = 0, kShapeWrapper = 1, kShapeOther = 2;
  uint8_t coresume_wrapper_shape = kShapeUnknown;
};

// An upvalue is open while the variable it captures is still a live stack
// slot (`location` points at stack slot `slot` of `thread`) and closed
// afterwards (`location` points at `closed`). When a stack is reallocated the
// locations of its open upvalues are recomputed from `slot`.
struct Upvalue : GcObject {
  Value* location = nullptr;
  Value closed;
  int slot = 0;
  Upvalue* next_open = nullptr;  // open upvalues of a thread, highest slot first
  bool is_open() const { return location != &closed; }
};

struct LuaClosure : GcObject {
  Prototype* prototype = nullptr;
  uint32_t upvalue_count = 0;
  Upvalue** upvalues() { return reinterpret_cast<Upvalue**>(this + 1); }
};

struct NativeClosure : GcObject {
  NativeFunction function = nullptr;
  uint32_t upvalue_count = 0;
  Value* upvalues() { return reinterpret_cast<Value*>(this + 1); }
};

inline StringObject* as_string(const Value& v) { return static_cast<StringObject*>(v.object); }
inline TableObject* as_table(const Value& v) { return static_cast<TableObject*>(v.object); }
inline LuaClosure* as_lua_closure(const Value& v) { return static_cast<LuaClosure*>(v.object); }
inline NativeClosure* as_native_closure(const Value& v) {
  return static_cast<NativeClosure*>(v.object);
}

inline Value string_value(StringObject* s) { return object_value(s, ValueType::String); }
inline Value table_value(TableObject* t) { return object_value(t, ValueType::Table); }
inline Value lua_closure_value(LuaClosure* c) { return object_value(c, ValueType::LuaClosure); }

}  // namespace tamori::lang
