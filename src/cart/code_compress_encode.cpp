// The current-format encoder. Its choices (hash buckets, match scoring, the
// look-ahead, the raw-run fallback) fix the exact bytes written, so stored
// cartridges are reproducible byte for byte.
#include <algorithm>
#include <cstring>

#include "cart/code_compress.h"
#include "cart/code_compress_bits.h"

namespace tamori::cart {

namespace {

constexpr std::size_t kBucketCount = 4096;
// A raw run costs its opening (13 bits) and its closing zero byte: about 3 bytes.
constexpr std::size_t kRawRunOverheadBytes = 3;
// Output bytes after which the raw-run fallback is weighed again.
constexpr std::size_t kCheckpointSpacingBytes = 31;

unsigned position_hash(const uint8_t* at) {
  return (at[0] * 7u + at[1] * 1503u + at[2] * 2565u) & 0xfffu;
}

// Every position with three bytes left, sorted by hash then by position:
// bucket h holds positions[bucket_start[h] .. bucket_start[h + 1]).
struct PositionIndex {
  std::vector<uint32_t> bucket_start;
  std::vector<uint16_t> positions;
};

PositionIndex build_position_index(std::span<const uint8_t> text) {
  PositionIndex index;
  index.bucket_start.assign(kBucketCount + 1, 0);
  std::size_t indexed = text.size() >= 3 ? text.size() - 2 : 0;
  for (std::size_t p = 0; p < indexed; ++p) ++index.bucket_start[position_hash(&text[p]) + 1];
  for (std::size_t h = 0; h < kBucketCount; ++h) index.bucket_start[h + 1] += index.bucket_start[h];
  index.positions.resize(indexed);
  std::vector<uint32_t> fill(index.bucket_start.begin(), index.bucket_start.end() - 1);
  for (std::size_t p = 0; p < indexed; ++p) {
    index.positions[fill[position_hash(&text[p])]++] = static_cast<uint16_t>(p);
  }
  return index;
}

struct Match {
  int score = -1;  // -1: no candidate at all
  std::size_t length = 0;
  std::size_t offset = 0;
};

// Number of base-32 digits of an offset.
unsigned offset_digits(std::size_t offset) {
  if (offset < 32) return 1;
  if (offset < 1024) return 2;
  return 3;
}

int match_cost_bits(std::size_t offset) {
  int digits = static_cast<int>(offset_digits(offset));
  return std::min(digits, 2) + 5 * digits + 4;
}

int literal_cost_bits(unsigned index_class) {
  int width = 4 + static_cast<int>(index_class);
  return 2 * width - 2;
}

// Equal bytes from q and p on. Comparing the text with itself covers
// matches that run into p: the decoder's overlapping copy repeats them.
std::size_t match_length(std::span<const uint8_t> text, std::size_t q, std::size_t p) {
  std::size_t length = 0;
  std::size_t limit = text.size() - p;
  while (length < limit && text[q + length] == text[p + length]) ++length;
  return length;
}

Match best_match_at(std::span<const uint8_t> text, const PositionIndex& index, std::size_t p) {
  Match best;
  if (p + 3 > text.size()) return best;
  unsigned hash = position_hash(&text[p]);
  const uint16_t* first = index.positions.data() + index.bucket_start[hash];
  const uint16_t* last = index.positions.data() + index.bucket_start[hash + 1];
  std::size_t window_start = p > kLongestOffset ? p - kLongestOffset : 0;
  first = std::lower_bound(first, last, window_start);
  for (const uint16_t* candidate = first; candidate != last && *candidate < p; ++candidate) {
    std::size_t q = *candidate;
    std::size_t length = match_length(text, q, p);
    int score = static_cast<int>(length * 256 / static_cast<std::size_t>(match_cost_bits(p - q)));
    if (score > best.score) best = Match{score, length, p - q};
  }
  return best;
}

void write_literal(BitWriter& out, MoveToFrontTable& table, uint8_t byte) {
  unsigned index = table.index_of[byte];
  unsigned index_class = literal_index_class(index);
  out.write(1, 1);
  out.write((1u << index_class) - 1u, index_class);  // k one bits
  out.write(0, 1);
  out.write(index - literal_class_start(index_class), 4 + index_class);
  table.take(index);
}

void write_back_reference(BitWriter& out, std::size_t offset, std::size_t length) {
  out.write(0, 1);
  std::size_t offset_value = offset - 1;
  if (offset <= 32) {
    out.write(1, 1);
    out.write(1, 1);
    out.write(static_cast<uint32_t>(offset_value), kShortOffsetBits);
  } else if (offset <= 1024) {
    out.write(1, 1);
    out.write(0, 1);
    out.write(static_cast<uint32_t>(offset_value), kMiddleOffsetBits);
  } else {
    out.write(0, 1);
    out.write(static_cast<uint32_t>(offset_value), kLongOffsetBits);
  }
  std::size_t rest = length - kMinimumMatchLength;
  for (;;) {
    uint32_t chunk = static_cast<uint32_t>(std::min<std::size_t>(rest, 7));
    out.write(chunk, 3);
    if (chunk < 7) break;
    rest -= 7;
  }
}

void write_raw_run_opening(BitWriter& out) {
  out.write(0, 1);
  out.write(1, 1);
  out.write(0, 1);
  out.write(0, kMiddleOffsetBits);
}

// The state the encoder can fall back to when a stretch of text turns out
// cheaper stored raw than coded.
struct Checkpoint {
  std::size_t output_bit = 0;
  std::size_t input_position = 0;
  MoveToFrontTable table;
  bool raw_run_open = false;  // the output before output_bit ends with a raw run's closing zero
};

struct Encoder {
  std::span<const uint8_t> text;
  PositionIndex index;
  BitWriter out;
  MoveToFrontTable table;
  Checkpoint checkpoint;
  std::size_t position = 0;

