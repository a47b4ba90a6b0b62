// The cartridge language's lexer: Lua 5.2 tokens plus the dialect's
// operators, compound assignments, "//" comments, extra escapes, binary
// numerals and the end-of-line tokens that close the one-line statements.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "lang/compiler_error.h"

namespace tamori::lang {

// Token codes. Single characters stand for themselves (below 256).
enum TokenKind : int {
  kTokenAnd = 257, kTokenBreak, kTokenDo, kTokenElse, kTokenElseif, kTokenEnd, kTokenFalse,
  kTokenFor, kTokenFunction, kTokenGoto, kTokenIf, kTokenIn, kTokenLocal, kTokenNil, kTokenNot,
  kTokenOr, kTokenRepeat, kTokenReturn, kTokenThen, kTokenTrue, kTokenUntil, kTokenWhile,
  // 279 onward
  kTokenConcat, kTokenDots, kTokenEqual, kTokenGreaterEqual, kTokenLessEqual, kTokenNotEqual,
  kTokenBangEqual, kTokenDoubleColon, kTokenEndOfStream, kTokenNumber, kTokenName, kTokenString,
  kTokenQuestion, kTokenEndOfLine, kTokenXor, kTokenShiftLeft, kTokenShiftRight,
  kTokenLogicalShiftRight, kTokenRotateLeft, kTokenRotateRight,
  // compound assignments, 299..314
  kTokenAddAssign, kTokenSubAssign, kTokenMulAssign, kTokenDivAssign, kTokenModAssign,
  kTokenPowAssign, kTokenIdivAssign, kTokenAndAssign, kTokenOrAssign, kTokenXorAssign,
  kTokenShiftLeftAssign, kTokenShiftRightAssign, kTokenLogicalShiftRightAssign,
  kTokenRotateLeftAssign, kTokenRotateRightAssign, kTokenConcatAssign,
};

inline constexpr int kFirstReservedToken = kTokenAnd;
inline constexpr int kLastToken = kTokenConcatAssign;
static_assert(kTokenConcat == 279 && kTokenQuestion == 291 && kTokenAddAssign == 299 &&
              kTokenConcatAssign == 314);

struct Token {
  int kind = kTokenEndOfStream;
  int32_t number = 0;  // raw 16.16 value of a numeral
  std::string text;    // name or string contents
  std::string shown;   // how a name, numeral or string appears in messages
};

struct LexerState {
  std::string_view source;
  size_t position = 0;
  int current = -1;  // current byte, -1 at the end
  int line_number = 1;
  int last_line = 1;  // line of the last token consumed
  Token token;        // current token
  Token lookahead;
  bool has_lookahead = false;
  // End-of-line tokens owed: while above 0, a line break produces "<eol>".
  int pending_end_of_lines = 0;
  // Counts parenthesis tokens to recognise the one-line if and while.
  int parenthesis_balance = -1;
  std::string buffer;  // text of the element being read
  std::function<SourceLocation(int)> locate;
};

void lexer_start(LexerState& lexer, std::string_view source);
void lexer_next(LexerState& lexer);
int lexer_peek(LexerState& lexer);

// The token-name table entry for a token code, e.g. "'end'", "<eof>", "+=".
std::string token_name(int kind);

// Throws a CompileFailure: "msg near <token>" (token 0: no "near" part).
[[noreturn]] void lexer_error(LexerState& lexer, const std::string& message, int token);
// An error at the current token.
[[noreturn]] void syntax_error(LexerState& lexer, const std::string& message);

SourceLocation locate_line(const LexerState& lexer, int line);

}  // namespace tamori::lang
