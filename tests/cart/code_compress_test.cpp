// Exact bytes of the current compressed code format and both decoders on
// hand-built streams.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cart/code_compress.h"

namespace tamori::cart {
namespace {

// Builds current-format streams item by item from the format's bit layout,
// independently of the encoder.
struct StreamBuilder {
  std::vector<uint8_t> bits;

  void put(uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bits.push_back((value >> i) & 1);
  }
  void literal(unsigned index) {
    unsigned k = index < 16 ? 0 : index < 48 ? 1 : index < 112 ? 2 : index < 240 ? 3 : 4;
    literal_in_class(k, index - 16 * ((1u << k) - 1));
  }
  void literal_in_class(unsigned k, unsigned value) {
    put(1, 1);
    put((1u << k) - 1, static_cast<int>(k));
    put(0, 1);
    put(value, static_cast<int>(4 + k));
  }
  void match(unsigned offset, unsigned length) {
    put(0, 1);
    if (offset <= 32) {
      put(3, 2);
      put(offset - 1, 5);
    } else if (offset <= 1024) {
      put(1, 2);
      put(offset - 1, 10);
    } else {
      put(0, 1);
      put(offset - 1, 15);
    }
    unsigned rest = length - 3;
    for (;;) {
      unsigned chunk = rest < 7 ? rest : 7;
      put(chunk, 3);
      if (chunk < 7) break;
      rest -= 7;
    }
  }
  void raw(const std::string& bytes) {
    put(0, 1);
    put(1, 2);
    put(0, 10);
    for (unsigned char c : bytes) put(c, 8);
    put(0, 8);
  }
  // Header with the given text length; the compressed length is the real
  // one unless `declared_length` overrides it.
  std::vector<uint8_t> finish(unsigned text_length, int declared_length = -1) const {
    std::vector<uint8_t> out = {0x00, 0x70, 0x78, 0x61, static_cast<uint8_t>(text_length >> 8),
                                static_cast<uint8_t>(text_length), 0, 0};
    for (std::size_t i = 0; i < bits.size(); ++i) {
      if (i % 8 == 0) out.push_back(0);
      out.back() |= static_cast<uint8_t>(bits[i] << (i % 8));
    }
    unsigned length = declared_length >= 0 ? static_cast<unsigned>(declared_length) : out.size();
    out[6] = static_cast<uint8_t>(length >> 8);
    out[7] = static_cast<uint8_t>(length);
    return out;
  }
};

std::vector<uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

TEST(CodeCompressFormat, MarksSelectTheFormat) {
  EXPECT_EQ(code_format_of(std::vector<uint8_t>{0x00, 0x70, 0x78, 0x61}), CodeFormat::current);
  EXPECT_EQ(code_format_of(std::vector<uint8_t>{0x3a, 0x63, 0x3a, 0x00, 1}), CodeFormat::older);
  EXPECT_EQ(code_format_of(std::vector<uint8_t>{0x00, 0x70, 0x78}), CodeFormat::plain_text);
  EXPECT_EQ(code_format_of(std::vector<uint8_t>{}), CodeFormat::plain_text);
  EXPECT_EQ(code_format_of(bytes_of("print(1)")), CodeFormat::plain_text);
  EXPECT_EQ(code_format_of(bytes_of(":c:x")), CodeFormat::plain_text);
}

TEST(CodeCompressEncoder, EmptyTextIsStoredAsNothing) {
  EXPECT_TRUE(compress_code("").empty());
  std::vector<uint8_t> coded = encode_current_format("");
  EXPECT_EQ(coded, (std::vector<uint8_t>{0x00, 0x70, 0x78, 0x61, 0, 0, 0, 8}));
}

TEST(CodeCompressEncoder, TenLettersCodeAsLiteralAndReferenceButStayPlain) {
  std::string text(10, 'a');
  StreamBuilder expected;
  expected.literal(97);    // 'a' in the initial table, class 2
  expected.match(1, 9);    // 5-bit class, length chunk 6
  ASSERT_EQ(expected.bits.size(), 21u);
  EXPECT_EQ(encode_current_format(text), expected.finish(10));
  EXPECT_EQ(encode_current_format(text).size(), 11u);
  EXPECT_EQ(compress_code(text), bytes_of(text));
}

TEST(CodeCompressEncoder, HundredLettersGoldenBytes) {
  // Bits worked out by hand: literal 1 110 100011, reference 0 11 00000,
  // thirteen chunks 111 and a chunk 101 (3 + 13*7 + 5 = 99).
  std::vector<uint8_t> expected = {0x00, 0x70, 0x78, 0x61, 0x00, 0x64, 0x00, 0x10,
                                   0x17, 0x1b, 0xfc, 0xff, 0xff, 0xff, 0xff, 0x0b};
  EXPECT_EQ(compress_code(std::string(100, 'a')), expected);
}

TEST(CodeCompressEncoder, LengthChunks) {
  StreamBuilder ten;
  ten.literal(97);
  ten.match(1, 10);  // chunks 7 and 0
  EXPECT_EQ(encode_current_format(std::string(11, 'a')), ten.finish(11));
  StreamBuilder seventeen;
  seventeen.literal(97);
  seventeen.match(1, 17);  // chunks 7, 7, 0
  EXPECT_EQ(encode_current_format(std::string(18, 'a')), seventeen.finish(18));
}

TEST(CodeCompressEncoder, LookAheadPrefersLongerMatchOneByteLater) {
  // At 8 "abc" matches 8 back (score 76, not above 127); at 9 "bcdef"
  // matches 6 back with score 128 > 76 * 6 / 5, so 8 becomes a literal.
  std::string text = "abcbcdefabcdef";
  StreamBuilder expected;
  expected.literal(97);   // a
  expected.literal(98);   // b
  expected.literal(99);   // c
  expected.literal(1);    // b (table: c b a ...)
  expected.literal(1);    // c
  expected.literal(100);  // d
  expected.literal(101);  // e
  expected.literal(102);  // f
  expected.literal(5);    // a (table: f e d c b a)
  expected.match(6, 5);
  EXPECT_EQ(encode_current_format(text), expected.finish(14));
}

TEST(CodeCompressEncoder, ShortMatchIsTakenWithoutBetterNeighbour) {
  std::string text = "abcxabcy";
  StreamBuilder expected;
  expected.literal(97);
  expected.literal(98);
  expected.literal(99);
  expected.literal(120);  // x
  expected.match(4, 3);   // score 76 beats the literal's 42; nothing better follows
  expected.literal(121);  // y
  EXPECT_EQ(encode_current_format(text), expected.finish(8));
}

TEST(CodeCompressEncoder, OffsetClassesFollowOffsetSize) {
  // Repeat a 3-byte word at distances 32, 33 and 1025 (5-, 10- and 15-bit classes).
  for (unsigned gap : {32u, 33u, 1024u, 1025u}) {
    std::string filler;
    for (unsigned i = 0; filler.size() < gap - 3; ++i) filler += static_cast<char>('A' + i % 26);
    std::string text = "q#~" + filler + "q#~";
    std::vector<uint8_t> coded = encode_current_format(text);
    EXPECT_EQ(decompress_code(coded), text) << gap;
  }
  // Direct check of the 32/33 boundary through the stream layout.
  std::string word = "!?;";
  std::string filler29;
  for (int i = 0; i < 29; ++i) filler29 += static_cast<char>(16 + i);
  StreamBuilder builder;
  std::vector<uint8_t> seen(256);
  std::vector<unsigned> table(256);
  for (unsigned i = 0; i < 256; ++i) table[i] = i;
  auto literal = [&](unsigned char c) {
    unsigned index = 0;
    while (table[index] != c) ++index;
    builder.literal(index);
    table.erase(table.begin() + index);
    table.insert(table.begin(), c);
  };
  for (unsigned char c : word + filler29) literal(c);
  builder.match(32, 3);
  std::string text = word + filler29 + word;
  EXPECT_EQ(encode_current_format(text), builder.finish(static_cast<unsigned>(text.size())));
}

TEST(CodeCompressEncoder, IncompressibleStretchBecomesOneRawRun) {
  // Forty bytes of move-to-front class 3 cost 12 bits each. After 22 of them
  // 33 output bytes stand against 22 + 3 raw bytes: they are rewritten raw,
  // and the remaining 18 extend that open run at the end.
  std::string text;
  for (int i = 0; i < 40; ++i) text += static_cast<char>(0x80 + i);
  StreamBuilder expected;
  expected.raw(text);
  std::vector<uint8_t> coded = encode_current_format(text);
  EXPECT_EQ(coded, expected.finish(40));
  EXPECT_EQ(coded.size(), 51u);
  EXPECT_EQ(decompress_code(coded), text);
  EXPECT_EQ(compress_code(text), bytes_of(text));
}

TEST(CodeCompressEncoder, RawRunThenCodedTextKeepsTableFromCheckpoint) {
  // The raw run must leave the move-to-front table as it was before the
  // rewound literals, or the literals after it decode wrongly.
  std::string text;
  for (int i = 0; i < 40; ++i) text += static_cast<char>(0x80 + i);
  text += std::string(200, 'z') + "end";
  std::vector<uint8_t> coded = compress_code(text);
  EXPECT_EQ(code_format_of(coded), CodeFormat::current);
  EXPECT_EQ(decompress_code(coded), text);
}

TEST(CodeCompressEncoder, ZeroBytesNeverEnterRawRuns) {
  std::string text;
  for (int i = 0; i < 120; ++i) text += static_cast<char>(i % 7 == 3 ? 0 : 0x80 + (i * 37) % 120);
  EXPECT_EQ(decompress_code(encode_current_format(text)), text);
}

TEST(CodeCompressEncoder, LongTextIsCutAtTheLimit) {
  std::string text(70000, 'x');
  std::vector<uint8_t> coded = compress_code(text);
  EXPECT_EQ(decompress_code(coded), std::string(kMaxCodeLength, 'x'));
}

struct DecodeCase {
  const char* name;
  std::vector<uint8_t> stored;
  std::size_t max_text_length;
  std::string expected;
};

std::vector<DecodeCase> current_format_cases() {
  std::vector<DecodeCase> cases;
  {
    StreamBuilder b;
    b.literal(104);               // h
    b.literal_in_class(4, 16);    // index 256: ends the text
    b.literal(105);
    cases.push_back({"index 256 ends decoding", b.finish(3), 100, "h"});
  }
  {
    StreamBuilder b;
    b.literal_in_class(4, 15);    // index 255
    cases.push_back({"index 255 is the last entry", b.finish(1), 100, "\xff"});
  }
  {
    StreamBuilder b;
    b.put(1, 1);
    b.put(0x1f, 5);  // five one bits: no such class
    b.put(0, 8);
    cases.push_back({"class above 4 ends decoding", b.finish(1), 100, ""});
  }
  {
    StreamBuilder b;
    b.raw("xyz");
    b.literal(1);  // table unchanged by the raw run: index 1 is byte 1
    cases.push_back({"raw run", b.finish(4), 100, "xyz\x01"});
  }
  {
    StreamBuilder b;
    b.literal(97);
    b.match(2, 3);
    b.literal(98);
    cases.push_back({"reference before the start", b.finish(5), 100, "a"});
  }
  {
    StreamBuilder b;
    b.match(1, 3);
    cases.push_back({"reference into empty text", b.finish(3), 100, ""});
  }
  {
    StreamBuilder b;
    b.literal(97);
    b.literal(98);  // b keeps index 98 after a moved to the front
    b.match(2, 5);
    cases.push_back({"overlapping copy", b.finish(7), 100, "abababa"});
  }
  {
    StreamBuilder b;
    b.literal(97);
    b.match(1, 3 + 7 * 2000);  // runaway length
    cases.push_back({"runaway length stops at text length", b.finish(50), 100, std::string(50, 'a')});
    cases.push_back({"runaway length stops at buffer size", b.finish(60000), 20, std::string(20, 'a')});
  }
  {
    StreamBuilder b;
    b.raw("abcdefgh");
    cases.push_back({"raw run stops when the buffer fills", b.finish(8), 5, "abcde"});
  }
  {
    StreamBuilder b;
    b.literal(97);
    b.literal(98);
    cases.push_back({"compressed length below 9", b.finish(2, 8), 100, ""});
    cases.push_back({"compressed length shorter than stream", b.finish(2, 10), 100, "a"});
  }
  {
    StreamBuilder b;
    b.literal(97);
    b.match(1, 5);
    std::vector<uint8_t> cut = b.finish(6);
    cut.pop_back();  // the reference's length chunk is lost
    cases.push_back({"truncated stream keeps complete items", cut, 100, "a"});
  }
  {
    std::vector<uint8_t> header_only = {0x00, 0x70, 0x78, 0x61, 0x00, 0x10, 0x00};
    cases.push_back({"header cut short", header_only, 100, ""});
  }
  return cases;
}

TEST(CodeCompressDecoder, CurrentFormatHandBuiltStreams) {
  for (const DecodeCase& c : current_format_cases()) {
    EXPECT_EQ(decompress_code(c.stored, c.max_text_length), c.expected) << c.name;
  }
}

std::vector<uint8_t> older_block(unsigned text_length, std::vector<uint8_t> codes) {
  const uint8_t header[8] = {0x3a, 0x63, 0x3a, 0x00, static_cast<uint8_t>(text_length >> 8),
                             static_cast<uint8_t>(text_length), 0, 0};
  std::vector<uint8_t> out(header, header + 8);
  for (uint8_t code : codes) out.push_back(code);
  return out;
}

std::vector<uint8_t> older_codes_for(const std::string& text) {
  const std::string table = "^\n 0123456789abcdefghijklmnopqrstuvwxyz!#%(){}[]<>+=/*:;.,~_";
  std::vector<uint8_t> codes;
  for (char c : text) {
    std::size_t at = table.find(c, 1);
    if (at == std::string::npos) {
      codes.push_back(0);
      codes.push_back(static_cast<uint8_t>(c));
    } else {
      codes.push_back(static_cast<uint8_t>(at));
    }
  }
  return codes;
}

TEST(CodeCompressDecoder, OlderFormat) {
  std::vector<uint8_t> all_codes;
  for (uint8_t code = 1; code < 60; ++code) all_codes.push_back(code);
  std::vector<DecodeCase> cases = {
      {"character table", older_block(59, all_codes), 100,
       "\n 0123456789abcdefghijklmnopqrstuvwxyz!#%(){}[]<>+=/*:;.,~_"},
      {"escaped literals", older_block(3, {0, 'A', 0, 0xfe, 0, '^'}), 100, "A\xfe^"},
      // b = 60, n = 0x13: offset 3, length 3.
      {"back reference", older_block(6, {13, 14, 15, 60, 0x13}), 100, "abcabc"},
      // offset 1, length 17, overlapping.
      {"overlapping reference", older_block(18, {13, 60, 0xf1}), 100, std::string(18, 'a')},
      // b = 61: offset 16 + 2 = 18 reaches before the start.
      {"reference before the start", older_block(9, {13, 14, 61, 0x12, 15}), 100, "ab"},
      {"offset zero", older_block(9, {13, 60, 0x10, 15}), 100, "a"},
      {"stops at text length", older_block(2, {13, 14, 15}), 100, "ab"},
      {"stops at buffer size", older_block(3, {13, 14, 15}), 2, "ab"},
      {"reference cut by text length", older_block(4, {13, 60, 0xf1}), 100, "aaaa"},
      {"input ends inside a reference", older_block(9, {13, 60}), 100, "a"},
      {"input ends inside a literal", older_block(9, {13, 0}), 100, "a"},
      {"header cut short", {0x3a, 0x63, 0x3a, 0x00, 0}, 100, ""},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(decompress_code(c.stored, c.max_text_length), c.expected) << c.name;
  }
}

TEST(CodeCompressDecoder, OlderFormatDropsTrailingFrameRateShim) {
  const std::string shim_short = "if(_update60)_update=function()_update60()_update60()end";
  const std::string shim_long =
      "if(_update60)_update=function()_update60()_update_buttons()_update60()end";
  ASSERT_EQ(shim_short.size(), 56u);
  ASSERT_EQ(shim_long.size(), 73u);
  struct Case {
    std::string text;
    std::string expected;
  } cases[] = {
      {"x=1\n" + shim_short, "x=1\n"},
      {"x=1\n" + shim_long, "x=1\n"},
      {shim_short + "\nx=1", shim_short + "\nx=1"},
      {"x=1\n" + shim_short + "\n", "x=1\n" + shim_short + "\n"},
      {shim_short, ""},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> stored = older_block(static_cast<unsigned>(c.text.size()), older_codes_for(c.text));
    EXPECT_EQ(decompress_code(stored), c.expected) << c.text;
  }
  // The current format keeps the same ending.
  std::string text = "x=1\n" + shim_short;
  EXPECT_EQ(decompress_code(compress_code(text)), text);
}

TEST(CodeCompressDecoder, PlainTextIsCopiedToZeroOrBufferSize) {
  EXPECT_EQ(decompress_code(bytes_of("print(1)")), "print(1)");
  EXPECT_EQ(decompress_code(bytes_of("print(1)"), 5), "print");
  std::vector<uint8_t> with_zero = {'a', 'b', 0, 'c'};
  EXPECT_EQ(decompress_code(with_zero), "ab");
  EXPECT_EQ(decompress_code(std::vector<uint8_t>{}), "");
}

}  // namespace
}  // namespace tamori::cart
