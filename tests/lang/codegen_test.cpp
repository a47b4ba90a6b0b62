// Golden listings: each file under data/listings holds a source, a line
// "==== listing" and the listing the compiler must produce for it. The
// plain-Lua files were cross-checked against the reference compiler's
// instruction sequences when written. Set TAMORI_UPDATE_LISTINGS=1 to
// rewrite the expected part after an intended change.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "lang/compiler.h"
#include "lang/listing.h"

namespace tamori::lang {
namespace {

const std::string kSeparator = "==== listing\n";

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::unique_ptr<CompiledFunction> compile_ok(const std::string& source) {
  CompileResult result = compile_chunk(source, "test");
  EXPECT_TRUE(result.ok()) << result.full_message << "\nin:\n" << source;
  return std::move(result.function);
}

TEST(CodegenListings, MatchGoldenFiles) {
  std::filesystem::path folder = std::filesystem::path(TAMORI_TEST_DATA_DIR) / "lang/data/listings";
  bool update = std::getenv("TAMORI_UPDATE_LISTINGS") != nullptr;
  int checked = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".txt") continue;
    std::string text = read_file(entry.path());
    size_t split = text.find(kSeparator);
    ASSERT_NE(split, std::string::npos) << entry.path();
    std::string source = text.substr(0, split);
    std::string expected = text.substr(split + kSeparator.size());
    auto function = compile_ok(source);
    ASSERT_TRUE(function) << entry.path();
    std::string actual = list_function(*function);
    if (update) {
      std::ofstream(entry.path(), std::ios::binary) << source << kSeparator << actual;
    } else {
      EXPECT_EQ(actual, expected) << "listing differs for " << entry.path();
    }
    ++checked;
  }
  EXPECT_GE(checked, 30);
}

// Opcodes of the code of a function, in order.
std::vector<OpCode> opcodes(const CompiledFunction& f) {
  std::vector<OpCode> out;
  for (Instruction i : f.code) out.push_back(opcode_of(i));
  return out;
}

int count_opcode(const CompiledFunction& f, OpCode op) {
  int n = 0;
  for (Instruction i : f.code) n += opcode_of(i) == op;
  return n;
}

TEST(Codegen, LoopBodyOfCompoundAddIsOneAddAndTheForLoop) {
  auto f = compile_ok("local x = 0 for i=1,1000 do x+=1 end");
  ASSERT_TRUE(f);
  // LOADK x, LOADK 1, LOADK 1000, LOADK 1 (step), FORPREP, ADD, FORLOOP, RETURN
  std::vector<OpCode> expected = {OpCode::LOADK, OpCode::LOADK, OpCode::LOADK, OpCode::LOADK,
                                  OpCode::FORPREP, OpCode::ADD, OpCode::FORLOOP, OpCode::RETURN};
  EXPECT_EQ(opcodes(*f), expected);
  // FORPREP jumps to the FORLOOP; FORLOOP jumps back to the ADD.
  EXPECT_EQ(arg_sbx(f->code[4]), 1);
  EXPECT_EQ(arg_sbx(f->code[6]), -2);
}

TEST(Codegen, CompoundAssignmentEvaluatesTableAndKeyOnce) {
  auto f = compile_ok("t[f()] += 1");
  ASSERT_TRUE(f);
  EXPECT_EQ(count_opcode(*f, OpCode::CALL), 1);
  EXPECT_EQ(count_opcode(*f, OpCode::GETTABLE), 1);
  EXPECT_EQ(count_opcode(*f, OpCode::SETTABLE), 1);
  // The store uses the same table and key registers as the read.
  Instruction get = 0, set = 0;
  for (Instruction i : f->code) {
    if (opcode_of(i) == OpCode::GETTABLE) get = i;
    if (opcode_of(i) == OpCode::SETTABLE) set = i;
  }
  EXPECT_EQ(arg_b(get), arg_a(set));
  EXPECT_EQ(arg_c(get), arg_b(set));
}

TEST(Codegen, CompoundRightHandSideIsAWholeExpression) {
  // x *= 2 + 3 multiplies by the folded 5
  auto f = compile_ok("local x = 1 x *= 2 + 3");
  ASSERT_TRUE(f);
  Instruction mul = f->code[1];
  ASSERT_EQ(opcode_of(mul), OpCode::MUL);
  ASSERT_TRUE(is_constant(arg_c(mul)));
  EXPECT_EQ(f->constants[size_t(constant_index(arg_c(mul)))], Constant(FixedConstant{5 << 16}));
}

struct FoldCase {
  const char* expression;
  int32_t raw;
};

TEST(Codegen, FoldsConstantsWithFixedPointArithmetic) {
  const FoldCase cases[] = {
      {"1 + 2 * 3", 7 << 16},
      {"0x7fff.ffff + 0x0.0001", INT32_MIN},
      {"-(-32768)", INT32_MIN},
      {"7 \\ 2", 3 << 16},
      {"-7 \\ 2", -4 * 65536},
      {"-5 % 3", 1 << 16},
      {"5 % -3", 2 << 16},
      {"2 ^ -1", 0x8000},
      {"2 ^ 0.5", 0x16a09},
      {"1 << 4", 16 << 16},
      {"0x8000 >>> 1", 0x40000000},
      {"0.5 | 1", 0x18000},
      {"1 <<> 16", 1},
      {"6 ~ 3", 5 << 16},
      {"0.1", 0x1999},
  };
  for (const auto& c : cases) {
    auto f = compile_ok(std::string("local v = ") + c.expression);
    ASSERT_TRUE(f) << c.expression;
    ASSERT_EQ(opcode_of(f->code[0]), OpCode::LOADK) << c.expression;
    EXPECT_EQ(f->code.size(), 2u) << c.expression;
    EXPECT_EQ(f->constants[size_t(arg_bx(f->code[0]))], Constant(FixedConstant{c.raw})) << c.expression;
  }
}

