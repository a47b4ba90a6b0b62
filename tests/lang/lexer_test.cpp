#include "lang/lexer.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace tamori::lang {
namespace {

// Renders the token stream of `source` as text: names as n:x, numerals as
// #raw-hex, strings as s:"..." (bytes below 32 as \N), other tokens by
// their names; an error as "error: message".
std::string tokens_of(const std::string& source) {
  LexerState lexer;
  lexer_start(lexer, source);
  std::string out;
  try {
    for (;;) {
      lexer_next(lexer);
      const Token& t = lexer.token;
      if (t.kind == kTokenEndOfStream) break;
      if (!out.empty()) out += ' ';
      if (t.kind == kTokenName) {
        out += "n:" + t.text;
      } else if (t.kind == kTokenNumber) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "#%08x", unsigned(t.number));
        out += hex;
      } else if (t.kind == kTokenString) {
        out += "s:\"";
        for (unsigned char c : t.text) {
          if (c < 32) out += "\\" + std::to_string(c);
          else out += char(c);
        }
        out += "\"";
      } else {
        out += token_name(t.kind);
      }
    }
  } catch (const CompileFailure& failure) {
    out += (out.empty() ? "" : " ") + std::string("error: ") + failure.message;
  }
  return out;
}

struct LexCase {
  const char* source;
  const char* tokens;
};

TEST(Lexer, OperatorsTakeTheLongestMatch) {
  const LexCase cases[] = {
      {"< <= << <<= <<> <<>=", "'<' '<=' '<<' <<= '<<>' <<>="},
      {"> >= >> >>= >>> >>>= >>< >><=", "'>' '>=' '>>' >>= '>>>' >>>= '>><' >><="},
      {"^ ^= ^^ ^^=", "'^' ^= '^^' ^^="},
      {". .. ..= ...", "'.' '..' ..= '...'"},
      {"= == : ::", "'=' '==' ':' '::'"},
      {"+= -= *= /= %= \\= &= |=", "+= -= *= /= %= \\= &= |="},
      {"+ - * / % \\ & | ~ !", "'+' '-' '*' '/' '%' '\\' '&' '|' '~' '!'"},
      {"~= != @ $ #", "'~=' '!=' '@' '$' '#'"},
      {"a!=b", "n:a '!=' n:b"},
  };
  for (const auto& c : cases) EXPECT_EQ(tokens_of(c.source), c.tokens) << c.source;
}

TEST(Lexer, TokenCodesFollowTheTable) {
  EXPECT_EQ(int(kTokenConcat), 279);
  EXPECT_EQ(int(kTokenBangEqual), 285);
  EXPECT_EQ(int(kTokenEndOfStream), 287);
  EXPECT_EQ(int(kTokenQuestion), 291);
  EXPECT_EQ(int(kTokenEndOfLine), 292);
  EXPECT_EQ(int(kTokenRotateRight), 298);
  EXPECT_EQ(int(kTokenIdivAssign), 305);
  EXPECT_EQ(int(kTokenConcatAssign), 314);
  EXPECT_EQ(token_name(kTokenEnd), "'end'");
  EXPECT_EQ(token_name(kTokenEndOfStream), "<eof>");
  EXPECT_EQ(token_name(kTokenEndOfLine), "<eol>");
  EXPECT_EQ(token_name(kTokenXor), "'^^'");
  EXPECT_EQ(token_name(kTokenRotateRight), "'>><'");
  EXPECT_EQ(token_name(kTokenAddAssign), "+=");
  EXPECT_EQ(token_name(kTokenQuestion), "?");
  EXPECT_EQ(token_name('('), "'('");
  EXPECT_EQ(token_name(1), "char(1)");
}

TEST(Lexer, Numerals) {
  const LexCase cases[] = {
      {"0x10", "#00100000"},
      {"0b101", "#00050000"},
      {"0x.8", "#00008000"},
      {".5", "#00008000"},
      {"1.", "#00010000"},
      {"0.1", "#00001999"},
      {"32768", "#80000000"},
      {"0xffff", "#ffff0000"},
      {"0x7fff.ffff", "#7fffffff"},
      {"0b1.1", "#00018000"},
      {"0xb1", "#00b10000"},
      {"1e3", "#00010000 n:e3"},
      {"0x1p4", "#00010000 n:p4"},
      {"0b12", "#00010000 #00020000"},
      {"1.2.3", "error: malformed number near '1.2.3'"},
      {"3..4", "error: malformed number near '3..4'"},
      {"0x", "error: malformed number near '0x'"},
  };
  for (const auto& c : cases) EXPECT_EQ(tokens_of(c.source), c.tokens) << c.source;
}

