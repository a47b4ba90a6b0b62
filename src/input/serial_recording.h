// The output recording of serial channels 0..255 during one frame, and its
// delivery into the I/O bytes at 0x5f80..0x5fff at the frame's end.
//
// The buffer holds runs: channel (16 bits, little-endian), run length in
// bits (16 bits, little-endian), then the bits packed from bit 0 of each
// byte upwards. Consecutive writes to the same channel extend one run; a
// run on channel 255 holds a 16-bit value instead of memory bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "machine/machine_state.h"

namespace tamori::input {

inline constexpr size_t kRecordingBufferSize = 0x80000;
// The recording never grows past this many bytes.
inline constexpr size_t kRecordingLimit = 0x7fffa;
inline constexpr int kValueChannel = 255;

struct SerialRecording {
  std::vector<uint8_t> bytes;  // made on first use
  size_t next_run = 0;         // where the next run starts once the open one closes
  size_t length_field = 0;     // the open run's length field
  uint32_t bit_position = 0;   // bits in the open run
  int last_channel = -1;       // the open run's channel; -1 when no run is open
};

// Records `bits` bits read from memory at `address` (channels 0..254), or
// the value bits / 8 (channel 255). Returns false, dropping the open run's
// bits, when the recording would grow past its limit.
bool record_serial_bits(SerialRecording& recording, const machine::MachineState& machine, int channel,
                        int32_t address, uint32_t bits);

// Writes each run's data bytes in turn to 0x5f80 + channel for channels
// 0..127 (so the byte keeps the run's last one), then clears the recording.
void deliver_serial_recording(SerialRecording& recording, machine::MachineState& machine);

void clear_serial_recording(SerialRecording& recording);

}  // namespace tamori::input
