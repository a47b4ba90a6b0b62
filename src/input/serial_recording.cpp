#include "input/serial_recording.h"

#include "machine/memory.h"

namespace tamori::input {
namespace {

constexpr size_t kRunHeaderBytes = 4;
// The length field is 16 bits; a longer run continues in a new run.
constexpr uint32_t kLongestRunBits = 0xfff8;

void write_16(std::vector<uint8_t>& bytes, size_t position, uint32_t value) {
  bytes[position] = uint8_t(value & 0xff);
  bytes[position + 1] = uint8_t((value >> 8) & 0xff);
}

uint32_t read_16(const std::vector<uint8_t>& bytes, size_t position) {
  return uint32_t(bytes[position]) | (uint32_t(bytes[position + 1]) << 8);
}

size_t bytes_for_bits(uint32_t bits) { return (size_t(bits) + 7) / 8; }

size_t open_run_data(const SerialRecording& recording) { return recording.length_field + 2; }

void close_run(SerialRecording& recording) {
  if (recording.last_channel < 0) return;
  write_16(recording.bytes, recording.length_field, recording.bit_position);
  recording.next_run = open_run_data(recording) + bytes_for_bits(recording.bit_position);
  recording.last_channel = -1;
  recording.bit_position = 0;
}

void open_run(SerialRecording& recording, int channel) {
  write_16(recording.bytes, recording.next_run, uint32_t(channel));
  recording.length_field = recording.next_run + 2;
  write_16(recording.bytes, recording.length_field, 0);
  recording.bit_position = 0;
  recording.last_channel = channel;
}

// The bytes the recording would use after adding `bits` to `channel`.
size_t size_after(const SerialRecording& recording, int channel, uint32_t bits) {
  const bool continues = channel != kValueChannel && channel == recording.last_channel &&
                         recording.bit_position + bits <= kLongestRunBits;
  if (continues) return open_run_data(recording) + bytes_for_bits(recording.bit_position + bits);
  size_t start = recording.next_run;
  if (recording.last_channel >= 0) start = open_run_data(recording) + bytes_for_bits(recording.bit_position);
  const uint32_t data_bits = channel == kValueChannel ? 16 : bits;
  // A run too long for one length field is split; each piece has a header.
  const size_t pieces = (size_t(data_bits) + kLongestRunBits - 1) / kLongestRunBits;
  return start + pieces * kRunHeaderBytes + bytes_for_bits(data_bits) + pieces;
}

void append_bit(SerialRecording& recording, bool bit) {
  const size_t position = open_run_data(recording) + recording.bit_position / 8;
  const uint8_t mask = uint8_t(1u << (recording.bit_position % 8));
  if (recording.bit_position % 8 == 0) recording.bytes[position] = 0;
  if (bit) recording.bytes[position] = uint8_t(recording.bytes[position] | mask);
  recording.bit_position++;
}

}  // namespace

bool record_serial_bits(SerialRecording& recording, const machine::MachineState& machine, int channel,
                        int32_t address, uint32_t bits) {
  if (channel < 0 || channel > kValueChannel || bits < 1) return false;
  if (recording.bytes.empty()) recording.bytes.resize(kRecordingBufferSize);
  if (size_after(recording, channel, bits) > kRecordingLimit) {
    recording.bit_position = 0;
    return false;
  }
  if (channel == kValueChannel) {
    close_run(recording);
    open_run(recording, channel);
    write_16(recording.bytes, open_run_data(recording), bits / 8);
    recording.bit_position = 16;
    return true;
  }
  if (channel != recording.last_channel) {
    close_run(recording);
    open_run(recording, channel);
  }
  for (uint32_t k = 0; k < bits; k++) {
    if (recording.bit_position >= kLongestRunBits) {
      close_run(recording);
      open_run(recording, channel);
    }
    const uint8_t byte = machine::read_memory_byte(machine, uint32_t(address) + k / 8);
    append_bit(recording, (byte >> (k % 8)) & 1);
  }
  return true;
}

void deliver_serial_recording(SerialRecording& recording, machine::MachineState& machine) {
  if (recording.bytes.empty()) return;
  close_run(recording);
  size_t position = 0;
  while (position + kRunHeaderBytes <= recording.next_run) {
    const uint32_t channel = read_16(recording.bytes, position);
    const uint32_t bits = read_16(recording.bytes, position + 2);
    const size_t data = position + kRunHeaderBytes;
    const size_t data_bytes = bytes_for_bits(bits);
    // Channels 128..254 have no I/O byte to land in.
    if (channel < 128 && data_bytes > 0)
      machine::write_memory_byte(machine, machine::kIoBytesAddress + channel, recording.bytes[data + data_bytes - 1]);
    position = data + data_bytes;
  }
  clear_serial_recording(recording);
}

void clear_serial_recording(SerialRecording& recording) {
  recording.next_run = 0;
  recording.length_field = 0;
  recording.bit_position = 0;
  recording.last_channel = -1;
}

}  // namespace tamori::input
