// Tables: where keys live (array or hash part), the border length, the
// hash positions of number keys and the traversal order.
#include <gtest/gtest.h>

#include "lang/api.h"
#include "lang/fixed.h"
#include "lang/heap.h"
#include "lang/table.h"

namespace tamori::lang {
namespace {

class TableTest : public ::testing::Test {
 protected:
  void SetUp() override { state = create_state(); }
  void TearDown() override { destroy_state(state); }

  // A table anchored on the stack so that it stays alive.
  TableObject* make_table(int array_size = 0, int hash_size = 0) {
    push_new_table(state, array_size, hash_size);
    return as_table(value_at(state, -1));
  }
  void set(TableObject* table, int32_t raw_key, int32_t raw_value) {
    table_set(state, table, number_value(raw_key), number_value(raw_value));
  }
  bool in_hash_part(const TableObject* table, int32_t raw_key) {
    for (uint32_t i = 0; i < table->node_count(); i++) {
      const TableNode& node = table->nodes[i];
      if (is_number(node.key) && node.key.number == raw_key && !is_nil(node.value)) return true;
    }
    return false;
  }

  ThreadState* state = nullptr;
};

TEST_F(TableTest, IntegerKeysGoToTheArrayPartAndFractionsToTheHashPart) {
  TableObject* table = make_table();
  for (int i = 1; i <= 3; i++) set(table, fixed_from_int(i), fixed_from_int(i * 10));
  set(table, 0x18000, 7);  // 1.5
  EXPECT_EQ(3, table_length(table));
  EXPECT_EQ(4u, table->array_size);
  EXPECT_TRUE(in_hash_part(table, 0x18000));
  EXPECT_FALSE(in_hash_part(table, fixed_from_int(2)));
  EXPECT_EQ(7, table_get(table, number_value(0x18000)).number);
}

TEST_F(TableTest, ArraySizeFollowsTheMoreThanHalfRule) {
  struct Case {
    std::vector<int> keys;
    uint32_t array_size;
  };
  const Case cases[] = {
      {{1}, 1},
      {{1, 2, 3, 4, 5}, 8},
      {{1, 2, 4}, 4},
      {{1, 3, 5, 7, 9, 11}, 1},   // 1..8 holds only 4 of 8, 1..16 only 6 of 16
      {{100}, 0},
      {{-1, 0}, 0},
      {{1, 2, 3, 100, 200}, 4},
  };
  for (const Case& c : cases) {
    TableObject* table = make_table();
    for (int key : c.keys) set(table, fixed_from_int(key), 1);
    EXPECT_EQ(c.array_size, table->array_size) << "keys starting " << c.keys.front() << " count " << c.keys.size();
    for (int key : c.keys) EXPECT_EQ(1, table_get_integer(table, key).number);
    set_top(state, 0);
  }
}

TEST_F(TableTest, LengthIsABorder) {
  struct Case {
    std::vector<int> present;
    int array_size;
    int32_t length;
  };
  const Case cases[] = {
      {{}, 0, 0},
      {{1, 2, 3}, 0, 3},
      {{1, 2, 4}, 4, 4},      // the last array slot is set: 4 is a border
      {{1, 2, 3}, 8, 3},      // binary search inside the array part
      {{2, 3}, 4, 3},         // t[3] set and t[4] nil: 3 is a border too
      {{1, 2, 3, 4, 5, 6}, 4, 6},  // continues into the hash part
  };
  for (const Case& c : cases) {
    TableObject* table = make_table(c.array_size, 0);
    for (int key : c.present) set(table, fixed_from_int(key), 1);
    int32_t length = table_length(table);
    EXPECT_EQ(c.length, length) << "array size " << c.array_size << " keys " << c.present.size();
    set_top(state, 0);
  }
}

// Tables remember their border while the array part has no holes; whatever
// the stores, the length must be what the binary search finds.
TEST_F(TableTest, RememberedBorderAgreesWithTheSearch) {
  uint32_t seed = 7;
  auto next = [&seed](uint32_t range) { return ((seed = seed * 1103515245u + 12345u) >> 8) % range; };
  for (int round = 0; round < 20; round++) {
    TableObject* table = make_table(int(next(3)) * 4, 0);
    for (int step = 0; step < 400; step++) {
      const int32_t key = fixed_from_int(int32_t(next(48)) + 1 - (step % 97 == 0 ? 60 : 0));
      const uint32_t kind = next(10);
      if (kind < 5) set(table, key, fixed_from_int(step));
      else if (kind < 8) table_set(state, table, number_value(key), Value());
      else if (kind < 9) table_set_integer(state, table, key >> 16, number_value(1));
      else table_set(state, table, string_value(intern_string(state, "k" + std::to_string(step % 13))), number_value(1));
      const int32_t length = table_length(table);
      const uint32_t remembered = table->border;
      table->border = TableObject::kBorderUnknown;
      ASSERT_EQ(table_length(table), length) << "round " << round << " step " << step;
      table->border = remembered;
      if (remembered == TableObject::kBorderUnknown) continue;
      for (uint32_t k = 0; k < table->array_size; k++) {
        ASSERT_EQ(k < remembered, !is_nil(table->array[k])) << "slot " << k + 1 << " border " << remembered;
      }
    }
    set_top(state, 0);
  }
}

TEST_F(TableTest, NumberKeysHashByTheirRawMagnitude) {
  TableObject* table = make_table(0, 8);
  ASSERT_EQ(8u, table->node_count());
  struct Case {
    int32_t raw;
    uint32_t node;
  };
  // |raw| mod ((8 - 1) | 1) = |raw| mod 7, with -32768 hashing as 0.
  const Case cases[] = {{0x18000, 0x18000u % 7}, {-0x28000, 0x28000u % 7}, {int32_t(0x80000000u), 0}};
  for (const Case& c : cases) {
    set(table, c.raw, 1);
    EXPECT_TRUE(raw_equal(table->nodes[c.node].key, number_value(c.raw))) << std::hex << c.raw;
  }
}

TEST_F(TableTest, TraversalVisitsTheArrayInOrderThenTheNodes) {
  TableObject* table = make_table();
  for (int i = 1; i <= 5; i++) set(table, fixed_from_int(i), i);
  set(table, 0x8000, 100);  // 0.5
  table_set(state, table, string_value(intern_string(state, "name")), number_value(200));
  Value key, value;
  std::vector<int32_t> values;
  while (table_next(state, table, &key, &value)) values.push_back(value.number);
  ASSERT_EQ(7u, values.size());
  for (int i = 0; i < 5; i++) EXPECT_EQ(i + 1, values[size_t(i)]);
  // Removing entries during traversal is allowed.
  key = Value();
  int visited = 0;
  while (table_next(state, table, &key, &value)) {
    table_set(state, table, key, Value());
    visited++;
  }
  EXPECT_EQ(7, visited);
  key = Value();
  EXPECT_FALSE(table_next(state, table, &key, &value));
}

TEST_F(TableTest, NilKeysAndUnknownTraversalKeysAreErrors) {
  TableObject* table = make_table();
  push_native(state, [](ThreadState* thread) -> int {
    TableObject* t = as_table(value_at(thread, 1));
    table_set(thread, t, Value(), number_value(1));
    return 0;
  });
  push_copy(state, 1);
  EXPECT_EQ(RunStatus::Error, protected_call(state, 1, 0));
  EXPECT_EQ("table index is nil", std::string(string_view_of(as_string(value_at(state, -1)))));
  set_top(state, 1);
  push_native(state, [](ThreadState* thread) -> int {
    Value key = number_value(fixed_from_int(9)), value;
    table_next(thread, as_table(value_at(thread, 1)), &key, &value);
    return 0;
  });
  push_copy(state, 1);
  EXPECT_EQ(RunStatus::Error, protected_call(state, 1, 0));
  EXPECT_EQ("invalid key to 'next'", std::string(string_view_of(as_string(value_at(state, -1)))));
  (void)table;
}

}  // namespace
}  // namespace tamori::lang
