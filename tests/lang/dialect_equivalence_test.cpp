// The dialect's shorthand forms (compound assignment, one-line if and while,
// "?", "!=", "~" as exclusive or, "//" comments) must compile to exactly the
// instructions of their plain equivalents in data/equivalences.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "lang/compiler.h"

namespace tamori::lang {
namespace {

std::string unescape_line_breaks(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "\\n") == 0) {
      out += '\n';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Code and constants of a function and its nested functions; the lines and
// local names are left out, as the two forms may spread or name them apart.
bool same_code(const CompiledFunction& a, const CompiledFunction& b) {
  if (a.code != b.code || a.constants != b.constants || a.functions.size() != b.functions.size() ||
      a.max_stack_size != b.max_stack_size || a.locals.size() != b.locals.size()) {
    return false;
  }
  for (size_t i = 0; i < a.functions.size(); ++i) {
    if (!same_code(*a.functions[i], *b.functions[i])) return false;
  }
  return true;
}

TEST(DialectEquivalence, ShorthandFormsCompileLikeTheirPlainForms) {
  std::ifstream in(std::filesystem::path(TAMORI_TEST_DATA_DIR) /
                   "lang/data/equivalences/dialect_forms.txt");
  std::string line;
  int line_number = 0;
  int cases = 0;
  while (std::getline(in, line)) {
    ++line_number;
    if (line.empty() || line[0] == '#') continue;
    size_t split = line.find(" <=> ");
    ASSERT_NE(split, std::string::npos) << "line " << line_number;
    std::string dialect = unescape_line_breaks(line.substr(0, split));
    std::string plain = unescape_line_breaks(line.substr(split + 5));
    CompileResult dialect_result = compile_chunk(dialect, "dialect");
    CompileResult plain_result = compile_chunk(plain, "plain");
    ASSERT_TRUE(dialect_result.ok()) << "line " << line_number << ": " << dialect_result.error_message;
    ASSERT_TRUE(plain_result.ok()) << "line " << line_number << ": " << plain_result.error_message;
    EXPECT_TRUE(same_code(*dialect_result.function, *plain_result.function))
        << "line " << line_number << ": " << line;
    ++cases;
  }
  EXPECT_GE(cases, 40);
}

}  // namespace
}  // namespace tamori::lang
