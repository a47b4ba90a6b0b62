#include "lang/table.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

#include "lang/collector.h"
#include "lang/errors.h"
#include "lang/heap.h"

namespace tamori::lang {

const Value kAbsentValue;

// Array parts are moved by realloc.
static_assert(std::is_trivially_copyable_v<Value>);

namespace {


// Integer keys are counted in slices (2^(b-1), 2^b]; 1..32767 needs 16 of them.
constexpr int kMaxSliceBits = 16;
constexpr uint32_t kMaxArrayKey = 0x7fff;

bool integer_key_of(const Value& key, int32_t* index) {
  if (key.type != ValueType::Number || (key.number & 0xffff) != 0) return false;
  *index = key.number >> 16;
  return true;
}

Value integer_key_value(int64_t index) { return number_value(int32_t(uint32_t(uint64_t(index) << 16))); }

int ceil_log2(uint32_t x) {
  int bits = 0;
  while ((uint64_t(1) << bits) < x) bits++;
  return bits;
}

uint32_t pointer_hash(const void* pointer) {
  return uint32_t(reinterpret_cast<uintptr_t>(pointer));
}

TableNode* main_position(const TableObject* table, const Value& key) {
  uint32_t size = table->node_count();
  uint32_t odd_modulus = (size - 1) | 1;
  switch (key.type) {
    case ValueType::Number: {
      uint32_t raw = uint32_t(key.number);
      uint32_t magnitude = key.number < 0 ? (raw == 0x80000000u ? 0 : 0u - raw) : raw;
      return &table->nodes[magnitude % odd_modulus];
    }
    case ValueType::String: return &table->nodes[as_string(key)->hash & (size - 1)];
    case ValueType::Boolean: return &table->nodes[(key.boolean ? 1u : 0u) & (size - 1)];
    case ValueType::LightNative:
      return &table->nodes[pointer_hash(reinterpret_cast<const void*>(key.native)) % odd_modulus];
    case ValueType::FastFunction:
      return &table->nodes[pointer_hash(reinterpret_cast<const void*>(key.fast)) % odd_modulus];
    default: return &table->nodes[pointer_hash(key.object) % odd_modulus];
  }
}

TableNode* find_node(const TableObject* table, const Value& key) {
  if (!table->nodes) return nullptr;
  for (TableNode* node = main_position(table, key); node; node = node->next) {
    if (raw_equal(node->key, key)) return node;
  }
  return nullptr;
}

TableNode* free_position(TableObject* table) {
  while (table->last_free > table->nodes) {
    table->last_free--;
    if (is_nil(table->last_free->key)) return table->last_free;
  }
  return nullptr;
}

int count_integer_key(const Value& key, uint32_t* slices) {
  int32_t index;
  if (integer_key_of(key, &index) && index >= 1 && uint32_t(index) <= kMaxArrayKey) {
    slices[ceil_log2(uint32_t(index))]++;
    return 1;
  }
  return 0;
}

uint32_t count_array_part(const TableObject* table, uint32_t* slices) {
  uint32_t used = 0;
  uint32_t index = 1;
  uint32_t slice_end = 1;
  for (int bits = 0; bits <= kMaxSliceBits; bits++, slice_end *= 2) {
    uint32_t limit = slice_end;
    if (limit > table->array_size) {
      limit = table->array_size;
      if (index > limit) break;
    }
    uint32_t in_slice = 0;
    for (; index <= limit; index++) {
      if (!is_nil(table->array[index - 1])) in_slice++;
    }
    slices[bits] += in_slice;
    used += in_slice;
  }
  return used;
}

uint32_t count_hash_part(const TableObject* table, uint32_t* slices, uint32_t* integer_keys) {
  uint32_t used = 0;
  for (uint32_t i = 0; i < table->node_count(); i++) {
    const TableNode& node = table->nodes[i];
    if (is_nil(node.value)) continue;
    *integer_keys += uint32_t(count_integer_key(node.key, slices));
    used++;
  }
  return used;
}

// Picks the array size: the largest power of two n such that more than n/2
// of the integer keys 1..n are present. `integer_keys` enters as the number
// of candidate keys and leaves as the number that will live in the array.
uint32_t compute_array_size(const uint32_t* slices, uint32_t* integer_keys) {
  uint32_t counted = 0, in_array = 0, size = 0;
  uint32_t power = 1;
  for (int bits = 0; bits <= kMaxSliceBits && power / 2 < *integer_keys; bits++, power *= 2) {
    if (slices[bits] == 0) continue;
    counted += slices[bits];
    if (counted > power / 2) {
      size = power;
      in_array = counted;
    }
  }
  *integer_keys = in_array;
  return size;
}

Value* slot_for_key(ThreadState* thread, TableObject* table, const Value& key);

void rehash(ThreadState* thread, TableObject* table, const Value& extra_key) {
  uint32_t slices[kMaxSliceBits + 1] = {};
  uint32_t integer_keys = count_array_part(table, slices);
  uint32_t total = integer_keys;
  total += count_hash_part(table, slices, &integer_keys);
  integer_keys += uint32_t(count_integer_key(extra_key, slices));
  total++;
  uint32_t array_size = compute_array_size(slices, &integer_keys);
  table_resize(thread, table, array_size, total - integer_keys);
}

// Creates `key` in the hash part. A key whose main position is taken by a
// node that is not in its own main position moves that node to a free one;
// otherwise the new key takes the free node, chained after its main position.
Value* insert_key(ThreadState* thread, TableObject* table, const Value& key) {
  if (!table->nodes) {
    rehash(thread, table, key);
    return slot_for_key(thread, table, key);
  }
  TableNode* position = main_position(table, key);
  if (!is_nil(position->value)) {
    TableNode* free_node = free_position(table);
    if (!free_node) {
      rehash(thread, table, key);
      return slot_for_key(thread, table, key);
    }
    TableNode* other = main_position(table, position->key);
    if (other != position) {
      while (other->next != position) other = other->next;
      other->next = free_node;
      *free_node = *position;
      position->next = nullptr;
      position->value = Value();
    } else {
      free_node->next = position->next;
      position->next = free_node;
      position = free_node;
    }
  }
  position->key = key;
  return &position->value;
}

Value* slot_for_key(ThreadState* thread, TableObject* table, const Value& key) {
  int32_t index;
  if (integer_key_of(key, &index) && index >= 1 && uint32_t(index) <= table->array_size) {
    return &table->array[index - 1];
  }
  if (TableNode* node = find_node(table, key)) return &node->value;
  return insert_key(thread, table, key);
}

TableNode* allocate_nodes(ThreadState* thread, uint32_t count) {
  if (count == 0) return nullptr;
  auto* nodes = static_cast<TableNode*>(allocate_raw(thread, sizeof(TableNode) * count));
  for (uint32_t i = 0; i < count; i++) new (&nodes[i]) TableNode();
  return nodes;
}

// The border of an array part that holds values up to some slot and nil in
// every slot above, or kBorderUnknown when it has a hole.
uint32_t dense_border(const TableObject* table) {
  uint32_t border = 0;
  while (border < table->array_size && !is_nil(table->array[border])) border++;
  for (uint32_t k = border; k < table->array_size; k++) {
    if (!is_nil(table->array[k])) return TableObject::kBorderUnknown;
  }
  return border;
}

}  // namespace

int table_size_from_hint(int hint) {
  if (hint < 8) return hint;
  return ((hint & 7) + 8) << ((hint >> 3) - 1);
}

const Value& table_get_integer(const TableObject* table, int32_t index) {
  if (index >= 1 && uint32_t(index) <= table->array_size) return table->array[index - 1];
  TableNode* node = find_node(table, integer_key_value(index));
  return node ? node->value : kAbsentValue;
}

const Value& table_get_string(const TableObject* table, const StringObject* key) {
  if (!table->nodes) return kAbsentValue;
  uint32_t size = table->node_count();
  for (TableNode* node = &table->nodes[key->hash & (size - 1)]; node; node = node->next) {
    if (node->key.type == ValueType::String && node->key.object == key) return node->value;
  }
  return kAbsentValue;
}

const Value& table_get(const TableObject* table, const Value& key) {
  switch (key.type) {
    case ValueType::Nil: return kAbsentValue;
    case ValueType::String: return table_get_string(table, as_string(key));
    case ValueType::Number: {
      int32_t index;
      if (integer_key_of(key, &index)) return table_get_integer(table, index);
      break;
    }
    default: break;
  }
  TableNode* node = find_node(table, key);
  return node ? node->value : kAbsentValue;
}

void table_set(ThreadState* thread, TableObject* table, const Value& key, const Value& value) {
  if (is_nil(key)) throw_error_message(thread, "table index is nil");
  int32_t index;
  if (integer_key_of(key, &index)) {
    table_set_integer(thread, table, index, value);
    return;
  }
  *slot_for_key(thread, table, key) = value;
  table_barrier(thread->global, table);
}

void table_set_integer(ThreadState* thread, TableObject* table, int32_t index, const Value& value) {
  if (index >= 1 && uint32_t(index) <= table->array_size) {
    table->array[index - 1] = value;
    note_array_store(table, uint32_t(index), value);
    table_barrier(thread->global, table);
    return;
  }
  // A rehash on the way may have moved the key into the array part.
  Value* slot = slot_for_key(thread, table, integer_key_value(index));
  *slot = value;
  const uintptr_t offset = uintptr_t(slot) - uintptr_t(table->array);
  if (offset < uintptr_t(table->array_size) * sizeof(Value)) {
    note_array_store(table, uint32_t(offset / sizeof(Value)) + 1, value);
  }
  table_barrier(thread->global, table);
}

void table_resize(ThreadState* thread, TableObject* table, uint32_t array_size, uint32_t hash_size) {
  uint32_t node_count = hash_size == 0 ? 0 : (1u << ceil_log2(hash_size));
  // Allocate both new parts first so that a refused allocation leaves the
  // table as it was.
  TableNode* new_nodes = allocate_nodes(thread, node_count);
  Value* old_array = table->array;
  uint32_t old_array_size = table->array_size;
  // A growing array part keeps its values where they are, and the allocator
  // may extend the block without copying (large arrays double often).
  const bool array_regrown = old_array && array_size >= old_array_size;
  Value* new_array = nullptr;
  if (array_size > 0) {
    try {
      new_array = static_cast<Value*>(array_regrown ? regrow_raw(thread, old_array, sizeof(Value) * array_size)
                                                    : allocate_raw(thread, sizeof(Value) * array_size));
    } catch (...) {
      free_raw(thread->global, new_nodes);
      throw;
    }
    const uint32_t first_new = array_regrown ? old_array_size : 0;
    for (uint32_t i = first_new; i < array_size; i++) new (&new_array[i]) Value();
  }
  TableNode* old_nodes = table->nodes;
  uint32_t old_node_count = table->node_count();

  if (!array_regrown) {
    uint32_t kept = old_array_size < array_size ? old_array_size : array_size;
    for (uint32_t i = 0; i < kept; i++) new_array[i] = old_array[i];
  }
  table->array = new_array;
  table->array_size = array_size;
  // Entries moving in below may land anywhere; the border is looked for afterwards.
  table->border = TableObject::kBorderUnknown;
  table->nodes = new_nodes;
  table->node_count_log2 = uint8_t(node_count ? ceil_log2(node_count) : 0);
  table->last_free = new_nodes ? new_nodes + node_count : nullptr;

  for (uint32_t i = array_size; i < old_array_size; i++) {
    if (!is_nil(old_array[i])) table_set_integer(thread, table, int32_t(i + 1), old_array[i]);
  }
  for (uint32_t j = old_node_count; j-- > 0;) {
    const TableNode& node = old_nodes[j];
    if (!is_nil(node.value)) *slot_for_key(thread, table, node.key) = node.value;
  }
  if (!array_regrown) free_raw(thread->global, old_array);
  free_raw(thread->global, old_nodes);
  table->border = dense_border(table);
}

bool table_next(ThreadState* thread, const TableObject* table, Value* key, Value* value) {
  uint32_t position = 0;  // array slots first, then nodes
  if (!is_nil(*key)) {
    int32_t index;
    if (integer_key_of(*key, &index) && index >= 1 && uint32_t(index) <= table->array_size) {
      position = uint32_t(index);
    } else {
      TableNode* node = find_node(table, *key);
      if (!node) throw_error_message(thread, "invalid key to 'next'");
      position = table->array_size + uint32_t(node - table->nodes) + 1;
    }
  }
  for (; position < table->array_size; position++) {
    if (!is_nil(table->array[position])) {
      *key = integer_key_value(int64_t(position) + 1);
      *value = table->array[position];
      return true;
    }
  }
  for (uint32_t node = position - table->array_size; node < table->node_count(); node++) {
    if (!is_nil(table->nodes[node].value)) {
      *key = table->nodes[node].key;
      *value = table->nodes[node].value;
      return true;
    }
  }
  return false;
}

namespace {

bool integer_present(const TableObject* table, uint32_t index) {
  return !is_nil(table_get_integer(table, int32_t(uint32_t(index))));
}

// Doubles past the array part until a missing key, then searches between.
// Integer keys wrap every 65536, so a table holding every key is scanned once
// around and no further.
int32_t unbounded_border(const TableObject* table, uint32_t j) {
  uint32_t i = j;
  j++;
  while (integer_present(table, j)) {
    i = j;
    if (j > 0x7ffffffdu / 2) {
      uint32_t n = 1;
      while (n < 0x10000 && integer_present(table, n)) n++;
      return int32_t(n - 1);
    }
    j *= 2;
  }
  while (j - i > 1) {
    uint32_t middle = (i + j) / 2;
    if (!integer_present(table, middle)) j = middle;
    else i = middle;
  }
  return int32_t(i);
}

}  // namespace

int32_t table_length(const TableObject* table) {
  if (length_is_remembered_border(table)) return int32_t(table->border);
  uint32_t j = table->array_size;
  if (j > 0 && is_nil(table->array[j - 1])) {
    uint32_t i = 0;
    while (j - i > 1) {
      uint32_t middle = (i + j) / 2;
      if (is_nil(table->array[middle - 1])) j = middle;
      else i = middle;
    }
    return int32_t(i);
  }
  if (!table->nodes) return int32_t(j);
  return unbounded_border(table, j);
}

}  // namespace tamori::lang
