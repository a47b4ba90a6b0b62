#include "shell/dropped_files.h"

#include <gtest/gtest.h>
#include <lodepng.h>

#include <filesystem>
#include <fstream>

#include "console_fixture.h"
#include "input/dropped_data.h"
#include "shell/system_commands.h"

namespace tamori::shell {
namespace {

class DroppedFiles : public HeadlessConsole {
 protected:
  std::filesystem::path folder() {
    std::filesystem::path path = home.string() + "_drops";
    std::filesystem::create_directories(path);
    return path;
  }
  std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path path = folder() / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path.string();
  }
  // A PNG header (signature and IHDR) claiming the given size, with no
  // pixel data at all.
  std::vector<uint8_t> png_header(uint32_t width, uint32_t height) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (uint32_t value : {width, height})
      for (int shift : {24, 16, 8, 0}) png.push_back(uint8_t(value >> shift));
    png.insert(png.end(), {8, 6, 0, 0, 0});
    const unsigned crc = lodepng_crc32(png.data() + 12, 17);
    for (int shift : {24, 16, 8, 0}) png.push_back(uint8_t(crc >> shift));
    return png;
  }
  std::string drop(const std::string& path) {
    console.app.message.text.clear();
    console.app.dropped_path = path;
    handle_dropped_file(console);
    EXPECT_TRUE(console.app.dropped_path.empty());
    return console.app.message.text;
  }
  void TearDown() override {
    std::filesystem::remove_all(home.string() + "_drops");
    HeadlessConsole::TearDown();
  }
};

TEST_F(DroppedFiles, FilesAndPicturesReachTheSerialChannelsWithinTheirLimits) {
  ASSERT_FALSE(start());  // booting: not the stopped screen
  input::DroppedData& dropped = console.input.serial.dropped;
  EXPECT_EQ(drop(write("exact.bin", std::vector<uint8_t>(kMaxDroppedFileBytes, 7))), "");
  EXPECT_EQ(input::dropped_file_remaining(dropped), kMaxDroppedFileBytes);
  input::clear_dropped_data(dropped);
  EXPECT_EQ(drop(write("over.bin", std::vector<uint8_t>(kMaxDroppedFileBytes + 1, 7))), "file is too large (512k max)");
  EXPECT_EQ(input::dropped_file_remaining(dropped), 0u);
  EXPECT_EQ(console.app.message.end_ms - console.app.message.start_ms, 2400);

  // A 3 x 2 picture in the screen palette's colours 0, 7 and 8.
  std::vector<uint8_t> rgba;
  const uint8_t colours[] = {0, 7, 8, 8, 7, 0};
  for (uint8_t colour : colours) {
    const auto& rgb = console.app.palette[colour];
    rgba.insert(rgba.end(), {rgb[0], rgb[1], rgb[2], 255});
  }
  std::vector<uint8_t> png;
  ASSERT_EQ(lodepng::encode(png, rgba, 3, 2), 0u);
  EXPECT_EQ(drop(write("small.png", png)), "");
  ASSERT_EQ(input::dropped_picture_remaining(dropped), 4u + 6u);
  uint8_t picture[10];
  input::take_dropped_bytes(dropped.picture, picture, 10);
  EXPECT_EQ(picture[0], 3);
  EXPECT_EQ(picture[2], 2);
  for (int i = 0; i < 6; i++) EXPECT_EQ(picture[4 + i], colours[i]);

  EXPECT_EQ(drop(write("huge.png", png_header(60000, 60000))), "image is too large (128 max)");
  EXPECT_EQ(drop(write("wide.png", png_header(129, 1))), "image is too large (128 max)");
  EXPECT_EQ(drop(write("song.tmm.png", png)), "tmm.png not supported");
  EXPECT_EQ(drop(folder().string()), "could not read dropped file");
  EXPECT_EQ(drop("/dev/null"), "could not read dropped file");
  EXPECT_EQ(drop(folder().string() + "/missing.bin"), "could not read dropped file");
  EXPECT_EQ(input::dropped_picture_remaining(dropped), 0u);
}

TEST_F(DroppedFiles, ACartridgeIsKeptForLoadDropped) {
  ASSERT_FALSE(start());
  EXPECT_FALSE(command_load(console, {std::string("@dropped"), {}, {}, 1}).value_or(false));
  const std::string code = "print(\"dropped\")";
  const std::string text = "tamori cartridge\nversion 43\n__lua__\n" + code + "\n";
  EXPECT_EQ(drop(write("game.tm", std::vector<uint8_t>(text.begin(), text.end()))), "can not load");
  ASSERT_TRUE(console.dropped_cartridge);
  EXPECT_TRUE(command_load(console, {std::string("@dropped"), {}, {}, 1}).value_or(false));
  EXPECT_EQ(console.working.cartridge->code, code);
  EXPECT_EQ(console.working.file_name, "");
}

TEST_F(DroppedFiles, TheStoppedConsoleSaysItCouldNotLoad) {
  ASSERT_FALSE(start_stopped());
  const int line_before = console.app.console_text.cursor_y;
  EXPECT_EQ(drop(write("notes.txt", {'h', 'i'})), "");
  EXPECT_EQ(console.app.console_text.cursor_y, line_before + 6) << "one console line printed";
  EXPECT_EQ(input::dropped_file_remaining(console.input.serial.dropped), 0u);
}

}  // namespace
}  // namespace tamori::shell
