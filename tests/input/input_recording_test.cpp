// The input recording format: well-formed and malformed files, random
// damage, replaying tick by tick, and writing.
#include "input/input_recording.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <unistd.h>

#include "host/files.h"
#include "host/log.h"

namespace tamori::input {
namespace {

const std::string kHeader = std::string(kRecordingHeader) + "\n";
const std::string kIdle = "00 00 00 00 00 00 00 00\n";

struct ParseCase {
  const char* name;
  std::string text;
  size_t frames;       // well-formed frames kept
  const char* error;   // start of the error; "" when none
};

TEST(InputRecordingParse, WellFormedAndMalformedFiles) {
  // A zero byte where a space belongs, on a line of the right length.
  static const char kZeroByteLine[] = "00 00 00\0" "00 00 00 00 00\n";
  const ParseCase cases[] = {
      {"header only", kHeader, 0, ""},
      {"frames", kHeader + kIdle + "1f 20 00 00 00 00 00 ff\n", 2, ""},
      {"last line without a line feed", kHeader + kIdle + "01 00 00 00 00 00 00 00", 2, ""},
      {"capital hex digits", kHeader + "AB cd 00 00 00 00 00 00\n", 1, ""},
      {"windows line ends", std::string(kRecordingHeader) + "\r\n" + "01 00 00 00 00 00 00 00\r\n", 1, ""},
      {"comments and blank lines", kHeader + "# a comment\n\n" + kIdle + "\n", 1, ""},
      {"empty file", "", 0, "line 1: not an input recording"},
      {"other format", "hello\n" + kIdle, 0, "line 1: not an input recording"},
      {"newer version", "tamori input recording 2\n" + kIdle, 0, "line 1: not an input recording"},
      {"seven players", kHeader + kIdle + "00 00 00 00 00 00 00\n" + kIdle, 1, "line 3:"},
      {"nine players", kHeader + "00 00 00 00 00 00 00 00 00\n", 0, "line 2:"},
      {"not hex", kHeader + kIdle + kIdle + "0g 00 00 00 00 00 00 00\n", 2, "line 4:"},
      {"double space", kHeader + "00  0 00 00 00 00 00 00\n", 0, "line 2:"},
      {"trailing space", kHeader + "00 00 00 00 00 00 00 00 \n", 0, "line 2:"},
      {"one digit", kHeader + "0 00 00 00 00 00 00 00\n", 0, "line 2:"},
      {"zero byte", kHeader + std::string(kZeroByteLine, sizeof kZeroByteLine - 1), 0, "line 2:"},
      {"binary", kHeader + "\xff\xfe\x01\n", 0, "line 2:"},
      {"long line", kHeader + std::string(100000, '0') + "\n", 0, "line 2:"},
  };
  for (const ParseCase& c : cases) {
    InputReplay replay = parse_input_recording(c.text);
    EXPECT_EQ(replay.frames.size(), c.frames) << c.name;
    EXPECT_EQ(replay.error.substr(0, std::string(c.error).size()), c.error) << c.name << ": " << replay.error;
    if (c.error[0] == '\0') {
      EXPECT_EQ(replay.error, "") << c.name;
    }
  }
  InputReplay replay = parse_input_recording(kHeader + "1f 20 00 00 00 00 03 ff\n");
  ASSERT_EQ(replay.frames.size(), 1u);
  EXPECT_EQ(replay.frames[0], (RecordedFrame{0x1f, 0x20, 0, 0, 0, 0, 3, 0xff}));
}

TEST(InputRecordingParse, FormattedFramesReadBack) {
  std::mt19937 random(7);
  std::string text = kHeader;
  std::vector<RecordedFrame> frames;
  for (int i = 0; i < 200; i++) {
    RecordedFrame frame;
    for (uint8_t& byte : frame) byte = uint8_t(random());
    frames.push_back(frame);
    text += format_recorded_frame(frame) + "\n";
  }
  EXPECT_EQ(format_recorded_frame(RecordedFrame{0x10, 0, 0, 0, 0, 0, 0, 0xa5}), "10 00 00 00 00 00 00 a5");
  InputReplay replay = parse_input_recording(text);
  EXPECT_EQ(replay.error, "");
  EXPECT_EQ(replay.frames, frames);
}

// Randomly damaged recordings never crash, and what they keep is a prefix
// of the original frames.
TEST(InputRecordingParse, DamagedFilesKeepAPrefix) {
  std::string good = kHeader;
  std::vector<RecordedFrame> frames;
  for (int i = 0; i < 40; i++) {
    RecordedFrame frame{uint8_t(i), uint8_t(i * 7), 0, 0, 0, 0, 0, uint8_t(255 - i)};
    frames.push_back(frame);
    good += format_recorded_frame(frame) + "\n";
  }
  std::mt19937 random(11);
  int damaged = 0;
  for (int round = 0; round < 2000; round++) {
    std::string text = good;
    const int changes = 1 + int(random() % 4);
    for (int change = 0; change < changes; change++) {
      const size_t at = random() % text.size();
      switch (random() % 3) {
        case 0: text[at] = char(random()); break;
        case 1: text.erase(at, 1 + random() % 5); break;
        default: text.insert(at, 1, char(random())); break;
      }
      if (text.empty()) break;
    }
    InputReplay replay = parse_input_recording(text);
    ASSERT_LE(replay.frames.size(), frames.size() + 8) << text;
    if (!replay.error.empty()) damaged++;
    // Every frame whose line lies wholly before the first damaged byte is
    // read as it was written.
    size_t first_difference = 0;
    while (first_difference < text.size() && first_difference < good.size() &&
           text[first_difference] == good[first_difference])
      first_difference++;
    const size_t intact_lines = first_difference < kHeader.size()
                                    ? 0
                                    : (first_difference - kHeader.size()) / kIdle.size();
    ASSERT_GE(replay.frames.size(), intact_lines) << text;
    for (size_t i = 0; i < intact_lines; i++) ASSERT_EQ(replay.frames[i], frames[i]) << text;
  }
  EXPECT_GT(damaged, 1000);
}

class InputRecordingFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() / ("tamori_recording_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    host::ruvo_log_capture(true);
  }
  void TearDown() override {
    host::ruvo_log_capture(false);
    std::filesystem::remove_all(folder);
  }
  std::filesystem::path folder;
};

TEST_F(InputRecordingFiles, ReplayTicksThroughTheFramesThenReleases) {
  const std::string path = (folder / "in.txt").string();
  ASSERT_TRUE(host::write_file(path, kHeader + "01 00 00 00 00 00 00 00\n" + "00 30 00 00 00 00 00 80\n" +
                                         "zz\n" + "ff ff ff ff ff ff ff ff\n"));
  InputReplay replay;
  open_input_replay(replay, path);
  EXPECT_TRUE(replay.active);
  EXPECT_NE(host::ruvo_log_captured().find("line 4: expected eight button bytes"), std::string::npos)
      << host::ruvo_log_captured();
  uint8_t held[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  replay_tick(replay, held);
  EXPECT_EQ(held[0], 1);
  EXPECT_EQ(held[1], 0);
  replay_tick(replay, held);
  EXPECT_EQ(held[1], 0x30);
  EXPECT_EQ(held[7], 0x80);
  replay_tick(replay, held);
  EXPECT_FALSE(replay.active) << "the bad line stops the replay";
  for (uint8_t byte : held) EXPECT_EQ(byte, 0);
  EXPECT_NE(host::ruvo_log_captured().find("ended after 2 frames"), std::string::npos);
  // An ended replay leaves the buttons to the keys and scripts.
  held[3] = 4;
  replay_tick(replay, held);
  EXPECT_EQ(held[3], 4);
}

TEST_F(InputRecordingFiles, MissingFileIsLoggedAndReplaysNothing) {
  InputReplay replay;
  open_input_replay(replay, (folder / "missing.txt").string());
  EXPECT_FALSE(replay.active);
  EXPECT_NE(host::ruvo_log_captured().find("could not read input recording"), std::string::npos);
  uint8_t held[8] = {5};
  replay_tick(replay, held);
  EXPECT_EQ(held[0], 5);
}

TEST_F(InputRecordingFiles, RecorderWritesOneLinePerTick) {
  const std::string path = (folder / "out.txt").string();
  InputRecorder recorder;
  open_input_recorder(recorder, path);
  const uint8_t first[8] = {0x12, 0, 0, 0, 0, 0, 0, 1};
  const uint8_t second[8] = {};
  record_tick(recorder, first);
  record_tick(recorder, second);
  // Flushed after every tick: readable before the recorder closes.
  std::optional<std::vector<uint8_t>> bytes = host::read_file(path);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), kHeader + "12 00 00 00 00 00 00 01\n" + kIdle);
  close_input_recorder(recorder);
  record_tick(recorder, first);  // closed: nothing more is written
  EXPECT_EQ(host::read_file(path)->size(), bytes->size());

  open_input_recorder(recorder, (folder / "no such folder" / "out.txt").string());
  record_tick(recorder, first);
  EXPECT_NE(host::ruvo_log_captured().find("could not write input recording"), std::string::npos);
}

}  // namespace
}  // namespace tamori::input
