// Token counting: the counts in data/token_counts/counts.txt, the kinds the
// scanner gives, the word table and the program limits with their messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "runner/program_limits.h"
#include "lang/token_keywords.h"
#include "lang/token_scanner.h"

namespace tamori::runner {
namespace {

using namespace tamori::lang;

struct CountCase {
  int line = 0;  // line of the "====" header in the data file
  int expected = 0;
  std::string source;
};

std::vector<CountCase> read_count_cases() {
  std::filesystem::path path =
      std::filesystem::path(TAMORI_TEST_DATA_DIR) / "lang/data/token_counts/counts.txt";
  std::ifstream in(path, std::ios::binary);
  std::vector<CountCase> cases;
  std::string line;
  int line_number = 0;
  while (std::getline(in, line)) {
    ++line_number;
    if (line.starts_with("==== ")) {
      cases.push_back(CountCase{line_number, std::stoi(line.substr(5)), ""});
    } else if (!cases.empty()) {
      cases.back().source += line + "\n";
    }
  }
  for (CountCase& c : cases) {
    if (!c.source.empty()) c.source.pop_back();
  }
  return cases;
}

TEST(TokenCount, MatchesTheDataFile) {
  std::vector<CountCase> cases = read_count_cases();
  ASSERT_GE(cases.size(), 70u);
  for (const CountCase& c : cases) {
    EXPECT_EQ(count_tokens(c.source), c.expected) << "counts.txt line " << c.line << ": " << c.source;
  }
}

const char* kind_name(CountedTokenKind kind) {
  switch (kind) {
    case CountedTokenKind::kEndOfText: return "end";
    case CountedTokenKind::kLineBreak: return "lf";
    case CountedTokenKind::kComment: return "comment";
    case CountedTokenKind::kIncludeLine: return "include";
    case CountedTokenKind::kLabelMarks: return "label";
    case CountedTokenKind::kName: return "name";
    case CountedTokenKind::kKeyword: return "keyword";
    case CountedTokenKind::kFreeKeyword: return "free";
    case CountedTokenKind::kBuiltinName: return "builtin";
    case CountedTokenKind::kNumber: return "number";
    case CountedTokenKind::kString: return "string";
    case CountedTokenKind::kOperator: return "op";
    case CountedTokenKind::kClosingPunctuation: return "close";
    case CountedTokenKind::kSingleByte: return "byte";
  }
  return "?";
}

// "kind:text" for every token up to the end of the text.
std::string scan_all(std::string_view text) {
  TokenScanner scanner;
  std::string out;
  for (first_token(scanner, text); scanner.kind != CountedTokenKind::kEndOfText;
       next_token(scanner)) {
    if (!out.empty()) out += ' ';
    out += kind_name(scanner.kind);
    if (scanner.kind != CountedTokenKind::kLineBreak) out += ":" + scanner.token_text;
  }
  return out;
}

TEST(TokenCount, ScannerSortsTokensIntoKinds) {
  const std::pair<const char*, const char*> cases[] = {
      {"local x = -1", "free:local name:x byte:= number:-1"},
      {"a - 1", "name:a byte:- number:1"},
      {"print(t.end)", "builtin:print byte:( name:t close:. name:end close:)"},
      {"if a then end", "keyword:if name:a keyword:then free:end"},
      {"x = 1 -- c\ny", "name:x byte:= number:1 comment:-- c lf name:y"},
      {"a//b\nc", "name:a comment://b lf name:c"},
      {"a/=b", "name:a op:/= name:b"},
      {"#include x.tm\nz", "include:#include x.tm lf name:z"},
      {"::l:: goto l", "label::: name:l label::: keyword:goto name:l"},
      {"a>>>=b<<>c", "name:a op:>>>= name:b op:<<> name:c"},
      {"s[[x]]", "name:s string:[[x]]"},
      {"t[ [=[a]=] ]", "name:t byte:[ string:[=[a]=] close:]"},
      {"t[=x", "name:t byte:[ byte:= name:x"},
      {"'a\\'b' \"c", "string:'a\\'b' string:\"c"},
      {"\x80\x81 = 2", "name:\x80\x81 byte:= number:2"},
      {"a\vb", "name:a byte:\v name:b"},
      {"x\r\n= \b1", "name:x lf byte:= number:1"},
      {"f(-\n1)", "name:f byte:( byte:- lf number:1 close:)"},
      {"x =\n-1", "name:x byte:= lf number:-1"},
      {"x = -- c\n-1", "name:x byte:= comment:-- c lf number:-1"},
  };
  for (const auto& [source, expected] : cases) {
    EXPECT_EQ(scan_all(source), expected) << source;
  }
  EXPECT_EQ(scan_all(std::string_view("a\0b", 3)), "name:a");
}

TEST(TokenCount, PositionsAdvanceAndPreviousKindSkipsLineBreaksAndComments) {
  TokenScanner scanner;
  EXPECT_EQ(first_token(scanner, "a = --c\n1"), 1u);
  EXPECT_EQ(next_token(scanner), 3u);
  EXPECT_EQ(next_token(scanner), 7u);
  EXPECT_EQ(scanner.kind, CountedTokenKind::kComment);
  EXPECT_EQ(next_token(scanner), 8u);
  EXPECT_EQ(scanner.kind, CountedTokenKind::kLineBreak);
  EXPECT_EQ(scanner.previous_kind, CountedTokenKind::kSingleByte);
  EXPECT_EQ(scanner.previous_text, "=");
  EXPECT_EQ(next_token(scanner), 9u);
  EXPECT_EQ(scanner.kind, CountedTokenKind::kNumber);
  EXPECT_EQ(next_token(scanner), 9u);
  EXPECT_EQ(scanner.kind, CountedTokenKind::kEndOfText);
}

TEST(TokenCount, WordTableHoldsEveryWordInItsOwnSlot) {
  const char* keywords[] = {"and", "break", "do", "else", "elseif", "for", "function",
                            "goto", "if", "in", "not", "or", "repeat", "return",
                            "then", "until", "while", "true", "false", "nil"};
  const char* builtins[] = {
      "foreach", "all", "menuitem", "pairs", "ipairs", "deli", "add", "del", "count", "flip",
      "reset", "camera", "clip", "cls", "ls", "pset", "pget", "color", "print", "printh", "tostr",
      "cursor", "tonum", "spr", "sspr", "rect", "rectfill", "rrect", "rrectfill", "circ",
      "circfill", "oval", "ovalfill", "line", "tline", "pal", "palt", "fillp", "map", "mget",
      "mset", "fget", "fset", "sget", "sset", "music", "sfx", "serial", "memcpy", "memset",
      "reload", "cstore", "rnd", "srand", "ceil", "sgn", "abs", "mid", "cos", "sin", "sqrt",
      "atan2", "bnot", "flr", "band", "bor", "bxor", "shl", "shr", "lshr", "rotl", "rotr", "min",
      "max", "peek", "peek2", "peek4", "poke", "poke2", "poke4", "load", "run", "stop", "time",
      "scoresub", "extcmd", "btn", "btnp", "cartdata", "dget", "dset", "stat", "sub", "chr",
      "ord", "split", "type", "next", "setmetatable", "getmetatable", "rawequal", "rawlen",
      "rawget", "rawset", "assert", "cocreate", "coresume", "yield", "costatus", "unpack",
      "pack", "select"};
  std::vector<unsigned> slots;
  for (const char* word : keywords) {
    EXPECT_EQ(lookup_word(word), WordKind::kKeyword) << word;
    slots.push_back(word_slot(word));
  }
  for (const char* word : builtins) {
    EXPECT_EQ(lookup_word(word), WordKind::kBuiltinName) << word;
    slots.push_back(word_slot(word));
  }
  for (const char* word : {"end", "local"}) {
    EXPECT_EQ(lookup_word(word), WordKind::kFreeKeyword) << word;
    slots.push_back(word_slot(word));
  }
  std::sort(slots.begin(), slots.end());
  EXPECT_EQ(std::adjacent_find(slots.begin(), slots.end()), slots.end());
  for (unsigned slot : slots) EXPECT_LT(slot, 8192u);
  EXPECT_EQ(word_slot(""), 0x67du);
  for (const char* word : {"", "En", "ends", "prin", "setmetatablex", "x", "_ENV", "self"}) {
    EXPECT_EQ(lookup_word(word), WordKind::kName) << word;
  }
}

std::string repeated_statements(int tokens) {
  // "x=1" is 3 tokens; pad with single names.
  std::string text;
  for (int i = 0; i < tokens / 3; ++i) text += "x=1\n";
  for (int i = 0; i < tokens % 3; ++i) text += "y\n";
  return text;
}

TEST(ProgramLimits, RunsUpToTheTokenAndCharacterLimits) {
  std::string at_limit = repeated_statements(kTokenLimit);
  ASSERT_EQ(count_tokens(at_limit), 8192);
  RunLimitCheck ok = check_run_limits(at_limit);
  EXPECT_TRUE(ok.may_run);
  EXPECT_EQ(ok.token_count, 8192);
  EXPECT_EQ(ok.token_overhead, 8192 * 12);
  EXPECT_TRUE(ok.messages.empty());

  RunLimitCheck too_many = check_run_limits(repeated_statements(kTokenLimit + 1));
  EXPECT_FALSE(too_many.may_run);
  EXPECT_EQ(too_many.messages, (std::vector<std::string>{"program too large", "8193 / 8192 tokens\n"}));

  std::string full(65536, ' ');
  full.replace(0, 3, "x=1");
  EXPECT_TRUE(check_run_limits(full).may_run);
  full += ' ';
  RunLimitCheck too_long = check_run_limits(full);
  EXPECT_FALSE(too_long.may_run);
  EXPECT_EQ(too_long.messages,
            (std::vector<std::string>{"program exceeds char limit", "65537 / 65536 chars\n"}));
}

TEST(ProgramLimits, InfoColoursEachLineByItsLimit) {
  std::vector<ConsoleLine> small = info_limit_lines("x=1");
  ASSERT_EQ(small.size(), 3u);
  EXPECT_EQ(small[0].text, "tokens:         3 /  8192");
  EXPECT_EQ(small[1].text, "chars:          3 / 65535");
  EXPECT_EQ(small[2].text, "compressed:     3 / 15616");
  for (const ConsoleLine& line : small) EXPECT_EQ(line.colour, kWithinLimitColour) << line.text;

  // 65536 characters of comment: zero tokens, runs, but INFO shows it in 9.
  std::string full = "--" + std::string(65534, 'a');
  EXPECT_TRUE(check_run_limits(full).may_run);
  std::vector<ConsoleLine> lines = info_limit_lines(full);
  EXPECT_EQ(lines[0].colour, kWithinLimitColour);
  EXPECT_EQ(lines[1].text, "chars:      65536 / 65535");
  EXPECT_EQ(lines[1].colour, kOverLimitColour);

  EXPECT_EQ(info_limit_lines(repeated_statements(kTokenLimit))[0].colour, kWithinLimitColour);
  EXPECT_EQ(info_limit_lines(repeated_statements(kTokenLimit + 1))[0].colour, kOverLimitColour);
}

// Text that barely compresses: each line a different pseudo-random word.
std::string incompressible_code(size_t length) {
  std::string text;
  uint32_t state = 12345;
  while (text.size() < length) {
    state = state * 1103515245u + 12345u;
    text += char('a' + (state >> 16) % 26);
    if ((state >> 8) % 9 == 0) text += '\n';
  }
  text.resize(length);
  return text;
}

TEST(ProgramLimits, SavingChecksLengthAndCompressedSize) {
  SaveLimitCheck fine = check_save_limits("x=1", "x=1", SaveTarget::kRom);
  EXPECT_TRUE(fine.may_save);
  EXPECT_TRUE(fine.messages.empty());
  EXPECT_EQ(fine.after_save, "");

  EXPECT_EQ(check_save_limits("#include a.tm", "x=1\ny=2", SaveTarget::kText).after_save,
            "flattened #includes");

  std::string too_long(65537, 'a');
  SaveLimitCheck refused = check_save_limits(too_long, "x", SaveTarget::kText);
  EXPECT_FALSE(refused.may_save);
  EXPECT_EQ(refused.messages, std::vector<std::string>{"program over size limit\n"});
  EXPECT_TRUE(check_save_limits(std::string(65536, ' '), "x", SaveTarget::kText).may_save);

  std::string big = incompressible_code(30000);
  size_t compressed = compressed_code_size(big);
  ASSERT_GT(compressed, kCompressedSizeLimit);
  std::string size_line = std::to_string(compressed) + " / 15616 bytes";
  for (SaveTarget target : {SaveTarget::kPicture, SaveTarget::kRom}) {
    SaveLimitCheck binary = check_save_limits(big, big, target);
    EXPECT_FALSE(binary.may_save);
    EXPECT_EQ(binary.messages,
              (std::vector<std::string>{"compressed code size too large\n", size_line}));
  }
  SaveLimitCheck text = check_save_limits(big, big, SaveTarget::kText);
  EXPECT_TRUE(text.may_save);
  EXPECT_EQ(text.messages,
            (std::vector<std::string>{"warning: compressed code too big", "to be exported or saved as png",
                                      size_line, "(saving .tm anyway)"}));
}

}  // namespace
}  // namespace tamori::runner