TEST(Lexer, NamesAndReservedWords) {
  const LexCase cases[] = {
      {"abc _x A1 a.b", "n:abc n:_x n:A1 n:a '.' n:b"},
      {"\x80\x81 x\xff", "n:\x80\x81 n:x\xff"},
      {"\x1e\x1fz", "n:\x1e\x1fz"},
      {"and End end", "'and' n:End 'end'"},
      {"goto while2", "'goto' n:while2"},
  };
  for (const auto& c : cases) EXPECT_EQ(tokens_of(c.source), c.tokens) << c.source;
}

TEST(Lexer, StringsAndEscapes) {
  const LexCase cases[] = {
      {R"("\*\#\-\|\+\^")", R"(s:"\1\2\3\4\5\6")"},
      {R"('\a\b\t\n\v\f\r')", R"(s:"\7\8\9\10\11\12\13")"},
      {R"("\\\"\'")", R"(s:"\"'")"},
      {R"("\x41\65\0")", R"(s:"AA\0")"},
      {"\"a\\z  \n  b\"", R"(s:"ab")"},
      {"\"a\\\nb\"", R"(s:"a\10b")"},
      {"[[x]] [==[a]]b]==]", R"(s:"x" s:"a]]b")"},
      {"[[\nfirst line skipped]]", R"(s:"first line skipped")"},
      {R"("\x4z")", R"(error: hexadecimal digit expected near '\x4z')"},
      {R"("\256")", R"(error: decimal escape too large near '\256')"},
      {R"("\q")", R"(error: invalid escape sequence near '\q')"},
      {"\"abc", "error: unfinished string near <eof>"},
      {"\"abc\nd\"", "error: unfinished string near '\"abc'"},
      {"[[abc", "error: unfinished long string near <eof>"},
      {"[==x", "error: invalid long string delimiter near '[=='"},
  };
  for (const auto& c : cases) EXPECT_EQ(tokens_of(c.source), c.tokens) << c.source;
}

TEST(Lexer, Comments) {
  const LexCase cases[] = {
      {"x = 1 // comment", "n:x '=' #00010000"},
      {"x = 10 // 3", "n:x '=' #000a0000"},
      {"a / b", "n:a '/' n:b"},
      {"a -- c\nb", "n:a n:b"},
      {"a --[[ long\ncomment ]] b", "n:a n:b"},
      {"a --[==[ ]] ]==] b", "n:a n:b"},
      {"a --[[ open", "n:a error: unfinished long comment near <eof>"},
  };
  for (const auto& c : cases) EXPECT_EQ(tokens_of(c.source), c.tokens) << c.source;
}

TEST(Lexer, QuestionMarkOwesAnEndOfLine) {
  const LexCase cases[] = {
      {"? 1\nx", "? #00010000 <eol> n:x"},
      {"? ?\nx", "? ? <eol> <eol> n:x"},
      {"?\n\nx", "? <eol> n:x"},
      {"? 1 // c\nx", "? #00010000 <eol> n:x"},
      {"? 1 -- c\nx", "? #00010000 <eol> n:x"},
      {"? [[a\nb]]\nx", "? s:\"a\\10b\" <eol> n:x"},
  };
  for (const auto& c : cases) EXPECT_EQ(tokens_of(c.source), c.tokens) << c.source;
}

TEST(Lexer, OwedEndOfLinesShareOneLineBreak) {
  LexerState lexer;
  lexer_start(lexer, "a\r\nb\n\rc");
  lexer_next(lexer);
  lexer.pending_end_of_lines = 2;
  lexer_next(lexer);
  EXPECT_EQ(lexer.token.kind, kTokenEndOfLine);
  EXPECT_EQ(lexer.line_number, 1);
  lexer_next(lexer);
  EXPECT_EQ(lexer.token.kind, kTokenEndOfLine);
  EXPECT_EQ(lexer.line_number, 2);  // the last one consumed the break
  lexer_next(lexer);
  EXPECT_EQ(lexer.token.text, "b");
  lexer_next(lexer);
  EXPECT_EQ(lexer.token.text, "c");
  EXPECT_EQ(lexer.line_number, 3);  // "\n\r" counts once
}

TEST(Lexer, ParenthesisBalance) {
  // After the parser sets the balance to 1 at a leading '(', it returns to
  // 0 exactly when that group closes and no parenthesis follows.
  struct Case {
    const char* rest;  // tokens after the leading '('
    int balance;
  };
  const Case cases[] = {{"a)", 0}, {"(a))", 0}, {"a) and (b)", -2}, {"a) x", 0}, {"f(a)", 1}};
  for (const auto& c : cases) {
    LexerState lexer;
    lexer_start(lexer, c.rest);
    lexer.parenthesis_balance = 1;
    do lexer_next(lexer);
    while (lexer.token.kind != kTokenEndOfStream);
    EXPECT_EQ(lexer.parenthesis_balance, c.balance) << c.rest;
  }
}

}  // namespace
}  // namespace tamori::lang