TEST(Codegen, LeavesDivisionByConstantZeroAndMemoryReadsToRunTime) {
  const std::pair<const char*, OpCode> cases[] = {
      {"1 / 0", OpCode::DIV}, {"1 % 0", OpCode::MOD}, {"1 \\ 0", OpCode::IDIV},
      {"@1", OpCode::PEEK},   {"%1", OpCode::PEEK2},  {"$1", OpCode::PEEK4},
      {"~1", OpCode::TMBNOT}, {"#\"a\"", OpCode::LEN},
  };
  for (const auto& [expression, op] : cases) {
    auto f = compile_ok(std::string("local v = ") + expression);
    ASSERT_TRUE(f) << expression;
    EXPECT_EQ(count_opcode(*f, op), 1) << expression;
  }
}

TEST(Codegen, UnaryExtendedOperatorsPutConstantZeroInC) {
  auto f = compile_ok("local x = 1 local y = @x + ~x");
  ASSERT_TRUE(f);
  for (Instruction i : f->code) {
    if (opcode_of(i) == OpCode::PEEK || opcode_of(i) == OpCode::TMBNOT) {
      EXPECT_EQ(arg_b(i), 0);
      ASSERT_TRUE(is_constant(arg_c(i)));
      EXPECT_EQ(f->constants[size_t(constant_index(arg_c(i)))], Constant(FixedConstant{0}));
    }
  }
}

TEST(Codegen, OperatorPriorities) {
  // -x^2 is -(x^2); @a+1 is (@a)+1; x & y | z is (x & y) | z
  struct Case {
    const char* source;
    std::vector<OpCode> ops;
  };
  const Case cases[] = {
      {"local x local v = -x^2", {OpCode::LOADNIL, OpCode::POW, OpCode::UNM, OpCode::RETURN}},
      {"local a local v = @a+1", {OpCode::LOADNIL, OpCode::PEEK, OpCode::ADD, OpCode::RETURN}},
      {"local x, y, z local v = x & y | z", {OpCode::LOADNIL, OpCode::TMBAND, OpCode::TMBOR, OpCode::RETURN}},
      {"local x, y, z local v = x | y & z", {OpCode::LOADNIL, OpCode::TMBAND, OpCode::TMBOR, OpCode::RETURN}},
      {"local x, y local v = x << 1 + y", {OpCode::LOADNIL, OpCode::ADD, OpCode::TMSHL, OpCode::RETURN}},
      {"local x, y local v = x ^^ y & 1", {OpCode::LOADNIL, OpCode::TMBAND, OpCode::TMBXOR, OpCode::RETURN}},
      {"local x, y local v = x .. y + 1", {OpCode::LOADNIL, OpCode::MOVE, OpCode::ADD, OpCode::CONCAT, OpCode::RETURN}},
  };
  for (const auto& c : cases) {
    auto f = compile_ok(c.source);
    ASSERT_TRUE(f) << c.source;
    EXPECT_EQ(opcodes(*f), c.ops) << c.source;
  }
}

TEST(Codegen, PrintShorthandPrefersALocalPrint) {
  auto global = compile_ok("? 1");
  ASSERT_TRUE(global);
  EXPECT_EQ(opcode_of(global->code[0]), OpCode::GETTABUP);
  auto local = compile_ok("local print = 1\n? 1");
  ASSERT_TRUE(local);
  EXPECT_EQ(opcode_of(local->code[1]), OpCode::MOVE);
  EXPECT_EQ(arg_b(local->code[1]), 0);
}

TEST(Codegen, OneLineIfGuardsOnlyItsOwnLine) {
  auto f = compile_ok("if (a) print(1)\nprint(2)");
  ASSERT_TRUE(f);
  // The second print runs whatever a is: the test's jump lands on it.
  int jump_target = -1;
  for (size_t pc = 0; pc < f->code.size(); ++pc) {
    if (opcode_of(f->code[pc]) == OpCode::JMP) {
      jump_target = int(pc) + 1 + arg_sbx(f->code[pc]);
      break;
    }
  }
  ASSERT_GE(jump_target, 0);
  EXPECT_EQ(f->line_of_instruction[size_t(jump_target)], 2);
  EXPECT_EQ(count_opcode(*f, OpCode::CALL), 2);
}

TEST(Codegen, LineInfoFollowsTheSource) {
  auto f = compile_ok("local a = 1\n\nlocal b = 2\nx = ? 3\ny = 4");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->line_of_instruction[0], 1);
  EXPECT_EQ(f->line_of_instruction[1], 3);
  // The store of x stays on line 4 although the '?' took its end of line.
  for (size_t pc = 0; pc < f->code.size(); ++pc) {
    if (opcode_of(f->code[pc]) == OpCode::SETTABUP && f->constants[size_t(constant_index(arg_b(f->code[pc])))] == Constant(std::string("x"))) {
      EXPECT_EQ(f->line_of_instruction[pc], 4);
    }
  }
}

TEST(Codegen, ManyConstantsUseRegistersAndLoadkx) {
  std::string source;
  for (int i = 0; i < 300; ++i) source += "g" + std::to_string(i) + " = " + std::to_string(i + 1000) + "\n";
  auto f = compile_ok(source);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->constants.size(), 600u);
  // Past 256 constants, RK operands no longer fit: values go through LOADK.
  EXPECT_GT(count_opcode(*f, OpCode::LOADK), 0);
}

}  // namespace
}  // namespace tamori::lang
