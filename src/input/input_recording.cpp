#include "input/input_recording.h"

#include "host/files.h"
#include "host/log.h"

namespace tamori::input {
namespace {

// A recording of a day of play at 60 ticks a second is about 125 MB.
constexpr size_t kLargestRecording = size_t(256) << 20;

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "hh hh hh hh hh hh hh hh": exactly eight bytes, single spaces.
bool parse_frame(std::string_view line, RecordedFrame* frame) {
  if (line.size() != 8 * 3 - 1) return false;
  for (size_t player = 0; player < 8; player++) {
    const size_t at = player * 3;
    const int high = hex_digit(line[at]), low = hex_digit(line[at + 1]);
    if (high < 0 || low < 0) return false;
    if (player < 7 && line[at + 2] != ' ') return false;
    (*frame)[player] = uint8_t(high * 16 + low);
  }
  return true;
}

std::string_view next_line(std::string_view text, size_t* at) {
  const size_t end = text.find('\n', *at);
  std::string_view line = text.substr(*at, end == std::string_view::npos ? std::string_view::npos : end - *at);
  *at = end == std::string_view::npos ? text.size() : end + 1;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

InputReplay parse_input_recording(std::string_view text) {
  InputReplay replay;
  size_t at = 0;
  if (text.empty() || next_line(text, &at) != kRecordingHeader) {
    replay.error = "line 1: not an input recording (expected \"" + std::string(kRecordingHeader) + "\")";
    return replay;
  }
  for (int number = 2; at < text.size(); number++) {
    std::string_view line = next_line(text, &at);
    if (line.empty() || line[0] == '#') continue;
    RecordedFrame frame{};
    if (!parse_frame(line, &frame)) {
      replay.error = "line " + std::to_string(number) + ": expected eight button bytes in hexadecimal";
      return replay;
    }
    replay.frames.push_back(frame);
  }
  return replay;
}

std::string format_recorded_frame(const RecordedFrame& frame) {
  static const char kDigits[] = "0123456789abcdef";
  std::string line;
  for (size_t player = 0; player < 8; player++) {
    if (player > 0) line += ' ';
    line += kDigits[frame[player] >> 4];
    line += kDigits[frame[player] & 15];
  }
  return line;
}

void open_input_replay(InputReplay& replay, const std::string& path) {
  std::optional<std::vector<uint8_t>> bytes = host::read_file(path, kLargestRecording);
  if (!bytes) {
    host::ruvo_log("** could not read input recording %s\n", path.c_str());
    replay = InputReplay{};
    return;
  }
  replay = parse_input_recording(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
  replay.path = path;
  replay.active = true;
  if (!replay.error.empty())
    host::ruvo_log("** input recording %s, %s: the replay stops after %zu frames\n", path.c_str(),
                   replay.error.c_str(), replay.frames.size());
}

void replay_tick(InputReplay& replay, uint8_t scripted_held[8]) {
  if (!replay.active) return;
  if (replay.position < replay.frames.size()) {
    const RecordedFrame& frame = replay.frames[replay.position++];
    for (size_t player = 0; player < 8; player++) scripted_held[player] = frame[player];
    return;
  }
  for (size_t player = 0; player < 8; player++) scripted_held[player] = 0;
  replay.active = false;
  host::ruvo_log("input recording %s ended after %zu frames\n", replay.path.c_str(), replay.position);
}

void open_input_recorder(InputRecorder& recorder, const std::string& path) {
  recorder = InputRecorder{};
  auto file = std::make_unique<std::ofstream>(path, std::ios::binary | std::ios::trunc);
  if (!*file || !(*file << kRecordingHeader << '\n' << std::flush)) {
    host::ruvo_log("** could not write input recording %s\n", path.c_str());
    return;
  }
  recorder.file = std::move(file);
  recorder.path = path;
}

void record_tick(InputRecorder& recorder, const uint8_t held[8]) {
  if (!recorder.file) return;
  RecordedFrame frame{};
  for (size_t player = 0; player < 8; player++) frame[player] = held[player];
  *recorder.file << format_recorded_frame(frame) << '\n' << std::flush;
  if (!*recorder.file) {
    host::ruvo_log("** could not write input recording %s\n", recorder.path.c_str());
    recorder.file.reset();
    return;
  }
  recorder.frames_written++;
}

void close_input_recorder(InputRecorder& recorder) { recorder = InputRecorder{}; }

}  // namespace tamori::input
