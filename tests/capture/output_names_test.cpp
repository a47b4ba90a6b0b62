// Capture file names: the name base, a cartridge's chosen name, numbering,
// time stamps and the folders, including names that try to leave them.
#include "capture/output_names.h"

#include <fstream>

#include "capture_test_support.h"

namespace tamori::capture {
namespace {

using testing::CaptureFolder;

std::tm fixed_time() {
  std::tm time{};
  time.tm_year = 2024 - 1900;
  time.tm_mon = 0;
  time.tm_mday = 15;
  time.tm_hour = 12;
  time.tm_min = 8;
  time.tm_sec = 23;
  return time;
}

TEST(OutputNames, BaseAndChosenNames) {
  const struct {
    const char* text;
    const char* base;    // output_name_base
    const char* chosen;  // chosen_output_name
  } cases[] = {
      {"", "TAMORI", ""},
      {"tamori 0.2.7", "tamori 0 2 7", "tamori 0"},
      {"my-game_v2", "my-game_v2", "my-game_v2"},
      {"../../etc/passwd", "      etc passwd", ""},
      {"a/b\\c:d", "a b c d", "a b c d"},
      {"shot%", "shot ", "shot%"},
      {"shot.v2.png", "shot v2 png", "shot"},
      {"\xe2\x99\xa5 love", "    love", "    love"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(output_name_base(c.text), c.base);
    EXPECT_EQ(chosen_output_name(c.text), c.chosen);
  }
  EXPECT_EQ(chosen_output_name(std::string(100, 'x')).size(), kMaxChosenNameLength);
}

class OutputFileNames : public CaptureFolder {
 protected:
  OutputNaming naming() const {
    OutputNaming naming;
    naming.base = "game";
    naming.desktop_folder = path("desktop");
    naming.data_folder = path("data");
    return naming;
  }
  std::string name(const OutputNaming& naming, const char* extension = "png", bool to_output_folder = false) {
    std::optional<std::string> full = output_file_name(naming, extension, to_output_folder, fixed_time());
    return full ? std::filesystem::relative(*full, folder).string() : "(none)";
  }
  void touch(const std::string& relative) { std::ofstream(path(relative)) << "x"; }
};

TEST_F(OutputFileNames, SequentialNamesTakeTheNextFreeNumber) {
  OutputNaming sequential = naming();
  EXPECT_EQ(name(sequential), "desktop/game_0.png");
  EXPECT_TRUE(std::filesystem::is_directory(path("desktop"))) << "the missing desktop folder is created";
  touch("desktop/game_0.png");
  touch("desktop/game_1.png");
  EXPECT_EQ(name(sequential), "desktop/game_2.png");
  EXPECT_EQ(name(sequential, "gif"), "desktop/game_0.gif");
}

TEST_F(OutputFileNames, TimeStampsChosenNamesAndTheOutputFolder) {
  OutputNaming stamped = naming();
  stamped.timestamps = true;
  EXPECT_EQ(name(stamped), "desktop/game_20240115_120823.png");
  touch("desktop/game_20240115_120823.png");
  EXPECT_EQ(name(stamped), "desktop/game_20240115_120823.png") << "no \"%\": the same name, overwritten";

  OutputNaming chosen = stamped;
  chosen.chosen_name = chosen_output_name("title.screen.png");
  EXPECT_EQ(name(chosen, "gif"), "desktop/title.gif");
  chosen.chosen_name = chosen_output_name("frame%");
  touch("desktop/frame0.png");
  EXPECT_EQ(name(chosen), "desktop/frame1.png");

  EXPECT_EQ(name(naming(), "wav", true), "data/appdata/game/game_0.wav");
  EXPECT_TRUE(std::filesystem::is_directory(path("data/appdata/game")));
}

TEST_F(OutputFileNames, NamesThatTryToLeaveTheFolderStayInIt) {
  for (const char* text : {"../../escape", "/tmp/escape", "..", "a/../../b", "sub/dir"}) {
    SCOPED_TRACE(text);
    OutputNaming chosen = naming();
    chosen.chosen_name = chosen_output_name(text);
    const std::optional<std::string> full = output_file_name(chosen, "png", false, fixed_time());
    if (!full) continue;
    EXPECT_EQ(std::filesystem::path(*full).parent_path(), folder / "desktop");
  }
}

TEST_F(OutputFileNames, AFolderThatCannotBeMadeGivesNoName) {
  touch("plain_file");
  OutputNaming blocked = naming();
  blocked.desktop_folder = path("plain_file/Desktop");
  EXPECT_EQ(name(blocked), "(none)");
  blocked.desktop_folder = "";
  EXPECT_EQ(name(blocked), "(none)");
  blocked.data_folder = path("plain_file");
  EXPECT_EQ(name(blocked, "png", true), "(none)");
}

}  // namespace
}  // namespace tamori::capture
