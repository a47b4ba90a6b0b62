// Input recordings: the buttons held on every console tick, written by a
// live session (the -o option) and replayed by a later one (the -i option),
// so a play session can be reproduced headless by tests and bug reports.
//
// The file is text. The first line names the format and its version:
//
//   tamori input recording 1
//
// Then one line per tick, in order from the first tick of the session: the
// eight players' held buttons as two hexadecimal digits each, separated by
// single spaces, bit b being button b (0 left, 1 right, 2 up, 3 down, 4 O,
// 5 X, 6 pause, 7 spare):
//
//   00 00 00 00 00 00 00 00
//   10 00 00 00 00 00 00 00
//
// Blank lines and lines starting with '#' are skipped. What is recorded is
// what the keys, controllers and mouse held when the buttons were last read
// in that tick, before blocking, so that a replay blocks and releases
// buttons exactly as the live session did.
//
// A replay drives the buttons as a script does (InputState::scripted_held);
// live keys still add to it. It stops at the end of the recording or at the
// first malformed line, releasing every button, and logs why.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tamori::input {

inline constexpr std::string_view kRecordingHeader = "tamori input recording 1";

using RecordedFrame = std::array<uint8_t, 8>;

struct InputReplay {
  bool active = false;
  std::string path;
  std::vector<RecordedFrame> frames;  // the well-formed lines before any error
  size_t position = 0;
  std::string error;  // why the file was cut short; empty when it was read whole
};

struct InputRecorder {
  std::unique_ptr<std::ofstream> file;
  std::string path;
  int frames_written = 0;
};

// Reads a recording's text. Frames before the first malformed line are
// kept; `error` says what was wrong and where ("line 3: ...").
InputReplay parse_input_recording(std::string_view text);
// One tick's line, without the line feed.
std::string format_recorded_frame(const RecordedFrame& frame);

// Opens a recording to replay from the next tick on. A file that cannot be
// read, or whose content is malformed, is logged; the well-formed part still
// plays.
void open_input_replay(InputReplay& replay, const std::string& path);
// At the start of a tick: the next frame's buttons into `scripted_held`.
// When the recording runs out the buttons are released and the replay ends.
void replay_tick(InputReplay& replay, uint8_t scripted_held[8]);

// Creates the file and writes the format line; a failure is logged and
// nothing is recorded.
void open_input_recorder(InputRecorder& recorder, const std::string& path);
// At the end of a tick: appends the held buttons and flushes, so the file is
// complete whenever the session ends.
void record_tick(InputRecorder& recorder, const uint8_t held[8]);
void close_input_recorder(InputRecorder& recorder);

}  // namespace tamori::input
