// The cartridge function serial on plain integers, and the frame hooks of
// the serial channels. Channels: 0..254 output pins recorded during a frame
// and delivered to 0x5f80.. at its end, 255 a value marker in the
// recording, 256 and 257 a loop-back pair, 0x800 the dropped file, 0x802
// the dropped picture, 0x808 8-bit samples for the mixer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "input/dropped_data.h"
#include "input/serial_channels.h"
#include "input/serial_recording.h"
#include "machine/machine_state.h"

namespace tamori::input {

inline constexpr int kLoopbackChannel = 256, kLoopbackChannel2 = 257;
inline constexpr int kDroppedFileChannel = 0x800;
inline constexpr int kDroppedPictureChannel = 0x802;
inline constexpr int kAudioSampleChannel = 0x808;
inline constexpr size_t kLoopbackBufferSize = 0x8000;
inline constexpr int32_t kSerialOverflowMessageMs = 1000;

// Where channel 0x808's samples go: the mixer registers itself here.
struct AudioSampleSink {
  void* context = nullptr;
  void (*append)(void* context, const uint8_t* samples, size_t count) = nullptr;
  void (*clear)(void* context) = nullptr;
};

struct SerialState {
  ChannelTable table;
  SerialRecording recording;
  DroppedData dropped;
  std::vector<uint8_t> loopback;  // made on first use
  AudioSampleSink audio;
  // A message for the message bar ("serial buffer overflow"); the shell
  // shows it and clears it.
  std::string pending_message;
  int32_t pending_message_ms = 0;
};

struct SerialResult {
  int32_t bytes = 0;  // 16.16 fixed point: the bits transferred / 8
  int64_t cpu_cycles = 0;
};

// serial(channel, address, length[, repeat]): `length` and `repeat` are the
// raw 16.16 values (length counts eighths of a byte, so 0.5 moves 4 bits).
// A repeat below 1 returns 0 at once.
SerialResult serial(SerialState& serial_state, machine::MachineState& machine, int32_t channel, int32_t address,
                    int32_t length, bool has_repeat = false, int32_t repeat = 0x10000);

// serial(channel, text): the channel's settings.
void serial_settings(SerialState& serial_state, int32_t channel, const std::string& text);

// One transfer of `bits` bits; returns the bits moved. Adds its own charge.
uint32_t serial_transfer(SerialState& serial_state, machine::MachineState& machine, int channel, int32_t address,
                         uint32_t bits, int64_t& cpu_cycles);

void serial_frame_start(SerialState& serial_state);
void serial_frame_end(SerialState& serial_state, machine::MachineState& machine);
void serial_run_start(SerialState& serial_state);

}  // namespace tamori::input
