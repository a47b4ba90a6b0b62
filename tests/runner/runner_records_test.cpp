// The runner's records and rules that need no running program: the
// frame-rate governor, the run chain, the cartridge data file, printh file
// names and the random generator.
#include <gtest/gtest.h>

#include "runner/bindings/cart_data.h"
#include "runner/frame_rate_governor.h"
#include "runner/bindings/printh_log.h"
#include "runner/random_generator.h"
#include "runner/run_chain.h"

namespace tamori::runner {
namespace {

using namespace tamori::lang;

// A frame that used `cycles` between marks 0 and 2.
void mark_frame(FrameRateGovernor& governor, int32_t cycles) {
  governor.mark_cycles = {1000, 0, 1000 + cycles};
  governor.mark_times = {0, 0, 10};
}

TEST(FrameRateGovernor, AnOverrunHalvesTheRateOnceThenALightFrameRestoresIt) {
  FrameRateGovernor governor;
  RunControl control;
  control.current_fps = control.requested_fps = 60;
  GovernorInputs inputs;

  governor.frame_overran = true;
  mark_frame(governor, 200000);
  update_framerate(governor, control, inputs);
  EXPECT_EQ(control.current_fps, 30);
  EXPECT_FALSE(governor.frame_overran);

  // The heavy frame's load is still remembered: the next light frame is
  // judged by the larger of the two.
  governor.frame_overran = true;  // below the requested rate an overrun does not halve again
  mark_frame(governor, 1000);
  update_framerate(governor, control, inputs);
  EXPECT_EQ(control.current_fps, 30);
  mark_frame(governor, 1000);
  update_framerate(governor, control, inputs);
  EXPECT_EQ(control.current_fps, 60);
}

TEST(FrameRateGovernor, ASlowHostMeterDropsSixtyToThirtyWithAGrowingPenalty) {
  FrameRateGovernor governor;
  RunControl control;
  control.current_fps = control.requested_fps = 60;
  GovernorInputs inputs;
  inputs.host_framerate_control = 2;
  inputs.meter_fps = 40;
  inputs.now_ms = 5000;
  governor.last_drop_time = 4000;
  mark_frame(governor, 1000);
  update_framerate(governor, control, inputs);
  EXPECT_EQ(control.current_fps, 30);
  EXPECT_EQ(governor.drop_penalty, 1);
  EXPECT_EQ(governor.last_drop_time, 5000);
}

TEST(FrameRateGovernor, HostDrawTimeAndSleepCountAgainstReturningToSixty) {
  // Marks 0 and 2 are 10 ms apart; the way back to 60 needs the frame time
  // with the host's drawing, plus the sleep, to fit 16 ms.
  const struct {
    int32_t draw_ms;
    int sleep_ms;
    int expected_fps;
  } cases[] = {{0, 0, 60}, {6, 0, 60}, {7, 0, 30}, {3, 4, 30}, {-5, 6, 60}, {100, 0, 30}};
  for (const auto& entry : cases) {
    SCOPED_TRACE(entry.draw_ms);
    FrameRateGovernor governor;
    RunControl control;
    control.current_fps = 30;
    control.requested_fps = 60;
    GovernorInputs inputs;
    inputs.host_framerate_control = 2;
    inputs.meter_fps = 60;
    inputs.draw_ms = entry.draw_ms;
    inputs.sleep_ms = entry.sleep_ms;
    mark_frame(governor, 1000);
    update_framerate(governor, control, inputs);
    EXPECT_EQ(control.current_fps, entry.expected_fps);
  }
}

TEST(FrameRateGovernor, FrameCapacity) {
  EXPECT_EQ(cycles_to_frame_capacity(0x800000 / 30, 30), 0x10000);
  EXPECT_EQ(cycles_to_frame_capacity(0x800000 / 60, 60), 0x10000);
  EXPECT_EQ(cycles_to_frame_capacity(0x800000 / 60, 0), 0x8000);  // a rate of 0 counts as 30
}

TEST(RunChain, PushPopAndPendingEntries) {
  RunChain chain;
  EXPECT_EQ(run_chain_top(chain), nullptr);
  run_chain_push(chain, "a.tm", "a label longer than sixteen", 0, "param");
  run_chain_push(chain, "b.tm", "b", 1);
  EXPECT_EQ(run_chain_top(chain)->file_name, "b.tm");
  run_chain_cancel_pending(chain);
  ASSERT_NE(run_chain_top(chain), nullptr);
  EXPECT_EQ(run_chain_top(chain)->label, "a label longer t");
  run_chain_cancel_pending(chain);  // not pending: stays
  EXPECT_EQ(chain.entries.size(), 1u);
  for (int i = 0; i < 600; i++) run_chain_push(chain, "x", "x", 1);
  EXPECT_EQ(chain.entries.size(), kMaxRunChainEntries);
  run_chain_confirm_pending(chain);
  EXPECT_EQ(run_chain_top(chain)->pending, 0);
  run_chain_reset(chain);
  EXPECT_TRUE(chain.entries.empty());
}

TEST(CartData, FileRoundTripAndLenientReading) {
  uint32_t slots[kCartDataSlots] = {};
  slots[0] = 0x10000;
  slots[63] = 0xdeadbeef;
  std::string text = format_cart_data_file(slots);
  EXPECT_EQ(text.size(), 520u);
  EXPECT_EQ(text.substr(0, 8), "00010000");
  EXPECT_EQ(text.substr(64, 1), "\n");
  uint32_t read[kCartDataSlots];
  parse_cart_data_file(text, read);
  EXPECT_EQ(read[0], 0x10000u);
  EXPECT_EQ(read[63], 0xdeadbeefu);
  // Other bytes are skipped, digits of any case count, missing slots are 0.
  parse_cart_data_file("xx0000 00Ff-zz12345678", read);
  EXPECT_EQ(read[0], 0xffu);
  EXPECT_EQ(read[1], 0x12345678u);
  EXPECT_EQ(read[2], 0u);
  // Only the first 1024 bytes are read.
  parse_cart_data_file(std::string(1024, ' ') + "11111111", read);
  EXPECT_EQ(read[0], 0u);
}

TEST(CartData, IdRules) {
  EXPECT_STREQ(cart_data_id_error(""), "bad cart data id");
  EXPECT_STREQ(cart_data_id_error("My_game"), "cart data id: bad char");
  EXPECT_EQ(cart_data_id_error("my_game-2"), nullptr);
}

TEST(Printh, LogFileNames) {
  struct Case {
    const char* name;
    bool ok;
    const char* file;
  };
  const Case cases[] = {
      {"log", true, "log.tml"},        {"out.txt", true, "out.txt"}, {"sub/dir/a.csv", true, "sub/dir/a.csv"},
      {"a.lua", true, "a.lua.tml"},    {"../up", false, ""},         {"Caps", false, ""},
      {"semi;colon", false, ""},
  };
  for (const Case& c : cases) {
    std::string file;
    EXPECT_EQ(printh_file_name(c.name, &file), c.ok) << c.name;
    if (c.ok) {
      EXPECT_EQ(file, c.file) << c.name;
    }
  }
}

TEST(Printh, TheRateLimitPeriodRestartsAfterAMinute) {
  PrinthLog log;
  log.files = {"a.tml"};
  log.bytes = 100;
  printh_check_period(log, 59999);
  EXPECT_EQ(log.bytes, 100);
  printh_check_period(log, 60000);
  EXPECT_EQ(log.bytes, 0);
  EXPECT_TRUE(log.files.empty());
}

TEST(RandomGenerator, SeedZeroActsAsDeadbeefAndZeroRangeDoesNotStep) {
  uint32_t a[2];
  random_seed(a, 0);
  uint32_t b[2] = {0xdeadbeefu ^ 0xbead29bau, 0xdeadbeefu};
  for (int i = 0; i < 32; i++) random_step(b);
  EXPECT_EQ(a[0], b[0]);
  EXPECT_EQ(a[1], b[1]);
  uint32_t before[2] = {a[0], a[1]};
  EXPECT_EQ(random_below(a, 0), 0u);
  EXPECT_EQ(a[0], before[0]);
  // One step by hand: hi = rotl(hi, 16) + lo; lo += hi.
  uint32_t state[2] = {0x00010002, 5};
  EXPECT_EQ(random_step(state), 0x00020001u + 5u);
  EXPECT_EQ(state[1], 5u + 0x00020006u);
  for (int i = 0; i < 1000; i++) EXPECT_LT(random_below(a, 0x10000), 0x10000u);
}

}  // namespace
}  // namespace tamori::runner
