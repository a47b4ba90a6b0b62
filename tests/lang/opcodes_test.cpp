#include "lang/opcodes.h"

#include <gtest/gtest.h>

namespace tamori::lang {
namespace {

TEST(Opcodes, FieldsRoundTripThroughEncoding) {
  Instruction abc = make_abc(OpCode::ADD, 3, rk_constant(17), 200);
  EXPECT_EQ(opcode_of(abc), OpCode::ADD);
  EXPECT_EQ(arg_a(abc), 3);
  EXPECT_TRUE(is_constant(arg_b(abc)));
  EXPECT_EQ(constant_index(arg_b(abc)), 17);
  EXPECT_EQ(arg_c(abc), 200);
  Instruction jump = make_asbx(OpCode::JMP, 0, -5);
  EXPECT_EQ(arg_sbx(jump), -5);
  Instruction extra = make_ax(OpCode::EXTRAARG, kMaxArgAx);
  EXPECT_EQ(arg_ax(extra), kMaxArgAx);
}

TEST(Opcodes, TableMatchesTheCycleCharges) {
  int one_cycle = 0;
  for (const auto& info : kOpcodeInfo) one_cycle += info.cycles == 1;
  // MOVE, LOADK, ADD, SUB, the eleven bitwise/peek ops 19..27 and 29..31, UNM.
  EXPECT_EQ(one_cycle, 17);
  EXPECT_STREQ(kOpcodeInfo[int(OpCode::EXTRAARG)].name, "EXTRAARG");
  EXPECT_EQ(kOpcodeInfo[int(OpCode::POW)].cycles, 2);
}

}  // namespace
}  // namespace tamori::lang
