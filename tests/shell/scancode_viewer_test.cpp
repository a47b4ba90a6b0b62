#include "shell/scancode_viewer.h"

#include <gtest/gtest.h>

#include "host/console_data.h"
#include "host/scancodes.h"

namespace tamori::shell {
namespace {

TEST(ScancodeViewer, ListsNamedKeysAndHighlightsHeldOnes) {
  const std::vector<std::string> listing = scancode_key_listing();
  ASSERT_FALSE(listing.empty());
  EXPECT_EQ(listing[0].substr(0, 48), "                   a:004                   b:005");
  EXPECT_EQ(listing[0].size(), 4u * 24u);
  EXPECT_EQ(pressed_scancode_line(44), "pressed scancode:  44    name:           space");

  std::optional<host::ConsoleData> data = host::load_console_data(std::string(TAMORI_BUILD_DIR) + "/data.pod");
  ASSERT_TRUE(data);
  ScancodeViewer viewer;
  host::KeyStates keys;
  host::keys_host_down(keys, host::scancode::A);
  host::keys_update(keys, 1000);
  std::vector<std::string> pressed = update_scancode_viewer(viewer, keys, data->font);
  ASSERT_EQ(pressed.size(), 1u);
  EXPECT_EQ(pressed[0], pressed_scancode_line(host::scancode::A));
  auto pixel = [&](int x, int y) { return viewer.pixels[size_t(y * kViewerWidth + x)]; };
  int x = 0, y = 0;
  scancode_cell_position(host::scancode::A, &x, &y);
  EXPECT_EQ(pixel(x - 1, y - 1), 8) << "held key's cell is highlighted";
  scancode_cell_position(host::scancode::A + 1, &x, &y);
  EXPECT_EQ(pixel(x - 1, y - 1), 0);
  // Held, not newly pressed: no second line.
  host::keys_update(keys, 1016);
  EXPECT_TRUE(update_scancode_viewer(viewer, keys, data->font).empty());
}

}  // namespace
}  // namespace tamori::shell
