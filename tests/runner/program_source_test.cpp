// Program text as compiled: include expansion, code tabs and the mapping of
// compiled lines back to tabs, the command shorthand, and the messages that
// report syntax errors.
#include <gtest/gtest.h>

#include <map>

#include "runner/command_shorthand.h"
#include "lang/compiler.h"
#include "runner/error_report.h"
#include "runner/prelude.h"
#include "runner/program_source.h"

namespace tamori::runner {
namespace {

using namespace tamori::lang;

TEST(ProgramSource, CompiledLinesMapToTabsAfterThePreludesTwoLines) {
  // Tabs of 2, 1 and 3 lines: each spans its lines plus the separator line.
  ExpandedProgram program = expand_program("a\nb\n-->8\nc\n-->8\nd\ne\nf", {});
  ASSERT_TRUE(program.ok);
  EXPECT_EQ(program.tab_spans, (std::vector<int>{3, 2, 4}));
  struct Case {
    int compiled_line;
    bool found;
    int tab, line;
  };
  const Case cases[] = {
      {1, false, 0, 0}, {2, false, 0, 0},  // the prelude
      {3, true, 0, 1},  {4, true, 0, 2},  {5, true, 0, 3},  // the separator line counts with its tab
      {6, true, 1, 1},  {8, true, 2, 1},  {10, true, 2, 3},
      {12, false, 0, 0},  // past the last tab: the epilogue
  };
  for (const Case& c : cases) {
    TabLine place = find_tab_line(program.tab_spans, c.compiled_line);
    EXPECT_EQ(place.found, c.found) << c.compiled_line;
    EXPECT_EQ(place.tab, c.tab) << c.compiled_line;
    EXPECT_EQ(place.line, c.line) << c.compiled_line;
  }
  EXPECT_EQ(text_line(program.text, 6), "d");
  EXPECT_EQ(text_line(program.text, 99), "");
}

TEST(ProgramSource, IncludeLinesAreReplacedAndCountTowardsTheirTab) {
  std::map<std::string, std::string> files = {{"lib.tm", "one\ntwo\n-->8\nthree"}};
  IncludeReader reader = [&](const std::string& name, int tab, std::string* code) {
    auto found = files.find(name);
    if (found == files.end()) return false;
    *code = tab < 0 ? found->second : tab == 1 ? "three" : "";
    return true;
  };
  ExpandedProgram program = expand_program("x\n  #include lib.tm:1\ny\n-->8\n#include lib.tm", reader);
  ASSERT_TRUE(program.ok);
  EXPECT_EQ(program.text, "x\nthree\ny\n-->8\none\ntwo\n-->8\nthree");
  EXPECT_EQ(program.tab_spans, (std::vector<int>{4, 5}));
  EXPECT_FALSE(expand_program("#include missing.tm", reader).ok);
}

TEST(ProgramSource, IncludeLineForms) {
  std::string name;
  int tab = 0;
  EXPECT_TRUE(parse_include_line("#include a.tm", &name, &tab));
  EXPECT_EQ(name, "a.tm");
  EXPECT_EQ(tab, -1);
  EXPECT_TRUE(parse_include_line("\t #include /x/b.tm:a ", &name, &tab));
  EXPECT_EQ(name, "/x/b.tm");
  EXPECT_EQ(tab, 10);
  EXPECT_FALSE(parse_include_line("-- #include a.tm", &name, &tab));
  EXPECT_FALSE(parse_include_line("#include ", &name, &tab));
}

TEST(ProgramSource, CommandShorthand) {
  struct Case {
    const char* text;
    const char* call;
  };
  const Case cases[] = {
      {"help", "help()"}, {"man", "help()"}, {"dir", "ls()"}, {"s", "splore()"},
      {"load mygame", "load(\"mygame\")"}, {"cd a\"b\\c", "cd(\"a\\\"b\\\\c\")"},
      {"load \"x\"", ""}, {"print(1)", ""}, {"helpme", ""},
  };
  for (const Case& c : cases) {
    CommandShorthand shorthand = command_shorthand(c.text);
    EXPECT_EQ(shorthand.call, c.call) << c.text;
  }
  CommandShorthand config = command_shorthand("config volume 3");
  EXPECT_EQ(config.kind, CommandShorthand::Kind::kConfig);
  EXPECT_EQ(config.config_argument, "volume 3");
}

TEST(ProgramSource, ThePreludeKeepsTheProgramOnLineThree) {
  for (bool global_api : {false, true}) {
    ProgramTextOptions options;
    options.global_api = global_api;
    std::string text = build_program_text("x = = 1", options);
    EXPECT_EQ(text.substr(0, kPreludeFirstLine.size() + 1), std::string(kPreludeFirstLine) + "\n");
    CompileResult compiled = compile_chunk(text, kPreludeFirstLine);
    ASSERT_FALSE(compiled.ok());
    EXPECT_EQ(compiled.lexer_line, kProgramFirstLine) << compiled.full_message;
    EXPECT_TRUE(compile_chunk(build_program_text("x = 1", options), kPreludeFirstLine).ok());
  }
  ProgramTextOptions command;
  command.is_command = true;
  EXPECT_TRUE(compile_chunk(build_program_text("x = 1", command), kPreludeFirstLine).ok());
}

TEST(ProgramSource, SyntaxMessagesAreCutToWhatTheReaderNeeds) {
  EXPECT_EQ(extract_syntax_message("-- tamori header:5: '=' expected near 'x'", true), "'=' expected near 'x'");
  EXPECT_EQ(extract_syntax_message("h:9: 'end' expected (to close 'function' at line 3 (tab 1)) near <eof>", true),
            "unclosed function");
  EXPECT_EQ(extract_syntax_message("h:9: 'end' expected (to close 'if' at line 3 (tab 1)) near <eof>", false),
            "unclosed if at line 3 (tab 1)\n");
  EXPECT_EQ(extract_syntax_message("h:9: unexpected symbol near '_end_of_program'", true), "");
}

TEST(ProgramSource, AnUnexpectedEndWithoutEndOnTheLineIsCalledEndOfLine) {
  ExpandedProgram program = expand_program("if x then\n y = ", {});
  std::vector<ConsoleLine> lines =
      syntax_error_report({false, 4, "h:4: unexpected symbol near 'end'"}, program);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].text, "syntax error line 2 (tab 0)");
  EXPECT_EQ(lines[0].colour, kHeadingColour);
  EXPECT_EQ(lines[1].text, " y = ");
  EXPECT_EQ(lines[1].colour, kSourceColour);
  EXPECT_EQ(lines[2].text, "unexpected end of line");
  std::vector<ConsoleLine> command = syntax_error_report({true, 4, "h:4: oops"}, program);
  ASSERT_EQ(command.size(), 2u);
  EXPECT_EQ(command[0].text, "syntax error");
}

