#include <gtest/gtest.h>

#include "lang/compiler.h"

namespace tamori::lang {
namespace {

struct ErrorCase {
  const char* source;
  const char* message;  // expected error, or "" when the source compiles
};

std::string outcome(const std::string& source, const CompileOptions& options = {}) {
  CompileResult result = compile_chunk(source, "test", options);
  return result.ok() ? "" : result.error_message;
}

void expect_outcomes(const std::vector<ErrorCase>& cases) {
  for (const auto& c : cases) EXPECT_EQ(outcome(c.source), c.message) << "source: " << c.source;
}

TEST(Parser, OneLineIfForms) {
  expect_outcomes({
      {"if (a) b()", ""},
      {"if a b()", "'then' expected near 'b'"},
      {"if (a) and (b) c()", "'then' expected near 'c'"},
      {"if (a) and (b) then c() end", ""},
      {"if (a) b() else c()", ""},
      {"if (a) b() elseif c then d() else e()", ""},
      {"if (a) b() elseif (c) d()", "'then' expected near 'd'"},
      {"if (a) print(1)\nprint(2)", ""},
      {"if x do print(1) end", ""},
      {"function f() if (a) b() end", ""},
      {"if (a) b() end", "<eof> expected near 'end'"},
      {"if (a)\nb()", "'then' expected near 'b'"},
      {"if (a) b() c() d()", ""},
      {"if (a) b() x", "syntax error near <eof>"},
      {"if (a) return 1 x = 2", "<eol> expected near 'x'"},
      {"if (f(a)) b()", ""},
      {"if (a) (b)()", "'then' expected near <eof>"},  // (a)(b)() is one call
      {"if (a) if (b) c()\nd()", ""},
      {"while (i < 10) if (i > 5) break i += 1", ""},
      {"if (a) goto l ::l::", ""},
      {"if (a) break", "<break> at line 1 not inside a loop"},
      {"if (a) do b() end", ""},
      {"if (a)", "'then' expected near <eof>"},
  });
}

TEST(Parser, OneLineWhileForms) {
  expect_outcomes({
      {"while (i<10) i+=1", ""},
      {"while (i<10) i+=1\nx = 1", ""},
      {"while i<10 i+=1", "'do' expected near 'i'"},
      {"while (i)", "'do' expected near <eof>"},
      {"while (a) and (b) c()", "'do' expected near 'c'"},
      {"while (a) do b() end", ""},
      {"while (i<10) if (i>5) i+=2 else i+=1\nprint(i)", ""},
      {"function f() while (a) b() end", ""},
  });
}

TEST(Parser, PrintShorthand) {
  expect_outcomes({
      {"? 1, 2", ""},
      {"?", ""},
      {"?\n? 1", ""},
      {"? 1 2", "<eol> expected near '2'"},
      {"? f(1,\n2)", "unexpected symbol near <eol>"},
      {"x = ? 1\ny = 2", ""},
      {"x = (? 1) + 2\ny = 2", ""},
      {"if (a) ? 1\n? 2", ""},
  });
}

TEST(Parser, CompoundAssignment) {
  expect_outcomes({
      {"a += 1", ""},
      {"t[f()] += 1", ""},
      {"a.b.c ..= 'x'", ""},
      {"local x x <<>= 1 x >><= 2 x >>>= 3 x ^^= 4 x \\= 5", ""},
      {"f() += 1", "syntax error near +="},
      {"a, b += 1", "'=' expected near +="},
      {"a += ", "unexpected symbol near <eof>"},
      {"(a) += 1", "syntax error near +="},
  });
}

TEST(Parser, CommentsNumeralsAndNames) {
  expect_outcomes({
      {"x = 1 // comment", ""},
      {"x = 10 // 3", ""},
      {"x = 1e3", "syntax error near <eof>"},
      {"x = 0x10 + 0b101 + 0x.8 + .5 + 1.", ""},
      {"\x80 = 1 x\x9a = \x80", ""},
      {"x = a != b", ""},
      {"x = !a", "unexpected symbol near '!'"},
  });
}

TEST(Parser, KeepsLua52Messages) {
  expect_outcomes({
      {"x", "syntax error near <eof>"},
      {"x y", "syntax error near 'y'"},
      {"x =", "unexpected symbol near <eof>"},
      {"local 1", "<name> expected near '1'"},
      {"for x do end", "'=' or 'in' expected near 'do'"},
      {"f(1", "')' expected near <eof>"},
      {"f(1\n\n", "')' expected (to close '(' at line 1 (tab 0)) near <eof>"},
      {"do\nx = 1", "'end' expected (to close 'do' at line 1 (tab 0)) near <eof>"},
      {"repeat\nx = 1", "'until' expected (to close 'repeat' at line 1 (tab 0)) near <eof>"},
      {"function f(1) end", "<name> or '...' expected near '1'"},
      {"function f() x = ... end", "cannot use '...' outside a vararg function near '...'"},
      {"x = ...", ""},
      {"f:m", "function arguments expected near <eof>"},
      {"return 1 x = 2", "<eof> expected near 'x'"},
      {"goto nowhere", "no visible label 'nowhere' for <goto> at line 1 (tab 0)"},
      {"break", "<break> at line 1 not inside a loop"},
      {"::a:: ::a::", "label 'a' already defined on line 1 (tab 0)"},
      {"goto l local x ::l:: print(x)", "<goto l> at line 1 (tab 0) jumps into the scope of local 'x'"},
      {"goto l local x ::l::", ""},
      {"x = 'abc", "unfinished string near <eof>"},
      {"x = \"\\q\"", "invalid escape sequence near '\\q'"},
  });
}

TEST(Parser, MessagesShowLinesWithinCodeTabs) {
  CompileOptions options;
  // Lines 1-2 are a prelude; each tab has 10 lines.
  options.locate_line = [](int line) { return SourceLocation{(line - 3) % 10, (line - 3) / 10}; };
  EXPECT_EQ(outcome("\n\n\n\n\n\n\n\n\n\n\n\n\n\ndo\n", options),
            "'end' expected (to close 'do' at line 2 (tab 1)) near <eof>");
  EXPECT_EQ(outcome("\n\n\n\n\n\n\n\n\n\n\n\n\n\ngoto x", options),
            "no visible label 'x' for <goto> at line 2 (tab 1)");
  EXPECT_EQ(outcome("\n\n\n\nfunction f()\n" + std::string(260, ' ') + "local " + [] {
              std::string names;
              for (int i = 0; i < 201; ++i) names += (i ? ",a" : "a") + std::to_string(i);
              return names;
            }() + "\nend",
                    options),
            "too many local variables (limit is 200) in function at line 2 (tab 0) near 'end'");
}

TEST(Parser, ReportsTheLineOfTheFailingStatement) {
  CompileResult result = compile_chunk("x = 1\ny = 2\nz = = 3\n", "chunk");
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error_line, 3);
  EXPECT_EQ(result.error_message, "unexpected symbol near '='");
  EXPECT_EQ(result.full_message, "chunk:3: unexpected symbol near '='");
}

TEST(Parser, LimitsNestingToTwoHundredLevels) {
  const std::string deep[] = {
      "x = " + std::string(300, '(') + "1" + std::string(300, ')'),
            "x = " + [] { std::string s; for (int i = 0; i < 300; ++i) s += "- "; return s + "1"; }(),
      "x = " + std::string(300, '{') + std::string(300, '}'),
      [] { std::string s; for (int i = 0; i < 300; ++i) s += "do "; for (int i = 0; i < 300; ++i) s += "end "; return s; }(),
      [] { std::string s; for (int i = 0; i < 300; ++i) s += "a" + std::to_string(i) + ","; return s + "b = 1"; }(),
      [] { std::string s = "x = "; for (int i = 0; i < 300; ++i) s += "function() return "; return s + "1"; }(),
      "x = " + [] { std::string s; for (int i = 0; i < 300; ++i) s += "not "; return s + "1"; }(),
  };
  for (const auto& source : deep) {
    CompileResult result = compile_chunk(source, "deep");
    ASSERT_FALSE(result.ok()) << source.substr(0, 40);
    EXPECT_NE(result.error_message.find("too many C levels (limit is 200)"), std::string::npos)
        << result.error_message;
  }
  // 150 levels are fine.
  EXPECT_EQ(outcome("x = " + std::string(150, '(') + "1" + std::string(150, ')')), "");
}

TEST(Parser, RegisterAndUpvalueLimits) {
  std::string call = "f(";
  for (int i = 0; i < 300; ++i) call += (i ? ",a" : "a") + std::to_string(i);
  EXPECT_EQ(outcome(call + ")"), "function or expression too complex near 'a249'");
  std::string upvalues;
  for (int i = 0; i < 130; ++i) upvalues += "local a" + std::to_string(i) + "\n";
  for (int i = 0; i < 130; ++i) upvalues += "local b" + std::to_string(i) + "\n";
  upvalues += "function f() return ";
  for (int i = 0; i < 130; ++i) upvalues += "a" + std::to_string(i) + "+b" + std::to_string(i) + "+";
  upvalues += "0 end";
  std::string message = outcome(upvalues);
  EXPECT_NE(message.find("too many local variables"), std::string::npos) << message;
}

}  // namespace
}  // namespace tamori::lang
