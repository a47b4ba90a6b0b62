#include "lang/number_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace tamori::lang {
namespace {

constexpr int32_t raw(double value) { return static_cast<int32_t>(value * 65536.0); }
constexpr int32_t bits(uint32_t value) { return static_cast<int32_t>(value); }

struct ReadCase {
  std::string text;
  int32_t expected;
};

TEST(NumberText, ReadsDecimalTruncatingAndWrapping) {
  const std::vector<ReadCase> cases = {
      {"0", 0},
      {"1", raw(1)},
      {"0.5", raw(0.5)},
      {".5", raw(0.5)},
      {"5.", raw(5)},
      {"0.1", 0x1999},
      {"-0.1", -0x1999},
      {"+2.25", raw(2.25)},
      {"1e3", raw(1000)},
      {"1E-1", 0x1999},
      {"2.5e+1", raw(25)},
      {"32767", raw(32767)},
      {"32768", bits(0x80000000)},
      {"65536", 0},
      {"65537", raw(1)},
      {"-32768", bits(0x80000000)},
      {"0.00001", 0},
      {"0.0000152587890625", 1},
      {"  42  ", raw(42)},
      {"\t\n7\r\n", raw(7)},
      {"1e400", 0},
      {"1e-400", 0},
      {"1e30", 0},
      {"4294967296.5", raw(0.5)},
  };
  for (const ReadCase& c : cases) {
    int32_t value = 0x5a5a5a5a;
    ASSERT_TRUE(text_to_number(c.text, &value)) << c.text;
    EXPECT_EQ(static_cast<uint32_t>(value), static_cast<uint32_t>(c.expected)) << c.text;
  }
}

TEST(NumberText, ReadsHexadecimalAndBinaryAsBitPatterns) {
  const std::vector<ReadCase> cases = {
      {"0x10", raw(16)},
      {"0X1f", raw(31)},
      {"0xffff", raw(-1)},
      {"0x8000", bits(0x80000000)},
      {"0x7fff.ffff", 0x7fffffff},
      {"0x12345", raw(0x2345)},
      {"0x.8", raw(0.5)},
      {"0x1.", raw(1)},
      {"0x0.0001", 1},
      {"0x0.00018", 1},
      {"0x0.04", 0x400},
      {"0x0.123", 0x1230},
      {"-0x1", raw(-1)},
      {"+0x1", raw(1)},
      {"-0x8000", bits(0x80000000)},
      {" 0xA ", raw(10)},
      {"0b101", raw(5)},
      {"0b101.1", raw(5.5)},
      {"0B.01", raw(0.25)},
      {"-0b1", raw(-1)},
      {"0b0.0000000000000001", 1},
      {"0b0.00000000000000011", 1},
      {"0b11111111111111111", raw(-1)},
  };
  for (const ReadCase& c : cases) {
    int32_t value = 0x5a5a5a5a;
    ASSERT_TRUE(text_to_number(c.text, &value)) << c.text;
    EXPECT_EQ(static_cast<uint32_t>(value), static_cast<uint32_t>(c.expected)) << c.text;
  }
}

TEST(NumberText, RejectsTextThatIsNotANumber) {
  const std::vector<std::string> rejected = {
      "", " ", "-", "+", ".", "abc", "12abc", "nan", "inf", "-inf", "infinity", "1n",
      "0x", "0x.", "x10", "1x", "0x1p4", "0x1P", "0xg", "0b", "0b2", "0b1.2", "0b1p1", "b1",
      "1e", "1e+", "e3", "1 2", "1..2", "--1", "+-1", "-+1", " - 1", "0x1 2", "1,5",
      std::string("1\0", 2), std::string("\0" "1", 2), "0x1\x01",
  };
  for (const std::string& text : rejected) {
    int32_t value = 0x5a5a5a5a;
    EXPECT_FALSE(text_to_number(text, &value)) << '"' << text << '"';
    EXPECT_EQ(value, 0x5a5a5a5a) << '"' << text << '"';
  }
}

TEST(NumberText, ReadsOnlyTheGivenLength) {
  const std::string text = "123456";
  int32_t value = 0;
  ASSERT_TRUE(text_to_number(std::string_view(text).substr(0, 2), &value));
  EXPECT_EQ(value, raw(12));
}

struct WriteCase {
  int32_t raw_value;
  const char* expected;
};

TEST(NumberText, WritesNumbers) {
  const std::vector<WriteCase> cases = {
      {0, "0"},
      {raw(1), "1"},
      {raw(-1), "-1"},
      {raw(100), "100"},
      {0x5555, "0.3333"},
      {raw(0.5), "0.5"},
      {raw(2.5), "2.5"},
      {0x1999, "0.1"},
      {-0x1999, "-0.1"},
      {0xffff, "1"},
      {1, "0"},
      {-1, "-0"},
      {0x7fffffff, "32768"},
      {bits(0x80000000), "-32768"},
      {raw(32767), "32767"},
      {0x400, "0.0156"},
      {0x800, "0.0312"},
      {0x16a09, "1.4142"},
      {raw(-2.75), "-2.75"},
      {0x028f, "0.01"},
  };
  for (const WriteCase& c : cases) {
    EXPECT_EQ(number_to_text(c.raw_value), c.expected) << std::hex << c.raw_value;
  }
}

// Writing keeps four decimals, so reading the text back gives the nearest
// value only up to that precision: whole numbers and numbers whose four
// decimal places are exact survive, every other value comes back within
// the rounding of the written text (at most 0.00005 plus one truncation step).
TEST(NumberText, WrittenTextReadsBackNearTheValue) {
  std::mt19937 random(20261208);
  for (int i = 0; i < 20000; ++i) {
    const int32_t value = static_cast<int32_t>(random());
    const std::string text = number_to_text(value);
    ASSERT_LE(text.size(), 31u);
    int32_t back = 0;
    ASSERT_TRUE(text_to_number(text, &back)) << text;
    if ((value & 0xffff) == 0) {
      EXPECT_EQ(back, value) << text;
    } else if (value < 0x7fff8000) {
      const double difference = (static_cast<double>(back) - static_cast<double>(value)) / 65536.0;
      EXPECT_LE(difference < 0 ? -difference : difference, 0.0005 + 1.0 / 65536) << text;
    }
  }
  for (int32_t whole = -32768; whole <= 32767; ++whole) {
    int32_t back = 0;
    const int32_t value = static_cast<int32_t>(static_cast<uint32_t>(whole) << 16);
    ASSERT_TRUE(text_to_number(number_to_text(value), &back));
    ASSERT_EQ(back, value);
  }
}

// Numbers written with one or two decimals, as cartridges usually write
// them, read back to the same raw value and are written the same way again.
TEST(NumberText, ShortDecimalsSurviveAWriteAndRead) {
  for (int hundredths = -327600; hundredths <= 327600; hundredths += 7) {
    const std::string text = std::to_string(hundredths / 100) + "." +
                             std::to_string((hundredths < 0 ? -hundredths : hundredths) % 100 + 100).substr(1);
    const std::string signed_text = (hundredths < 0 && hundredths > -100 ? "-" : "") + text;
    int32_t value = 0;
    ASSERT_TRUE(text_to_number(signed_text, &value)) << signed_text;
    int32_t again = 0;
    ASSERT_TRUE(text_to_number(number_to_text(value), &again)) << signed_text;
    ASSERT_EQ(number_to_text(again), number_to_text(value)) << signed_text;
  }
}

TEST(NumberText, RandomTextNeverCrashes) {
  std::mt19937 random(7);
  const std::string alphabet("0123456789abcdefxXbBpPnN.+-eE \t\n\0\x80\xff", 35);
  int accepted = 0;
  for (int i = 0; i < 50000; ++i) {
    std::string text;
    const int length = static_cast<int>(random() % 12);
    for (int j = 0; j < length; ++j) text += alphabet[random() % alphabet.size()];
    int32_t value = 0;
    if (text_to_number(text, &value)) ++accepted;
  }
  EXPECT_GT(accepted, 0);
  EXPECT_LT(accepted, 50000);
}

}  // namespace
}  // namespace tamori::lang