TEST(ProgramSource, RuntimeReportSkipsTheMainLoopAndPreludeFrames) {
  ExpandedProgram program = expand_program("function _update()\n  boom()\nend", {});
  RuntimeError error;
  error.cartridge = true;
  error.line = 4;
  error.message = "not enough memory";
  error.traceback =
      "stack traceback:\n\t-- tamori header:4: in function '_update'\n\t-- tamori header:40: in function "
      "'_mainloop'\n\t-- tamori header:2: in function 'printh'\n\t-- tamori header:41: in main chunk";
  std::vector<ConsoleLine> lines = runtime_error_report(error, program);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].text, "runtime error line 2 tab 0");
  EXPECT_EQ(lines[1].text, "  boom()");
  EXPECT_EQ(lines[2].text, "in _update line 2 (tab 0)");
  EXPECT_EQ(lines[2].colour, kTracebackColour);
  error.already_reported = true;
  error.message = "-- tamori header:4: assertion failed!";
  lines = runtime_error_report(error, program);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2].text, "assertion failed");
}

}  // namespace
}  // namespace tamori::runner

namespace tamori::runner {
namespace {

// The message lines (after the heading and source line) for error texts
// with and without the chunk's position and a stored assert message.
TEST(ProgramSource, RuntimeMessageLinesWithTheirColours) {
  ExpandedProgram program = expand_program("x = 1", {});
  const struct {
    const char* message;
    const char* assertion;
    std::vector<ConsoleLine> expected;
  } cases[] = {
      {"-- tamori header:3: assertion failed!", "", {{"assertion failed", kDetailColour}}},
      {"-- tamori header:3: keep going",
       "keep going",
       {{"assertion failed", kDetailColour}, {"keep going", kSourceColour}}},
      {"-- tamori header:3: bad argument #2 to 'add' (position out of bounds)",
       "",
       {{"position out of bounds", kDetailColour}}},
      {"-- tamori header:3: bad argument #1 to 'setmetatable' (table expected, got nil)", "", {}},
      {"attempt to call a nil value", "", {{"attempt to call a nil value", kDetailColour}}},
      {"not enough memory", "", {}},
      // An assert message that came without a position is told once.
      {"plain", "plain", {{"plain", kDetailColour}}},
      // A stored message the text does not show is told after it.
      {"not enough memory", "stored", {{"stored", kDetailColour}}},
  };
  for (const auto& entry : cases) {
    SCOPED_TRACE(entry.message);
    RuntimeError error;
    error.cartridge = true;
    error.line = 3;
    error.message = entry.message;
    error.assertion_message = entry.assertion;
    std::vector<ConsoleLine> lines = runtime_error_report(error, program);
    ASSERT_EQ(lines.size(), entry.expected.size() + 2);
    for (size_t i = 0; i < entry.expected.size(); i++) {
      EXPECT_EQ(lines[i + 2].text, entry.expected[i].text);
      EXPECT_EQ(lines[i + 2].colour, entry.expected[i].colour);
    }
  }
}

}  // namespace
}  // namespace tamori::runner
