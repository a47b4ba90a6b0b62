#include "lang/token_scanner.h"

#include "lang/token_keywords.h"

namespace tamori::lang {
namespace {

using Kind = CountedTokenKind;

constexpr int kLongestBracketLevel = 60;

bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }
bool is_hex_digit(unsigned char c) {
  return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool is_name_start(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == 0x1e || c == 0x1f ||
         c >= 0x80;
}
bool is_name_byte(unsigned char c) { return is_name_start(c) || is_digit(c); }
bool is_skipped(unsigned char c) { return c == 8 || c == 9 || c == 13 || c == 32; }

// The bytes of the text, with a zero byte past its end.
unsigned char byte_at(const TokenScanner& scanner, size_t at) {
  return at < scanner.text.size() ? static_cast<unsigned char>(scanner.text[at]) : 0;
}

size_t end_of_line(const TokenScanner& scanner, size_t from) {
  while (byte_at(scanner, from) != 0 && byte_at(scanner, from) != '\n') ++from;
  return from;
}

// At an opening long bracket ('[', up to 60 '=', '['): its level, else -1.
int opening_bracket_level(const TokenScanner& scanner, size_t at) {
  if (byte_at(scanner, at) != '[') return -1;
  int level = 0;
  while (byte_at(scanner, at + 1 + size_t(level)) == '=') ++level;
  if (level > kLongestBracketLevel || byte_at(scanner, at + 1 + size_t(level)) != '[') return -1;
  return level;
}

// The position after the long bracket that opens at `at`: after its matching
// close, or the end of the text when it is not closed.
size_t skip_long_bracket(const TokenScanner& scanner, size_t at, int level) {
  size_t position = at + 2 + size_t(level);
  for (unsigned char c; (c = byte_at(scanner, position)) != 0; ++position) {
    if (c != ']') continue;
    int equals = 0;
    while (byte_at(scanner, position + 1 + size_t(equals)) == '=') ++equals;
    if (equals == level && byte_at(scanner, position + 1 + size_t(equals)) == ']') {
      return position + 2 + size_t(equals);
    }
  }
  return position;
}

size_t skip_quoted_string(const TokenScanner& scanner, size_t at) {
  unsigned char quote = byte_at(scanner, at);
  size_t position = at + 1;
  for (;;) {
    unsigned char c = byte_at(scanner, position);
    if (c == 0 || c == '\n') return position;
    if (c == quote) return position + 1;
    if (c == '\\' && byte_at(scanner, position + 1) != 0) ++position;
    ++position;
  }
}

size_t skip_numeral(const TokenScanner& scanner, size_t at) {
  size_t position = at;
  unsigned char mode = 'd';
  if (byte_at(scanner, at) == '0') {
    unsigned char marker = byte_at(scanner, at + 1) | 0x20;
    if (marker == 'x' || marker == 'b') {
      mode = marker;
      position += 2;
    }
  }
  for (;;) {
    unsigned char c = byte_at(scanner, position);
    bool digit = mode == 'x' ? is_hex_digit(c) : mode == 'b' ? (c == '0' || c == '1') : is_digit(c);
    if (!digit && c != '.') return position;
    ++position;
  }
}

bool starts_numeral(const TokenScanner& scanner, size_t at) {
  return is_digit(byte_at(scanner, at)) ||
         (byte_at(scanner, at) == '.' && is_digit(byte_at(scanner, at + 1)));
}

// Whether a '-' or '~' after the previous token is a sign: it is when that
// token cannot end an operand.
bool previous_takes_a_sign(const TokenScanner& scanner) {
  const std::string& text = scanner.previous_text;
  switch (scanner.previous_kind) {
    case Kind::kKeyword:
      return text == "if" || text == "elseif" || text == "while" || text == "return" ||
             text == "until" || text == "not" || text == "and" || text == "or";
    case Kind::kOperator: return text != ".." && text != "...";
    case Kind::kClosingPunctuation: return text == ",";
    case Kind::kSingleByte:
      return text.size() == 1 && std::string_view("%&(*+-/<=>?[\\^{|~").find(text[0]) !=
                                     std::string_view::npos;
    default: return false;
  }
}

// The length of the operator at `at` (0 when there is none): the longest of
// "...", "..=", "..", the comparisons, shifts and rotations, "^^" and any
// of them or a single operator byte followed by '='.
size_t operator_length(const TokenScanner& scanner, size_t at) {
  auto at_offset = [&](size_t offset) { return byte_at(scanner, at + offset); };
  unsigned char c = at_offset(0);
  size_t length = 0;
  switch (c) {
    case '.':
      if (at_offset(1) != '.') return 0;
      if (at_offset(2) == '.' || at_offset(2) == '=') return 3;
      return 2;
    case '<':
      length = at_offset(1) == '<' ? (at_offset(2) == '>' ? 3 : 2) : 1;
      break;
    case '>':
      length = at_offset(1) != '>' ? 1 : (at_offset(2) == '>' || at_offset(2) == '<') ? 3 : 2;
      break;
    case '^': length = at_offset(1) == '^' ? 2 : 1; break;
    case '=': case '~': case '!': case '+': case '-': case '*': case '/': case '%':
    case '\\': case '&': case '|':
      length = 1;
      break;
    default: return 0;
  }
  if (at_offset(length) == '=') return length + 1;
  return length > 1 ? length : 0;
}

bool is_closing_punctuation(unsigned char c) {
  return c == ')' || c == ']' || c == '}' || c == ',' || c == '.' || c == ':' || c == ';';
}

Kind word_kind(const TokenScanner& scanner, std::string_view word) {
  bool after_selector = scanner.previous_kind == Kind::kClosingPunctuation &&
                        (scanner.previous_text == "." || scanner.previous_text == ":");
  if (after_selector) return Kind::kName;
  switch (lookup_word(word)) {
    case WordKind::kKeyword: return Kind::kKeyword;
    case WordKind::kFreeKeyword: return Kind::kFreeKeyword;
    case WordKind::kBuiltinName: return Kind::kBuiltinName;
    case WordKind::kName: break;
  }
  return Kind::kName;
}

// Scans the token at `at` (past skipped bytes); returns where it ends.
size_t scan(TokenScanner& scanner, size_t at, Kind& kind) {
  unsigned char c = byte_at(scanner, at);
  unsigned char following = byte_at(scanner, at + 1);
  if (c == 0) {
    kind = Kind::kEndOfText;
    return at;
  }
  if (c == '\n') {
    kind = Kind::kLineBreak;
    return at + 1;
  }
  if (c == '-' && following == '-') {
    kind = Kind::kComment;
    int level = opening_bracket_level(scanner, at + 2);
    if (level >= 0) return skip_long_bracket(scanner, at + 2, level);
    return end_of_line(scanner, at);
  }
  if (is_name_start(c)) {
    size_t end = at + 1;
    while (is_name_byte(byte_at(scanner, end))) ++end;
    kind = word_kind(scanner, scanner.text.substr(at, end - at));
    return end;
  }
  if (starts_numeral(scanner, at)) {
    kind = Kind::kNumber;
    return skip_numeral(scanner, at);
  }
  if ((c == '-' || c == '~') && starts_numeral(scanner, at + 1) && previous_takes_a_sign(scanner)) {
    kind = Kind::kNumber;
    return skip_numeral(scanner, at + 1);
  }
  if (c == '"' || c == '\'') {
    kind = Kind::kString;
    return skip_quoted_string(scanner, at);
  }
  if (c == '[') {
    int level = opening_bracket_level(scanner, at);
    if (level >= 0) {
      kind = Kind::kString;
      return skip_long_bracket(scanner, at, level);
    }
  }
  if (c == '/' && following == '/') {
    kind = Kind::kComment;
    return end_of_line(scanner, at);
  }
  if (size_t length = operator_length(scanner, at); length > 0) {
    kind = Kind::kOperator;
    return at + length;
  }
  if (c == ':' && following == ':') {
    kind = Kind::kLabelMarks;
    return at + 2;
  }
  if (scanner.text.substr(at).starts_with("#include ")) {
    kind = Kind::kIncludeLine;
    return end_of_line(scanner, at);
  }
  kind = is_closing_punctuation(c) ? Kind::kClosingPunctuation : Kind::kSingleByte;
  return at + 1;
}

}  // namespace

bool is_free_token(CountedTokenKind kind) {
  switch (kind) {
    case Kind::kEndOfText:
    case Kind::kLineBreak:
    case Kind::kComment:
    case Kind::kIncludeLine:
    case Kind::kLabelMarks:
    case Kind::kFreeKeyword:
    case Kind::kClosingPunctuation: return true;
    default: return false;
  }
}

size_t first_token(TokenScanner& scanner, std::string_view text) {
  scanner = TokenScanner{};
  scanner.text = text;
  return next_token(scanner);
}

size_t next_token(TokenScanner& scanner) {
  if (scanner.kind != Kind::kLineBreak && scanner.kind != Kind::kComment &&
      scanner.kind != Kind::kEndOfText) {
    scanner.previous_kind = scanner.kind;
    scanner.previous_text = scanner.token_text;
  }
  size_t start = scanner.position;
  while (is_skipped(byte_at(scanner, start))) ++start;
  Kind kind = Kind::kEndOfText;
  size_t end = scan(scanner, start, kind);
  // Never stand still inside the text.
  if (end <= scanner.position && kind != Kind::kEndOfText) end = scanner.position + 1;
  scanner.kind = kind;
  scanner.token_text.assign(scanner.text.substr(start, end - start));
  scanner.position = end;
  return end;
}

int count_tokens(std::string_view text) {
  TokenScanner scanner;
  int count = 0;
  for (first_token(scanner, text); scanner.kind != Kind::kEndOfText; next_token(scanner)) {
    if (!is_free_token(scanner.kind)) ++count;
  }
  return count;
}

}  // namespace tamori::lang
