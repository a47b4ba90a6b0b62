// Where the console looks for data.pod: beside the program first, then in
// ../share/tamori/ from it, so that a build folder and an installed copy
// under any prefix both find theirs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/paths.h"

namespace tamori::host {
namespace {

TEST(DataFileLocation, BesideTheProgramFirstThenTheSharedFolder) {
  struct Case {
    bool beside, shared;
    const char* expected;  // relative to the prefix
  };
  const Case cases[] = {
      {true, true, "bin/data.pod"},
      {true, false, "bin/data.pod"},
      {false, true, "share/tamori/data.pod"},
      {false, false, "bin/data.pod"},  // named in the "couldn't load" message
  };
  const std::filesystem::path prefix =
      std::filesystem::temp_directory_path() / ("tamori_data_location_" + std::to_string(::getpid()));
  for (const Case& c : cases) {
    std::filesystem::remove_all(prefix);
    std::filesystem::create_directories(prefix / "bin");
    std::filesystem::create_directories(prefix / "share/tamori");
    if (c.beside) std::ofstream(prefix / "bin/data.pod") << "pod";
    if (c.shared) std::ofstream(prefix / "share/tamori/data.pod") << "pod";
    EXPECT_EQ(find_data_file((prefix / "bin").string() + "/"), (prefix / c.expected).string())
        << c.beside << c.shared;
    EXPECT_EQ(find_data_file((prefix / "bin").string()), (prefix / c.expected).string()) << "without a slash";
  }
  // A folder named data.pod is not the data file.
  std::filesystem::remove_all(prefix);
  std::filesystem::create_directories(prefix / "bin/data.pod");
  std::filesystem::create_directories(prefix / "share/tamori");
  std::ofstream(prefix / "share/tamori/data.pod") << "pod";
  EXPECT_EQ(find_data_file((prefix / "bin/").string()), (prefix / "share/tamori/data.pod").string());
  std::filesystem::remove_all(prefix);
}

}  // namespace
}  // namespace tamori::host
