// Tables: an array part for integer keys 1..array_size and a hash part for
// every other key, sized and laid out by the classic rules so that `next`
// visits keys in the same order on every machine: the array part in index
// order, then the hash nodes in node order.
//
// A number key with a zero fraction is an integer key (its integer part);
// other numbers are hashed by their raw value. The hash part grows only by a
// full rehash that recounts the keys and picks the array size as the largest
// n such that more than half of the slots 1..n would be in use.
#pragma once

#include <cstdint>

#include "lang/state.h"

namespace tamori::lang {

// The value stored under `key`, or a nil value when absent.
const Value& table_get(const TableObject* table, const Value& key);
const Value& table_get_integer(const TableObject* table, int32_t index);
const Value& table_get_string(const TableObject* table, const StringObject* key);

// What the lookups return for an absent key.
extern const Value kAbsentValue;

// table_get_string inline, for the dispatch loop.
inline const Value& table_get_string_inline(const TableObject* table, const StringObject* name) {
  if (!table->nodes) return kAbsentValue;
  for (const TableNode* node = &table->nodes[name->hash & (table->node_count() - 1)]; node; node = node->next) {
    if (node->key.type == ValueType::String && node->key.object == name) return node->value;
  }
  return kAbsentValue;
}

// table_get with the common keys handled inline, for the dispatch loop:
// strings and integers inside the array part.
inline const Value& table_get_inline(const TableObject* table, const Value& key) {
  if (key.type == ValueType::String) return table_get_string_inline(table, as_string(key));
  if (key.type == ValueType::Number && (key.number & 0xffff) == 0) {
    int32_t index = key.number >> 16;
    if (index >= 1 && uint32_t(index) <= table->array_size) return table->array[index - 1];
  }
  return table_get(table, key);
}

// Keeps the table's border right after `value` was stored in array slot
// `index` (from 1).
inline void note_array_store(TableObject* table, uint32_t index, const Value& value) {
  const uint32_t border = table->border;
  if (border == TableObject::kBorderUnknown) return;
  if (!is_nil(value)) {
    if (index == border + 1) table->border = index;
    else if (index > border + 1) table->border = TableObject::kBorderUnknown;
  } else if (index == border) {
    table->border = border - 1;
  } else if (index < border) {
    table->border = TableObject::kBorderUnknown;
  }
}

// Stores `value` under `key` (a nil value removes it). Raises "table index
// is nil" for a nil key.
void table_set(ThreadState* thread, TableObject* table, const Value& key, const Value& value);
void table_set_integer(ThreadState* thread, TableObject* table, int32_t index, const Value& value);

// Steps a traversal: `key` holds the previous key (nil to start) and receives
// the next one, `value` its value. Returns false after the last key. Raises
// "invalid key to 'next'" for a key that is not in the table.
bool table_next(ThreadState* thread, const TableObject* table, Value* key, Value* value);

// The border: an n with t[n] non-nil and t[n+1] nil (0 when t[1] is nil).
int32_t table_length(const TableObject* table);

// Whether table_length is the remembered border: the array part ends in nil
// and has no holes, so the binary search could only end there.
inline bool length_is_remembered_border(const TableObject* table) {
  return table->border != TableObject::kBorderUnknown && table->array_size > 0 &&
         is_nil(table->array[table->array_size - 1]);
}

// Reallocates both parts, moving every entry to its new place.
void table_resize(ThreadState* thread, TableObject* table, uint32_t array_size, uint32_t hash_size);

// The decoded size hints of NEWTABLE's B and C operands.
int table_size_from_hint(int hint);

}  // namespace tamori::lang
