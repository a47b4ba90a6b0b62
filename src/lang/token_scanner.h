// The token counter's own scanner. It is independent of the compiler's
// lexer: it never fails, takes any bytes, and sorts every token into one of
// the kinds below, some of which are free (cost nothing towards the limit).
// A '-' or '~' right before a numeral joins the numeral when the token before
// it cannot end an operand, so "x = -1" costs 3 tokens but "a - 1" also 3.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tamori::lang {

enum class CountedTokenKind : unsigned char {
  kEndOfText,           // free
  kLineBreak,           // free
  kComment,             // free: --, --[[ ]], //
  kIncludeLine,         // free: "#include " to the end of the line
  kLabelMarks,          // free: ::
  kName,
  kKeyword,
  kFreeKeyword,         // free: end, local
  kBuiltinName,
  kNumber,
  kString,
  kOperator,            // multi-byte operators and compound assignments
  kClosingPunctuation,  // free: ) ] } , . : ;
  kSingleByte,
};

bool is_free_token(CountedTokenKind kind);

struct TokenScanner {
  std::string_view text;
  size_t position = 0;  // where the next token starts
  CountedTokenKind kind = CountedTokenKind::kEndOfText;
  // The last token that was neither a line break nor a comment.
  CountedTokenKind previous_kind = CountedTokenKind::kEndOfText;
  std::string token_text;     // the bytes of the current token
  std::string previous_text;  // the bytes of the previous_kind token
};

// Scan the first token of `text`, or the one after the current token. Both
// return the position after the token, which is always past the position
// before it unless the text has ended.
size_t first_token(TokenScanner& scanner, std::string_view text);
size_t next_token(TokenScanner& scanner);

// The number of tokens in `text` that are not free.
int count_tokens(std::string_view text);

}  // namespace tamori::lang
