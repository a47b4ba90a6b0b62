// Input recordings: any text parses to the frames before its first bad
// line, and those frames written out again read back the same, whole.
#include "fuzz_support.h"
#include "input/input_recording.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamori;
  input::InputReplay replay = input::parse_input_recording(fuzz::as_text(data, size));
  std::string text(input::kRecordingHeader);
  text += '\n';
  for (const input::RecordedFrame& frame : replay.frames) text += input::format_recorded_frame(frame) + '\n';
  input::InputReplay again = input::parse_input_recording(text);
  fuzz::check(again.error.empty(), "a written recording reads without error");
  fuzz::check(again.frames == replay.frames, "a written recording reads back the same frames");
  return 0;
}
