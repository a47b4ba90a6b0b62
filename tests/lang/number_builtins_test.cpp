#include "lang/number_builtins.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "lang/number_text.h"

namespace tamori::lang {
namespace {

constexpr int32_t raw(double value) { return static_cast<int32_t>(value * 65536.0); }

NumberBuiltinFunction find_builtin(const std::string& name) {
  for (const NumberBuiltinEntry& entry : number_builtin_table()) {
    if (name == entry.name) return entry.function;
  }
  return nullptr;
}

int32_t read_numeral(const std::string& text) {
  int32_t value = 0;
  EXPECT_TRUE(text_to_number(text, &value)) << text;
  return value;
}

TEST(NumberBuiltins, FastBuiltinsMatchTheGoldenTable) {
  std::ifstream file(TAMORI_TEST_DATA_DIR "/lang/data/numbers/fast_builtins.txt");
  ASSERT_TRUE(file) << "missing fast_builtins.txt";
  std::string line;
  int checked = 0;
  std::set<std::string> names_seen;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string name;
    words >> name;
    std::vector<int32_t> args;
    std::string word;
    while (words >> word && word != "=") args.push_back(read_numeral(word));
    std::string expected_text;
    int expected_cycles = 0;
    ASSERT_TRUE(words >> expected_text >> expected_cycles) << line;
    const NumberBuiltinFunction function = find_builtin(name);
    ASSERT_NE(function, nullptr) << line;
    const NumberBuiltinResult result = function(args.data(), static_cast<int>(args.size()));
    EXPECT_EQ(static_cast<uint32_t>(result.value), static_cast<uint32_t>(read_numeral(expected_text))) << line;
    EXPECT_EQ(result.cycles, expected_cycles) << line;
    names_seen.insert(name);
    ++checked;
  }
  EXPECT_GT(checked, 50);
  EXPECT_EQ(names_seen.size(), number_builtin_table().size());
}

TEST(NumberBuiltins, TableListsEveryFastNumericName) {
  const std::vector<std::string> expected = {"flr", "ceil", "abs", "sgn", "min", "max", "mid",
                                             "sqrt", "cos", "sin", "atan2", "band", "bor", "bxor",
                                             "bnot", "shl", "shr", "lshr", "rotl", "rotr"};
  ASSERT_EQ(number_builtin_table().size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(number_builtin_table()[i].name, expected[i]);
}

BuiltinValue number(int32_t raw_value) { return {BuiltinValueKind::Number, raw_value, false, {}, {}}; }
BuiltinValue boolean(bool value) { return {BuiltinValueKind::Boolean, 0, value, {}, {}}; }
BuiltinValue text(std::string_view value) { return {BuiltinValueKind::String, 0, false, value, {}}; }
BuiltinValue nil() { return {}; }
BuiltinValue other(std::string_view type_name) { return {BuiltinValueKind::Other, 0, false, {}, type_name}; }

struct TostrCase {
  const char* what;
  std::vector<BuiltinValue> args;
  const char* expected;
};

TEST(NumberBuiltins, TostrFormats) {
  const std::vector<TostrCase> cases = {
      {"no argument", {}, ""},
      {"nil", {nil()}, "[nil]"},
      {"table", {other("table")}, "[table]"},
      {"true", {boolean(true)}, "true"},
      {"false", {boolean(false)}, "false"},
      {"string", {text("hello")}, "hello"},
      {"string ignores flags", {text("hi"), number(raw(1))}, "hi"},
      {"1/3", {number(0x5555)}, "0.3333"},
      {"nil flags", {number(raw(2.5)), nil()}, "2.5"},
      {"flags true", {number(raw(1.5)), boolean(true)}, "0x0001.8000"},
      {"flags false", {number(raw(1.5)), boolean(false)}, "1.5"},
      {"flags 1", {number(raw(1.5)), number(raw(1))}, "0x0001.8000"},
      {"flags 1 negative", {number(raw(-1)), number(raw(1))}, "0xffff.0000"},
      {"flags 3", {number(raw(1.5)), number(raw(3))}, "0x00018000"},
      {"flags 2", {number(raw(1)), number(raw(2))}, "65536"},
      {"flags 2 negative", {number(raw(-0.5)), number(raw(2))}, "-32768"},
      {"flags 1.9 floors to 1", {number(raw(1)), number(raw(1.9))}, "0x0001.0000"},
      {"flags as text", {number(raw(1)), text("1")}, "0x0001.0000"},
      {"flags 4 has neither bit", {number(raw(1)), number(raw(4))}, "1"},
  };
  for (const TostrCase& c : cases) {
    const ConversionResult result = builtin_tostr(c.args.data(), static_cast<int>(c.args.size()));
    ASSERT_EQ(result.kind, ConversionResult::Kind::Text) << c.what;
    EXPECT_EQ(result.text, c.expected) << c.what;
    EXPECT_EQ(result.cycles, 4) << c.what;
  }
}

struct TonumCase {
  const char* what;
  std::vector<BuiltinValue> args;
  bool has_value;
  int32_t expected;
  int cycles;
};

TEST(NumberBuiltins, TonumConversions) {
  const std::vector<TonumCase> cases = {
      {"no argument", {}, false, 0, 0},
      {"number unchanged", {number(raw(-7.25))}, true, raw(-7.25), 0},
      {"number ignores flags", {number(raw(3)), number(raw(1))}, true, raw(3), 0},
      {"false", {boolean(false)}, true, 0, 0},
      {"true", {boolean(true)}, true, raw(1), 0},
      {"true flags 2", {boolean(true), number(raw(2))}, true, 1, 0},
      {"nil", {nil()}, false, 0, 0},
      {"table", {other("table")}, false, 0, 0},
      {"0x10", {text("0x10")}, true, raw(16), 4},
      {"0b101.1", {text("0b101.1")}, true, raw(5.5), 4},
      {"1e3", {text("1e3")}, true, raw(1000), 4},
      {"12abc", {text("12abc")}, false, 0, 4},
      {"12abc flags 4", {text("12abc"), number(raw(4))}, true, 0, 4},
      {"ok text flags 4", {text("2.5"), number(raw(4))}, true, raw(2.5), 4},
      {"ff flags 1", {text("ff"), number(raw(1))}, true, raw(255), 4},
      {"ffff flags 3", {text("ffff"), number(raw(3))}, true, 0xffff, 4},
      {"ffff flags 1 wraps", {text("ffff"), number(raw(1))}, true, raw(-1), 4},
      {"g1 flags 1: bad digit counts 0", {text("g1"), number(raw(1))}, true, raw(1), 4},
      {"12345678 flags 3", {text("12345678"), number(raw(3))}, true, 0x12345678, 4},
      {"empty flags 1", {text(""), number(raw(1))}, true, 0, 4},
      {"-42 flags 2", {text("-42"), number(raw(2))}, true, -42, 4},
      {" 7x flags 2", {text(" 7x"), number(raw(2))}, true, 7, 4},
      {"no digits flags 2", {text("abc"), number(raw(2))}, true, 0, 4},
      {"4294967297 flags 2 wraps", {text("4294967297"), number(raw(2))}, true, 1, 4},
      {"flags 6 is the integer read", {text("9"), number(raw(6))}, true, 9, 4},
      {"flags given as text", {text("ff"), text("1")}, true, raw(255), 4},
  };
  for (const TonumCase& c : cases) {
    const ConversionResult result = builtin_tonum(c.args.data(), static_cast<int>(c.args.size()));
    EXPECT_EQ(result.kind == ConversionResult::Kind::Number, c.has_value) << c.what;
    EXPECT_NE(result.kind, ConversionResult::Kind::Text) << c.what;
    if (c.has_value) {
      EXPECT_EQ(result.number, c.expected) << c.what;
    }
    EXPECT_EQ(result.cycles, c.cycles) << c.what;
  }
}

TEST(NumberBuiltins, LenientNumberArguments) {
  EXPECT_EQ(builtin_number_argument(number(raw(3))), raw(3));
  EXPECT_EQ(builtin_number_argument(text(" 0x10 ")), raw(16));
  EXPECT_EQ(builtin_number_argument(text("nope")), 0);
  EXPECT_EQ(builtin_number_argument(boolean(true)), 0);
  EXPECT_EQ(builtin_number_argument(nil()), 0);
}

}  // namespace
}  // namespace tamori::lang
