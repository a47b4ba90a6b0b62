// The layers of src/ hold: the cartridge language includes nothing of the
// console, and the rest of the console reaches the language only through its
// public headers. Every quoted include of every source file is checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The language headers the console may include. The embedding interface
// brings the state and value types with it.
const std::set<std::string> kPublicLanguageHeaders = {
    "lang/api.h",          // the embedding interface
    "lang/compiler.h",     // source to compiled functions
    "lang/library.h",      // registering the language's own built-ins
    "lang/cpu_counters.h", // the cycle meter the runner budgets
    "lang/number_text.h",  // numbers as the language writes them
    "lang/token_scanner.h" // the token counter behind the program limits
};

// Headers (system or third-party) that only the console may use.
const std::regex kConsoleOnlySystemHeader(R"(^(SDL|lodepng|gif_lib))");

// The faults of one file: `folder` is its folder under src/ ("lang",
// "runner/bindings", ...), `text` its contents.
std::vector<std::string> layering_faults(const std::string& folder, const std::string& text) {
  static const std::regex include_line(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  const bool in_language = folder == "lang";
  std::vector<std::string> faults;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::smatch match;
    if (!std::regex_search(line, match, include_line)) continue;
    const std::string header = match[2];
    if (match[1] == "<") {
      if (in_language && std::regex_search(header, kConsoleOnlySystemHeader)) faults.push_back(header);
      continue;
    }
    const bool language_header = header.starts_with("lang/");
    const bool names_a_folder = header.find('/') != std::string::npos;
    if (in_language && names_a_folder && !language_header) faults.push_back(header);
    if (!in_language && language_header && !kPublicLanguageHeaders.contains(header)) {
      faults.push_back(header);
    }
  }
  return faults;
}

TEST(Layering, TheCheckSeesStrayIncludes) {
  struct Case {
    std::string folder, text;
    size_t faults;
  };
  const std::vector<Case> cases = {
      {"lang", "#include \"lang/heap.h\"\n#include <vector>\n", 0},
      {"lang", "#include \"machine/memory.h\"\n", 1},
      {"lang", "#include <SDL2/SDL.h>\n  #  include \"runner/prelude.h\"\n", 2},
      {"runner", "#include \"lang/api.h\"\n#include \"machine/memory.h\"\n", 0},
      {"runner/bindings", "#include \"lang/heap.h\"\n", 1},
      {"shell", "#include \"lang/interpreter.h\"  // a VM internal\n", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(layering_faults(c.folder, c.text).size(), c.faults) << c.folder << ": " << c.text;
  }
}

TEST(Layering, EverySourceFileKeepsToItsLayer) {
  const fs::path source_root = TAMORI_SOURCE_DIR;
  ASSERT_TRUE(fs::is_directory(source_root / "lang"));
  size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(source_root)) {
    const std::string extension = entry.path().extension().string();
    if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp")) continue;
    ++files;
    const std::string folder = fs::relative(entry.path().parent_path(), source_root).generic_string();
    std::ifstream in(entry.path());
    std::stringstream text;
    text << in.rdbuf();
    for (const std::string& fault : layering_faults(folder, text.str())) {
      ADD_FAILURE() << entry.path().generic_string() << " includes " << fault;
    }
  }
  EXPECT_GT(files, 100u);
}

}  // namespace
