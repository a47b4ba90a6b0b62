// serial: recording and delivery into the I/O bytes, dropped data, the
// loop-back pair, channel settings, lengths, repeats and the overflow.
#include "input/serial_functions.h"

#include <gtest/gtest.h>

#include <memory>

#include "machine/memory.h"
#include "machine/memory_map.h"

namespace tamori::input {
namespace {

constexpr int32_t kOne = 0x10000;

struct SerialFixture {
  SerialState serial_state;
  std::unique_ptr<machine::MachineState> machine = std::make_unique<machine::MachineState>();
  SerialFixture() { machine::init_machine_state(*machine); }

  void poke(uint32_t address, std::initializer_list<uint8_t> bytes) {
    for (uint8_t byte : bytes) machine::write_memory_byte(*machine, address++, byte);
  }
  uint8_t peek(uint32_t address) const { return machine::read_memory_byte(*machine, address); }
  SerialResult call(int32_t channel, int32_t address, int32_t length) {
    return serial(serial_state, *machine, channel, address, length);
  }
};

TEST(SerialPins, SecondByteOfARunLandsAtTheIoByteAfterFlip) {
  SerialFixture f;
  f.poke(0x4300, {0x11, 0x22});
  serial_frame_start(f.serial_state);
  const SerialResult result = f.call(3, 0x4300, 2 * kOne);
  EXPECT_EQ(result.bytes, 2 * kOne);
  EXPECT_EQ(f.peek(0x5f83), 0) << "nothing is delivered before the frame ends";
  serial_frame_end(f.serial_state, *f.machine);
  EXPECT_EQ(f.peek(0x5f83), 0x22);
}

TEST(SerialPins, RunsOfSeveralChannelsAndCalls) {
  SerialFixture f;
  f.poke(0x4300, {0xa5, 0x5a, 0xff});
  f.call(0, 0x4300, kOne);        // 0xa5
  f.call(0, 0x4301, kOne / 2);    // 4 more bits on the same run: byte 2 = 0x0a
  f.call(127, 0x4302, kOne);      // 0xff
  f.call(255, 0x4300, 3 * kOne);  // a value marker, skipped
  f.call(128, 0x4300, kOne);      // no I/O byte for channel 128
  f.call(5, 0x4301, kOne / 8);    // 1 bit: 0
  f.call(5, 0x4300, kOne / 8);    // 1 bit: 1 -> byte 0b10
  serial_frame_end(f.serial_state, *f.machine);
  EXPECT_EQ(f.peek(0x5f80), 0x0a);
  EXPECT_EQ(f.peek(0x5fff), 0xff);
  EXPECT_EQ(f.peek(0x5f85), 0x02);
  // Delivered once: the next frame starts with an empty recording.
  f.poke(0x5f80, {0x77});
  serial_frame_end(f.serial_state, *f.machine);
  EXPECT_EQ(f.peek(0x5f80), 0x77);
}

TEST(SerialPins, FrameStartDropsTheRecording) {
  SerialFixture f;
  f.poke(0x4300, {0x42});
  f.call(9, 0x4300, kOne);
  serial_frame_start(f.serial_state);
  serial_frame_end(f.serial_state, *f.machine);
  EXPECT_EQ(f.peek(0x5f89), 0);
}

struct LengthCase {
  int32_t length;
  bool has_repeat;
  int32_t repeat;
  int32_t expected_bytes;  // 16.16
  int64_t expected_cycles;
};

TEST(SerialLengths, EighthsOfBytesAndRepeats) {
  const LengthCase cases[] = {
      {kOne / 2, false, 0, kOne / 2, 0},          // 0.5 moves 4 bits
      {kOne / 8, false, 0, kOne / 8, 0},          // one bit
      {kOne / 16, false, 0, 0, 0},                // below one bit: nothing
      {-kOne, false, 0, 0, 0},
      {8 * kOne, false, 0, 8 * kOne, 1},          // 64 bits cost one cycle
      {8 * kOne, true, 0, 0, 0},                  // repeat 0 returns 0 at once
      {8 * kOne, true, kOne / 2, 0, 0},           // repeat below 1
      {8 * kOne, true, 3 * kOne + 0x8000, 24 * kOne, 3},
  };
  for (const LengthCase& c : cases) {
    SerialFixture f;
    const SerialResult result =
        serial(f.serial_state, *f.machine, 256, 0x4300, c.length, c.has_repeat, c.repeat);
    EXPECT_EQ(result.bytes, c.expected_bytes) << c.length << " x " << c.repeat;
    EXPECT_EQ(result.cpu_cycles, c.expected_cycles) << c.length << " x " << c.repeat;
  }
}

TEST(SerialLengths, RepeatZeroTransfersNothing) {
  SerialFixture f;
  f.poke(0x4300, {0x99});
  EXPECT_EQ(serial(f.serial_state, *f.machine, 7, 0x4300, kOne, true, 0).bytes, 0);
  serial_frame_end(f.serial_state, *f.machine);
  EXPECT_EQ(f.peek(0x5f87), 0);
}

TEST(SerialDropped, TenByteFileCopiedBySixteenByteRead) {
  SerialFixture f;
  set_dropped_file(f.serial_state.dropped, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  f.poke(0x4300 + 10, {0xee});
  EXPECT_EQ(dropped_file_remaining(f.serial_state.dropped), 10u);
  const SerialResult result = f.call(0x800, 0x4300, 16 * kOne);
  EXPECT_EQ(result.bytes, 10 * kOne);
  EXPECT_EQ(result.cpu_cycles, 32 * 10 + 80 / 64);
  for (int i = 0; i < 10; i++) EXPECT_EQ(f.peek(0x4300 + uint32_t(i)), i + 1);
  EXPECT_EQ(f.peek(0x4300 + 10), 0xee);
  EXPECT_EQ(dropped_file_remaining(f.serial_state.dropped), 0u);
  EXPECT_EQ(f.call(0x800, 0x4300, 16 * kOne).bytes, 0) << "read once";
}

TEST(SerialDropped, PictureHeaderThenPixelsInPieces) {
  SerialFixture f;
  set_dropped_picture(f.serial_state.dropped, 3, 2, {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(dropped_picture_remaining(f.serial_state.dropped), 10u);
  const SerialResult header = f.call(0x802, 0x4300, 4 * kOne);
  EXPECT_EQ(header.bytes, 4 * kOne);
  EXPECT_EQ(header.cpu_cycles, 4 * 32 + 32 / 64);
  EXPECT_EQ(f.peek(0x4300), 3);
  EXPECT_EQ(f.peek(0x4301), 0);
  EXPECT_EQ(f.peek(0x4302), 2);
  f.call(0x802, 0x4400, 6 * kOne);
  EXPECT_EQ(f.peek(0x4405), 6);
  clear_dropped_data(f.serial_state.dropped);
  EXPECT_EQ(dropped_picture_remaining(f.serial_state.dropped), 0u);
}

TEST(SerialChannels, LoopBackKeepsMemoryAndUnknownChannelsMoveNothing) {
  SerialFixture f;
  f.poke(0x4300, {1, 2, 3});
  EXPECT_EQ(f.call(257, 0x4300, 3 * kOne).bytes, 3 * kOne);
  EXPECT_EQ(f.peek(0x4302), 3);
  EXPECT_EQ(f.call(0x900, 0x4300, 3 * kOne).bytes, 0);
  EXPECT_EQ(f.call(5000, 0x4300, 3 * kOne).bytes, 0) << "beyond the channel table";
  EXPECT_EQ(f.call(-1, 0x4300, 3 * kOne).bytes, 0);
}

TEST(SerialChannels, AudioSamplesGoToTheSink) {
  SerialFixture f;
  std::vector<uint8_t> received;
  bool cleared = false;
  struct Sink {
    std::vector<uint8_t>* received;
    bool* cleared;
  } sink{&received, &cleared};
  f.serial_state.audio.context = &sink;
  f.serial_state.audio.append = [](void* context, const uint8_t* samples, size_t count) {
    static_cast<Sink*>(context)->received->insert(static_cast<Sink*>(context)->received->end(), samples,
                                                  samples + count);
  };
  f.serial_state.audio.clear = [](void* context) { *static_cast<Sink*>(context)->cleared = true; };
  f.poke(0x4300, {0x80, 0x90, 0xa0});
  EXPECT_EQ(f.call(0x808, 0x4300, 3 * kOne).bytes, 3 * kOne);
  EXPECT_EQ(received, (std::vector<uint8_t>{0x80, 0x90, 0xa0}));
  serial_run_start(f.serial_state);
  EXPECT_TRUE(cleared);
}

struct SettingsCase {
  const char* text;
  ChannelSettings expected;
};

TEST(SerialSettings, TextSetsNamedValuesOrFrequency) {
  const std::string too_long(257, '1');
  const SettingsCase cases[] = {
      {"400000", {10, 400000, 0x100800, 0x37, 0, 0}},
      {"7", {10, 7, 0x100800, 0x37, 0, 0}},
      {"dma:3 leds:12 invert:1", {3, 800000, 0x100800, 0x37, 1, 12}},
      {"brightness:200 type:5 freq:9", {10, 9, 5, 200, 0, 0}},
      {"loud dma 4 Leds:3 dma:5", {5, 800000, 0x100800, 0x37, 0, 0}},
      {"", {}},
      {too_long.c_str(), {}},  // too long: ignored
  };
  for (const SettingsCase& c : cases) {
    SerialState serial_state;
    serial_settings(serial_state, 12, c.text);
    const ChannelSettings& got = serial_channel(serial_state.table, 12)->settings;
    EXPECT_EQ(got.dma, c.expected.dma) << c.text;
    EXPECT_EQ(got.freq, c.expected.freq) << c.text;
    EXPECT_EQ(got.type, c.expected.type) << c.text;
    EXPECT_EQ(got.brightness, c.expected.brightness) << c.text;
    EXPECT_EQ(got.invert, c.expected.invert) << c.text;
    EXPECT_EQ(got.leds, c.expected.leds) << c.text;
  }
}

TEST(SerialSettings, FrozenOnceInUseUntilTheNextRun) {
  SerialFixture f;
  f.call(4, 0x4300, kOne);
  serial_settings(f.serial_state, 4, "dma:1");
  EXPECT_EQ(serial_channel(f.serial_state.table, 4)->settings.dma, 10);
  serial_run_start(f.serial_state);
  serial_settings(f.serial_state, 4, "dma:1");
  EXPECT_EQ(serial_channel(f.serial_state.table, 4)->settings.dma, 1);
}

TEST(SerialOverflow, RecordingStopsAtItsLimitWithAMessage) {
  SerialFixture f;
  // 32000 bytes a call: sixteen fit below the limit, the seventeenth does not.
  int accepted = 0;
  for (int call = 0; call < 20; call++)
    if (f.call(2, 0x4300, 32000 * kOne).bytes == 32000 * kOne) accepted++;
  EXPECT_EQ(accepted, 16);
  EXPECT_EQ(f.serial_state.pending_message, "serial buffer overflow");
  EXPECT_EQ(f.serial_state.pending_message_ms, 1000);
  EXPECT_LE(f.serial_state.recording.next_run, kRecordingLimit);
  // The next frame records again.
  serial_frame_end(f.serial_state, *f.machine);
  f.poke(0x4300, {0x5d});
  EXPECT_EQ(f.call(2, 0x4300, kOne).bytes, kOne);
  serial_frame_end(f.serial_state, *f.machine);
  EXPECT_EQ(f.peek(0x5f82), 0x5d);
}

TEST(SerialOverflow, ResultOfAHugeRepeatStaysANumber) {
  SerialFixture f;
  const SerialResult result = serial(f.serial_state, *f.machine, 256, 0x4300, 32767 * kOne, true, 4 * kOne);
  EXPECT_EQ(result.bytes, INT32_MAX) << "more than 32767 bytes saturate";
  EXPECT_EQ(result.cpu_cycles, 4 * int64_t(32767 * 8) / 64);
}

}  // namespace
}  // namespace tamori::input
