// Keys typed while a program runs: what the running-key buffer stores for
// each typed code, Ctrl with a letter, the buffer's limit, and typed host
// text reaching a program through stat(31).
#include "shell/running_keys.h"

#include <gtest/gtest.h>

#include "cartridge_run_fixture.h"

namespace tamori::shell::testing {
namespace {

TEST(RunningKeys, TypedCodesAreStoredAsTheBufferKeepsThem) {
  const struct {
    std::string typed;
    std::string stored;
  } cases[] = {
      {"A", "\x80"},     {"Z", "\x99"},      {"a", "a"},    {"\x7f", "\x08"},
      {"\x99", "\x99"},  {"\x9a", ""},       {"\xff", ""},  {"1 b", "1 b"},
  };
  for (const auto& c : cases) {
    std::string buffer;
    store_typed_characters(buffer, c.typed);
    EXPECT_EQ(buffer, c.stored) << int(uint8_t(c.typed[0]));
  }
  std::string buffer;
  store_ctrl_letter(buffer, 'a');
  store_ctrl_letter(buffer, 'z');
  store_ctrl_letter(buffer, '1');
  EXPECT_EQ(buffer, "\xc0\xd9");

  std::string full(kRunningKeyBufferSize - 1, 'x');
  store_typed_characters(full, "ab");
  store_ctrl_letter(full, 'c');
  EXPECT_EQ(full.size(), kRunningKeyBufferSize);
  EXPECT_EQ(full.back(), 'a');
}

TEST_F(CartridgeRun, TextTypedWhileAProgramRunsReachesIt) {
  after_frame = [](int frame, Console& console) {
    if (frame == 2) console.app.typed_text = "Ab";
  };
  HeadlessRunResult result = run_code(
      "poke(0x5f2d, 1) function _update() while stat(30) do printh(ord(stat(31))) end end", 6);
  ASSERT_TRUE(result.started);
  EXPECT_EQ(result.standard_output, "128\n98\n");
}

}  // namespace
}  // namespace tamori::shell::testing
