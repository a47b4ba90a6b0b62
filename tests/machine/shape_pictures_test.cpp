// Drawing calls from tests/machine/data/*_pictures.txt against the
// pictures they must leave in the draw target. Each case lists calls, then
// "expect X Y [outside C]" and the rows of the picture at (X, Y); every
// pixel outside the picture must hold colour C ('.' when not given).
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "draw_script.h"

namespace tamori::machine::testing {
namespace {

struct PictureCase {
  std::string name;
  int line = 0;
  std::vector<std::string> calls;
  int x = 0, y = 0;
  char outside = '.';
  std::vector<std::string> rows;
};

std::vector<PictureCase> read_cases(const std::string& path) {
  std::ifstream file(path);
  std::vector<PictureCase> cases;
  std::string text;
  bool in_picture = false;
  int line_number = 0;
  while (std::getline(file, text)) {
    ++line_number;
    if (text.empty()) {
      in_picture = false;
      continue;
    }
    if (text[0] == '#') continue;
    if (text.rfind("test ", 0) == 0) {
      cases.push_back({text.substr(5), line_number, {}, 0, 0, '.', {}});
      in_picture = false;
    } else if (cases.empty()) {
      continue;
    } else if (in_picture) {
      cases.back().rows.push_back(text);
    } else if (text.rfind("expect ", 0) == 0) {
      char outside_word[16] = {};
      char outside = '.';
      PictureCase& c = cases.back();
      int fields = std::sscanf(text.c_str(), "expect %d %d %15s %c", &c.x, &c.y, outside_word, &outside);
      if (fields == 4) c.outside = outside;
      in_picture = true;
    } else {
      cases.back().calls.push_back(text);
    }
  }
  return cases;
}

std::string joined(const std::vector<std::string>& rows) {
  std::string text;
  for (const std::string& row : rows) text += row + "\n";
  return text;
}

void check_pictures(const std::vector<PictureCase>& cases) {
  for (const PictureCase& c : cases) {
    SCOPED_TRACE("case \"" + c.name + "\" at line " + std::to_string(c.line));
    ASSERT_FALSE(c.rows.empty());
    auto state = new_drawing_machine();
    TextState text = new_text_state();
    for (const std::string& call : c.calls) ASSERT_EQ(run_draw_command(*state, text, call), "") << call;
    int width = static_cast<int>(c.rows[0].size());
    int height = static_cast<int>(c.rows.size());
    EXPECT_EQ(joined(draw_target_picture(*state, c.x, c.y, width, height)), joined(c.rows));

    std::vector<std::string> whole = draw_target_picture(*state, 0, 0, kPixelPageSize, kPixelPageSize);
    int stray = 0;
    for (int y = 0; y < kPixelPageSize; ++y)
      for (int x = 0; x < kPixelPageSize; ++x) {
        bool in_picture = x >= c.x && x < c.x + width && y >= c.y && y < c.y + height;
        if (!in_picture && whole[y][x] != c.outside && stray++ < 3)
          ADD_FAILURE() << "pixel outside the picture at " << x << "," << y << ": " << whole[y][x];
      }
  }
}

TEST(ShapePictures, EveryCaseDrawsItsPicture) {
  std::vector<PictureCase> cases = read_cases(TAMORI_TEST_DATA_DIR "/machine/data/shape_pictures.txt");
  ASSERT_GE(cases.size(), 30u);
  check_pictures(cases);
}

TEST(SpritePictures, EveryCaseDrawsItsPicture) {
  std::vector<PictureCase> cases = read_cases(TAMORI_TEST_DATA_DIR "/machine/data/sprite_pictures.txt");
  ASSERT_GE(cases.size(), 25u);
  check_pictures(cases);
}

TEST(PrintPictures, EveryCaseDrawsItsPicture) {
  std::vector<PictureCase> cases = read_cases(TAMORI_TEST_DATA_DIR "/machine/data/print_pictures.txt");
  ASSERT_GE(cases.size(), 10u);
  check_pictures(cases);
}

}  // namespace
}  // namespace tamori::machine::testing
