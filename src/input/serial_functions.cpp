#include "input/serial_functions.h"

#include <algorithm>

#include "machine/memory.h"

namespace tamori::input {
namespace {

constexpr int64_t kDroppedByteCycles = 32;   // per byte when the data runs out
constexpr int64_t kDroppedBitCycles = 4;     // per bit asked for otherwise
constexpr int64_t kBitsPerCycle = 64;

uint32_t read_dropped(DroppedBuffer& buffer, machine::MachineState& machine, int32_t address, uint32_t bits,
                      int64_t& cpu_cycles) {
  const size_t wanted = bits / 8;
  std::vector<uint8_t> bytes(std::min(wanted, buffer.bytes.size() - buffer.read_position));
  const size_t copied = take_dropped_bytes(buffer, bytes.data(), bytes.size());
  for (size_t i = 0; i < copied; i++) machine::write_memory_byte(machine, uint32_t(address) + uint32_t(i), bytes[i]);
  if (copied < wanted) {
    cpu_cycles += kDroppedByteCycles * int64_t(copied);
    return uint32_t(copied * 8);
  }
  cpu_cycles += kDroppedBitCycles * int64_t(bits);
  return bits;
}

void loop_back(SerialState& serial_state, machine::MachineState& machine, int32_t address, uint32_t bits) {
  if (serial_state.loopback.empty()) serial_state.loopback.resize(kLoopbackBufferSize);
  const size_t count = std::min<size_t>(std::max<size_t>(1, (size_t(bits) + 7) / 8), kLoopbackBufferSize);
  for (size_t i = 0; i < count; i++)
    serial_state.loopback[i] = machine::read_memory_byte(machine, uint32_t(address) + uint32_t(i));
  for (size_t i = 0; i < count; i++)
    machine::write_memory_byte(machine, uint32_t(address) + uint32_t(i), serial_state.loopback[i]);
}

void send_audio_samples(SerialState& serial_state, const machine::MachineState& machine, int32_t address,
                        uint32_t bits) {
  if (!serial_state.audio.append) return;
  std::vector<uint8_t> samples(bits / 8);
  for (size_t i = 0; i < samples.size(); i++)
    samples[i] = machine::read_memory_byte(machine, uint32_t(address) + uint32_t(i));
  serial_state.audio.append(serial_state.audio.context, samples.data(), samples.size());
}

}  // namespace

uint32_t serial_transfer(SerialState& serial_state, machine::MachineState& machine, int channel, int32_t address,
                         uint32_t bits, int64_t& cpu_cycles) {
  if (bits < 1) return 0;
  SerialChannel* record = serial_channel(serial_state.table, channel);
  if (!record) return 0;
  uint32_t moved = 0;
  if (channel <= kValueChannel) {
    if (!record_serial_bits(serial_state.recording, machine, channel, address, bits)) {
      serial_state.pending_message = "serial buffer overflow";
      serial_state.pending_message_ms = kSerialOverflowMessageMs;
      return 0;
    }
    moved = bits;
  } else if (channel == kLoopbackChannel || channel == kLoopbackChannel2) {
    loop_back(serial_state, machine, address, bits);
    moved = bits;
  } else if (channel == kDroppedFileChannel) {
    moved = read_dropped(serial_state.dropped.file, machine, address, bits, cpu_cycles);
  } else if (channel == kDroppedPictureChannel) {
    moved = read_dropped(serial_state.dropped.picture, machine, address, bits, cpu_cycles);
  } else if (channel == kAudioSampleChannel) {
    send_audio_samples(serial_state, machine, address, bits);
    moved = bits;
  }
  record->in_use = true;
  return moved;
}

SerialResult serial(SerialState& serial_state, machine::MachineState& machine, int32_t channel, int32_t address,
                    int32_t length, bool has_repeat, int32_t repeat) {
  SerialResult result;
  if (has_repeat && repeat < 0x10000) return result;
  const int32_t transfers = has_repeat ? (repeat >> 16) & 0xffff : 1;
  // The length counts eighths of a byte: its raw 16.16 value shifted by 13.
  const uint32_t bits = length > 0 ? uint32_t(length) >> 13 : 0;
  int64_t total_bits = 0;
  for (int32_t transfer = 0; transfer < transfers; transfer++)
    total_bits += serial_transfer(serial_state, machine, channel, address, bits, result.cpu_cycles);
  result.cpu_cycles += total_bits / kBitsPerCycle;
  result.bytes = int32_t(std::min<int64_t>(total_bits << 13, INT32_MAX));
  return result;
}

void serial_settings(SerialState& serial_state, int32_t channel, const std::string& text) {
  if (SerialChannel* record = serial_channel(serial_state.table, channel)) apply_channel_settings_text(*record, text);
}

void serial_frame_start(SerialState& serial_state) { clear_serial_recording(serial_state.recording); }

void serial_frame_end(SerialState& serial_state, machine::MachineState& machine) {
  deliver_serial_recording(serial_state.recording, machine);
}

void serial_run_start(SerialState& serial_state) {
  clear_channel_table(serial_state.table);
  if (serial_state.audio.clear) serial_state.audio.clear(serial_state.audio.context);
}

}  // namespace tamori::input
