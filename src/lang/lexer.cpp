#include "lang/lexer.h"

#include <climits>
#include <cstdio>

#include "lang/number_text.h"

namespace tamori::lang {
namespace {

constexpr int kEndOfInput = -1;

constexpr const char* kTokenTexts[] = {
    "and", "break", "do", "else", "elseif", "end", "false", "for", "function", "goto", "if",
    "in", "local", "nil", "not", "or", "repeat", "return", "then", "true", "until", "while",
    "..", "...", "==", ">=", "<=", "~=", "!=", "::", "<eof>", "<number>", "<name>", "<string>",
    "?", "<eol>", "^^", "<<", ">>", ">>>", "<<>", ">><", "+=", "-=", "*=", "/=", "%=", "^=",
    "\\=", "&=", "|=", "^^=", "<<=", ">>=", ">>>=", "<<>=", ">><=", "..=",
};
static_assert(sizeof(kTokenTexts) / sizeof(kTokenTexts[0]) == kLastToken - kFirstReservedToken + 1);

constexpr int kReservedWordCount = kTokenWhile - kTokenAnd + 1;

bool is_digit(int c) { return c >= '0' && c <= '9'; }
bool is_hex_digit(int c) {
  return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int hex_value(int c) { return is_digit(c) ? c - '0' : (c | 0x20) - 'a' + 10; }
bool is_name_start(int c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == 0x1e || c == 0x1f ||
         c >= 0x80;
}
bool is_name_char(int c) { return is_name_start(c) || is_digit(c); }
bool is_newline(int c) { return c == '\n' || c == '\r'; }
bool is_space(int c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || is_newline(c); }

void advance(LexerState& lexer) {
  if (lexer.position < lexer.source.size()) {
    lexer.current = static_cast<unsigned char>(lexer.source[lexer.position++]);
  } else {
    lexer.position = lexer.source.size() + 1;
    lexer.current = kEndOfInput;
  }
}

void save(LexerState& lexer, int c) { lexer.buffer.push_back(static_cast<char>(c)); }

void save_and_advance(LexerState& lexer) {
  save(lexer, lexer.current);
  advance(lexer);
}

bool advance_if(LexerState& lexer, int c) {
  if (lexer.current != c) return false;
  save_and_advance(lexer);
  return true;
}

// Consumes "\n", "\r", "\r\n" or "\n\r" and counts one line.
void count_line(LexerState& lexer) {
  int first = lexer.current;
  advance(lexer);
  if (is_newline(lexer.current) && lexer.current != first) advance(lexer);
  if (lexer.line_number >= INT_MAX - 1) lexer_error(lexer, "chunk has too many lines", 0);
  ++lexer.line_number;
}

// After a '[' or ']': counts the '=' signs of a long bracket. Returns the
// level when the bracket is complete, otherwise -(level + 1).
int read_bracket_level(LexerState& lexer) {
  int bracket = lexer.current;
  save_and_advance(lexer);
  int level = 0;
  while (lexer.current == '=') {
    save_and_advance(lexer);
    ++level;
  }
  return lexer.current == bracket ? level : -level - 1;
}

// Reads a long string or long comment; `into` receives the contents of a
// string (null for a comment).
void read_long_bracket(LexerState& lexer, std::string* into, int level) {
  save_and_advance(lexer);  // the second '['
  if (is_newline(lexer.current)) count_line(lexer);
  for (;;) {
    switch (lexer.current) {
      case kEndOfInput:
        lexer_error(lexer, into ? "unfinished long string" : "unfinished long comment",
                    kTokenEndOfStream);
      case ']':
        if (read_bracket_level(lexer) == level) {
          save_and_advance(lexer);
          if (into) {
            size_t delimiter = size_t(level) + 2;
            *into = lexer.buffer.substr(delimiter, lexer.buffer.size() - 2 * delimiter);
          }
          return;
        }
        break;
      case '\n':
      case '\r':
        save(lexer, '\n');
        count_line(lexer);
        if (!into) lexer.buffer.clear();  // comments need not be kept
        break;
      default:
        if (into) save_and_advance(lexer);
        else advance(lexer);
    }
  }
}

[[noreturn]] void escape_error(LexerState& lexer, const int* chars, int count, const char* message) {
  lexer.buffer.clear();
  save(lexer, '\\');
  for (int i = 0; i < count && chars[i] != kEndOfInput; ++i) save(lexer, chars[i]);
  lexer_error(lexer, message, kTokenString);
}

int read_hex_escape(LexerState& lexer) {
  int chars[3] = {'x', 0, 0};
  int value = 0;
  for (int i = 1; i < 3; ++i) {
    advance(lexer);
    chars[i] = lexer.current;
    if (!is_hex_digit(chars[i])) escape_error(lexer, chars, i + 1, "hexadecimal digit expected");
    value = value * 16 + hex_value(chars[i]);
  }
  return value;
}

int read_decimal_escape(LexerState& lexer) {
  int chars[3] = {0, 0, 0};
  int value = 0;
  int i = 0;
  for (; i < 3 && is_digit(lexer.current); ++i) {
    chars[i] = lexer.current;
    value = value * 10 + chars[i] - '0';
    advance(lexer);
  }
  if (value > 255) escape_error(lexer, chars, i, "decimal escape too large");
  return value;
}

// Reads the character after a backslash and saves what it stands for.
void read_escape(LexerState& lexer) {
  advance(lexer);  // the backslash is not kept
  int value = 0;
  switch (lexer.current) {
    case '*': value = 1; break;
    case '#': value = 2; break;
    case '-': value = 3; break;
    case '|': value = 4; break;
    case '+': value = 5; break;
    case '^': value = 6; break;
    case 'a': value = 7; break;
    case 'b': value = 8; break;
    case 't': value = 9; break;
    case 'n': value = 10; break;
    case 'v': value = 11; break;
    case 'f': value = 12; break;
    case 'r': value = 13; break;
    case '\\': case '"': case '\'': value = lexer.current; break;
    case 'x': value = read_hex_escape(lexer); break;
    case '\n':
    case '\r':
      count_line(lexer);
      save(lexer, '\n');
      return;
    case kEndOfInput:
      return;  // reported as an unfinished string by the caller
    case 'z':
      advance(lexer);
      while (is_space(lexer.current)) {
        if (is_newline(lexer.current)) count_line(lexer);
        else advance(lexer);
      }
      return;
    default: {
      if (!is_digit(lexer.current)) {
        int c = lexer.current;
        escape_error(lexer, &c, 1, "invalid escape sequence");
      }
      save(lexer, read_decimal_escape(lexer));
      return;
    }
  }
  advance(lexer);
  save(lexer, value);
}

void read_quoted_string(LexerState& lexer, Token& token) {
  int delimiter = lexer.current;
  save_and_advance(lexer);
  while (lexer.current != delimiter) {
    switch (lexer.current) {
      case kEndOfInput:
        lexer_error(lexer, "unfinished string", kTokenEndOfStream);
      case '\n':
      case '\r':
        lexer_error(lexer, "unfinished string", kTokenString);
      case '\\':
        read_escape(lexer);
        break;
      default:
        save_and_advance(lexer);
    }
  }
  save_and_advance(lexer);
  token.text = lexer.buffer.substr(1, lexer.buffer.size() - 2);
}

// A numeral: decimal, 0x hexadecimal or 0b binary digits and dots, no
// exponent and no sign; the text rule converts it.
void read_numeral(LexerState& lexer, Token& token) {
  enum { kDecimal, kHexadecimal, kBinary } mode = kDecimal;
  if (lexer.current == '0') {
    save_and_advance(lexer);
    if (lexer.current == 'x' || lexer.current == 'X') {
      save_and_advance(lexer);
      mode = kHexadecimal;
    } else if (lexer.current == 'b' || lexer.current == 'B') {
      save_and_advance(lexer);
      mode = kBinary;
    }
  }
  for (;;) {
    int c = lexer.current;
    bool digit = mode == kHexadecimal ? is_hex_digit(c)
                 : mode == kBinary    ? (c == '0' || c == '1')
                                      : is_digit(c);
    if (!digit && c != '.') break;
    save_and_advance(lexer);
  }
  if (!text_to_number(lexer.buffer, &token.number)) lexer_error(lexer, "malformed number", kTokenNumber);
}

// An operator that may be followed by '=' to form a compound assignment.
int operator_or_compound(LexerState& lexer, int single, int compound) {
  advance(lexer);
  if (lexer.current != '=') return single;
  advance(lexer);
  return compound;
}

int scan_token(LexerState& lexer, Token& token) {
  lexer.buffer.clear();
  for (;;) {
    switch (lexer.current) {
      case '\n':
      case '\r':
        if (lexer.pending_end_of_lines > 0) {
          // Several owed end-of-lines all come from this one line break,
          // which the last of them consumes.
          if (--lexer.pending_end_of_lines == 0) count_line(lexer);
          return kTokenEndOfLine;
        }
        count_line(lexer);
        break;
      case ' ':
      case '\f':
      case '\t':
      case '\v':
        advance(lexer);
        break;
      case '-':
        advance(lexer);
        if (lexer.current == '=') {
          advance(lexer);
          return kTokenSubAssign;
        }
        if (lexer.current != '-') return '-';
        advance(lexer);
        if (lexer.current == '[') {
          int level = read_bracket_level(lexer);
          lexer.buffer.clear();
          if (level >= 0) {
            read_long_bracket(lexer, nullptr, level);
            lexer.buffer.clear();
            break;
          }
        }
        while (!is_newline(lexer.current) && lexer.current != kEndOfInput) advance(lexer);
        break;
      case '/':
        advance(lexer);
        if (lexer.current == '=') {
          advance(lexer);
          return kTokenDivAssign;
        }
        if (lexer.current != '/') return '/';
        while (!is_newline(lexer.current) && lexer.current != kEndOfInput) advance(lexer);
        break;
      case '[': {
        int level = read_bracket_level(lexer);
        if (level >= 0) {
          read_long_bracket(lexer, &token.text, level);
          return kTokenString;
        }
        if (level == -1) return '[';
        lexer_error(lexer, "invalid long string delimiter", kTokenString);
      }
      case '=':
        advance(lexer);
        if (lexer.current != '=') return '=';
        advance(lexer);
        return kTokenEqual;
      case '<':
        advance(lexer);
        if (lexer.current == '=') {
          advance(lexer);
          return kTokenLessEqual;
        }
        if (lexer.current != '<') return '<';
        advance(lexer);
        if (lexer.current == '=') {
          advance(lexer);
          return kTokenShiftLeftAssign;
        }
        if (lexer.current != '>') return kTokenShiftLeft;
        return operator_or_compound(lexer, kTokenRotateLeft, kTokenRotateLeftAssign);
      case '>':
        advance(lexer);
        if (lexer.current == '=') {
          advance(lexer);
          return kTokenGreaterEqual;
        }
        if (lexer.current != '>') return '>';
        advance(lexer);
        if (lexer.current == '=') {
          advance(lexer);
          return kTokenShiftRightAssign;
        }
        if (lexer.current == '>') {
          return operator_or_compound(lexer, kTokenLogicalShiftRight,
                                      kTokenLogicalShiftRightAssign);
        }
        if (lexer.current == '<') {
          return operator_or_compound(lexer, kTokenRotateRight, kTokenRotateRightAssign);
        }
        return kTokenShiftRight;
      case '^':
        advance(lexer);
        if (lexer.current == '=') {
          advance(lexer);
          return kTokenPowAssign;
        }
        if (lexer.current != '^') return '^';
        return operator_or_compound(lexer, kTokenXor, kTokenXorAssign);
      case '~': return operator_or_compound(lexer, '~', kTokenNotEqual);
      case '!': return operator_or_compound(lexer, '!', kTokenBangEqual);
      case '+': return operator_or_compound(lexer, '+', kTokenAddAssign);
      case '*': return operator_or_compound(lexer, '*', kTokenMulAssign);
      case '%': return operator_or_compound(lexer, '%', kTokenModAssign);
      case '&': return operator_or_compound(lexer, '&', kTokenAndAssign);
      case '|': return operator_or_compound(lexer, '|', kTokenOrAssign);
      case '\\': return operator_or_compound(lexer, '\\', kTokenIdivAssign);
      case ':':
        advance(lexer);
        if (lexer.current != ':') return ':';
        advance(lexer);
        return kTokenDoubleColon;
      case '?':
        advance(lexer);
        ++lexer.pending_end_of_lines;
        return kTokenQuestion;
      case '"':
      case '\'':
        read_quoted_string(lexer, token);
        return kTokenString;
      case '.':
        save_and_advance(lexer);
        if (advance_if(lexer, '.')) {
          if (advance_if(lexer, '.')) return kTokenDots;
          if (lexer.current == '=') {
            advance(lexer);
            return kTokenConcatAssign;
          }
          return kTokenConcat;
        }
        if (!is_digit(lexer.current)) return '.';
        read_numeral(lexer, token);
        return kTokenNumber;
      case kEndOfInput:
        return kTokenEndOfStream;
      default: {
        if (is_digit(lexer.current)) {
          read_numeral(lexer, token);
          return kTokenNumber;
        }
        if (is_name_start(lexer.current)) {
          do save_and_advance(lexer);
          while (is_name_char(lexer.current));
          for (int i = 0; i < kReservedWordCount; ++i) {
            if (lexer.buffer == kTokenTexts[i]) return kFirstReservedToken + i;
          }
          token.text = lexer.buffer;
          return kTokenName;
        }
        int c = lexer.current;
        advance(lexer);
        return c;
      }
    }
  }
}

void scan_into(LexerState& lexer, Token& token) {
  token.text.clear();
  token.number = 0;
  token.kind = scan_token(lexer, token);
  if (token.kind == '(') {
    lexer.parenthesis_balance += lexer.parenthesis_balance >= 1 ? 1 : -1;
  } else if (token.kind == ')') {
    --lexer.parenthesis_balance;
  }
  if (token.kind == kTokenName || token.kind == kTokenString || token.kind == kTokenNumber) {
    token.shown = "'" + lexer.buffer + "'";
  } else {
    token.shown.clear();
  }
}

}  // namespace

void lexer_start(LexerState& lexer, std::string_view source) {
  lexer.source = source;
  lexer.position = 0;
  lexer.line_number = 1;
  lexer.last_line = 1;
  lexer.has_lookahead = false;
  lexer.pending_end_of_lines = 0;
  lexer.parenthesis_balance = -1;
  lexer.buffer.clear();
  advance(lexer);
}

void lexer_next(LexerState& lexer) {
  lexer.last_line = lexer.line_number;
  if (lexer.has_lookahead) {
    std::swap(lexer.token, lexer.lookahead);
    lexer.has_lookahead = false;
  } else {
    scan_into(lexer, lexer.token);
  }
}

int lexer_peek(LexerState& lexer) {
  if (!lexer.has_lookahead) {
    scan_into(lexer, lexer.lookahead);
    lexer.has_lookahead = true;
  }
  return lexer.lookahead.kind;
}

std::string token_name(int kind) {
  if (kind < kFirstReservedToken) {
    if (kind >= 32 && kind < 127) return std::string("'") + char(kind) + "'";
    return "char(" + std::to_string(kind) + ")";
  }
  if (kind > kLastToken) return "?";
  std::string text = kTokenTexts[kind - kFirstReservedToken];
  bool quoted = kind < kTokenEndOfStream || (kind >= kTokenXor && kind <= kTokenRotateRight);
  return quoted ? "'" + text + "'" : text;
}

SourceLocation locate_line(const LexerState& lexer, int line) {
  if (lexer.locate) return lexer.locate(line);
  return SourceLocation{line, 0};
}

void lexer_error(LexerState& lexer, const std::string& message, int token) {
  CompileFailure failure;
  failure.line = lexer.line_number;
  failure.message = message;
  if (token != 0) {
    std::string near = (token == kTokenName || token == kTokenString || token == kTokenNumber)
                           ? "'" + lexer.buffer + "'"
                           : token_name(token);
    failure.message += " near " + near;
  }
  throw failure;
}

void syntax_error(LexerState& lexer, const std::string& message) {
  const Token& token = lexer.token;
  CompileFailure failure;
  failure.line = lexer.line_number;
  failure.message = message;
  if (token.kind != 0) {
    failure.message += " near " + (token.shown.empty() ? token_name(token.kind) : token.shown);
  }
  throw failure;
}

}  // namespace tamori::lang