  void encode_item() {
    uint8_t byte = text[position];
    unsigned index_class = literal_index_class(table.index_of[byte]);
    int literal_score = 256 / literal_cost_bits(index_class);
    Match match = best_match_at(text, index, position);
    bool take_match = match.length >= kMinimumMatchLength && match.score > literal_score;
    if (take_match && match.score <= 127) {
      int threshold = match.score * 6 / 5;
      if (best_match_at(text, index, position + 1).score > threshold ||
          best_match_at(text, index, position + 2).score > threshold) {
        take_match = false;
      }
    }
    if (take_match) {
      write_back_reference(out, match.offset, match.length);
      position += match.length;
    } else {
      write_literal(out, table, byte);
      position += 1;
    }
  }

  std::size_t output_bytes_since_checkpoint() const {
    return out.bit_position / 8 - checkpoint.output_bit / 8;
  }

  // Rewrites the text since the checkpoint as a raw run when that is
  // shorter, then moves the checkpoint here.
  void weigh_raw_run() {
    std::size_t raw_bytes = position - checkpoint.input_position;
    std::size_t raw_cost = raw_bytes + (checkpoint.raw_run_open ? 0 : kRawRunOverheadBytes);
    const uint8_t* raw_begin = text.data() + checkpoint.input_position;
    // A zero byte would close the run early, so such a stretch stays coded.
    bool representable = std::find(raw_begin, raw_begin + raw_bytes, uint8_t{0}) == raw_begin + raw_bytes;
    bool use_raw = raw_bytes > 0 && representable && raw_cost < output_bytes_since_checkpoint();
    if (use_raw) {
      out.rewind_to(checkpoint.output_bit);
      table = checkpoint.table;
      if (checkpoint.raw_run_open) {
        out.rewind_to(checkpoint.output_bit - 8);  // reopen: drop the closing zero
      } else {
        write_raw_run_opening(out);
      }
      for (std::size_t i = 0; i < raw_bytes; ++i) out.write(raw_begin[i], 8);
      out.write(0, 8);
    }
    checkpoint.output_bit = out.bit_position;
    checkpoint.input_position = position;
    checkpoint.table = table;
    checkpoint.raw_run_open = use_raw || (raw_bytes == 0 && checkpoint.raw_run_open);
  }

  void run() {
    checkpoint.output_bit = out.bit_position;
    checkpoint.table = table;
    while (position < text.size()) {
      encode_item();
      if (output_bytes_since_checkpoint() > kCheckpointSpacingBytes || position == text.size()) {
        weigh_raw_run();
      }
    }
  }
};

}  // namespace

std::vector<uint8_t> encode_current_format(std::string_view text_view) {
  std::span<const uint8_t> text(reinterpret_cast<const uint8_t*>(text_view.data()),
                                std::min(text_view.size(), kMaxCodeLength));
  Encoder encoder;
  encoder.text = text;
  encoder.index = build_position_index(text);
  for (uint8_t byte : kCurrentFormatMark) encoder.out.write(byte, 8);
  encoder.out.write(static_cast<uint32_t>(text.size() >> 8), 8);
  encoder.out.write(static_cast<uint32_t>(text.size() & 0xff), 8);
  encoder.out.write(0, 16);  // compressed length, filled in below
  encoder.run();

  std::vector<uint8_t> stored = std::move(encoder.out.bytes);
  // The length field matters only when the block is kept, and a kept block
  // is no longer than its text, so it fits 16 bits.
  stored[6] = static_cast<uint8_t>((stored.size() >> 8) & 0xff);
  stored[7] = static_cast<uint8_t>(stored.size() & 0xff);
  return stored;
}

std::vector<uint8_t> compress_code(std::string_view text) {
  std::string_view kept = text.substr(0, std::min(text.size(), kMaxCodeLength));
  std::vector<uint8_t> stored = encode_current_format(kept);
  if (stored.size() > kept.size()) return std::vector<uint8_t>(kept.begin(), kept.end());
  return stored;
}

}  // namespace tamori::cart
