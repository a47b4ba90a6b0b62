// PNG screenshots read back through LodePNG.
#include "capture/screenshot.h"

#include <lodepng.h>

#include "capture_test_support.h"
#include "host/files.h"

namespace tamori::capture {
namespace {

using Screenshot = testing::CaptureFolder;

TEST_F(Screenshot, ScalesAndColoursReadBack) {
  const machine::Palette palette = testing::test_palette();
  machine::Picture screen = testing::striped_picture(0);
  screen[1] = 130;  // an extra colour, as the display palette may give
  for (int scale : {1, 4, 32}) {
    SCOPED_TRACE(scale);
    const std::string file = path("shot_" + std::to_string(scale) + ".png");
    ASSERT_TRUE(save_screenshot(screen, palette, scale, file));
    std::vector<unsigned char> rgba;
    unsigned width = 0, height = 0;
    ASSERT_EQ(lodepng::decode(rgba, width, height, file), 0u);
    ASSERT_EQ(width, unsigned(128 * scale));
    ASSERT_EQ(height, unsigned(128 * scale));
    for (int y : {0, 5, 127})
      for (int x : {0, 1, 3, 126}) {
        const int code = screen[size_t(y * 128 + x)];
        const int shown = code == 0 ? 16 : code;  // 0 is written as colour 16
        for (int corner : {0, scale - 1}) {
          const size_t at = (size_t(y * scale + corner) * width + size_t(x * scale + corner)) * 4;
          EXPECT_EQ(rgba[at], palette[size_t(shown)][0]) << x << "," << y;
          EXPECT_EQ(rgba[at + 1], palette[size_t(shown)][1]);
          EXPECT_EQ(rgba[at + 2], palette[size_t(shown)][2]);
          EXPECT_EQ(rgba[at + 3], 255);
        }
      }
  }
}

TEST_F(Screenshot, ScaleIsClampedAndFailureMeansNoFile) {
  const machine::Palette palette = testing::test_palette();
  const machine::Picture screen = testing::striped_picture(3);
  EXPECT_EQ(screenshot_rgba(screen, palette, 0).size(), size_t(128 * 128 * 4));
  EXPECT_EQ(screenshot_rgba(screen, palette, 99).size(), size_t(4096) * 4096 * 4);
  const std::string missing = path("no_such_folder/shot.png");
  EXPECT_FALSE(save_screenshot(screen, palette, 1, missing));
  EXPECT_FALSE(host::file_exists(missing));
  {
    testing::FileSizeLimit full_disk(100);
    EXPECT_FALSE(save_screenshot(screen, palette, 8, path("full.png")));
  }
  EXPECT_EQ(files(), std::vector<std::string>{}) << "a failed write leaves nothing";
}

}  // namespace
}  // namespace tamori::capture
