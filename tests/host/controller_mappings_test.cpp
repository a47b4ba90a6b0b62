// Controller mapping lines and the mapping files of both folders.
#include "host/controller_mappings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "host/files.h"

namespace tamori::host {
namespace {

namespace fs = std::filesystem;

TEST(ControllerMappings, LinesSkipCommentsAndBlanks) {
  const std::string text =
      "// add SDL2 game controller mappings to this file\n"
      "\n"
      "abc,Pad One,a:b0,\r\n"
      "   # a note\n"
      "  def,Pad Two,b:b1,  \n"
      "ghi,No Newline,x:b2,";
  EXPECT_EQ(controller_mapping_lines(text),
            (std::vector<std::string>{"abc,Pad One,a:b0,", "def,Pad Two,b:b1,", "ghi,No Newline,x:b2,"}));
  EXPECT_TRUE(controller_mapping_lines("").empty());
}

TEST(ControllerMappings, BuiltInThenProgramFolderThenDataFolderCreatedWithItsComment) {
  const fs::path root = fs::temp_directory_path() / ("tamori_mappings_" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "program");
  fs::create_directories(root / "data");
  ASSERT_TRUE(write_file((root / "program" / kControllerMappingsFileName).string(), "p1,From Program,a:b0,\n"));

  std::vector<std::string> mappings = gather_controller_mappings((root / "program").string(), (root / "data").string());
  const std::vector<std::string>& built_in = built_in_controller_mappings();
  ASSERT_EQ(mappings.size(), built_in.size() + 1);
  EXPECT_EQ(mappings.front(), built_in.front());
  EXPECT_EQ(mappings.back(), "p1,From Program,a:b0,");
  std::optional<std::vector<uint8_t>> created = read_file((root / "data" / kControllerMappingsFileName).string());
  ASSERT_TRUE(created);
  EXPECT_EQ(std::string(created->begin(), created->end()), kControllerMappingsFileHeader);

  ASSERT_TRUE(write_file((root / "data" / kControllerMappingsFileName).string(), "d1,From Data,a:b0,\n"));
  mappings = gather_controller_mappings((root / "program").string(), (root / "data").string());
  EXPECT_EQ(mappings.back(), "d1,From Data,a:b0,");
  EXPECT_EQ(mappings[mappings.size() - 2], "p1,From Program,a:b0,");
  fs::remove_all(root);
}

}  // namespace
}  // namespace tamori::host
