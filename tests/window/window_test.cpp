// The real window: the SDL host layer in this process, and the tamori
// program itself, on the X display the test runs under (xvfb-run in CI).
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "host/console_data.h"
#include "host/files.h"
#include "host/keys.h"
#include "host/platform.h"
#include "host/scancodes.h"
#include "host/sdl/sdl_platform.h"

namespace tamori {
namespace {

bool have_display() {
  const char* display = std::getenv("DISPLAY");
  return display && *display;
}

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}

// Reads a binary PPM (P6) written by ImageMagick.
struct Screenshot {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  Rgb at(int x, int y) const {
    size_t i = (size_t(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
};

bool read_ppm(const std::string& path, Screenshot& shot) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  int max_value = 0;
  bool ok = std::fscanf(file, "P6 %d %d %d", &shot.width, &shot.height, &max_value) == 3 && max_value == 255;
  std::fgetc(file);
  if (ok) {
    shot.rgb.resize(size_t(shot.width) * shot.height * 3);
    ok = std::fread(shot.rgb.data(), 1, shot.rgb.size(), file) == shot.rgb.size();
  }
  std::fclose(file);
  return ok;
}

Rgb palette_colour(const host::ConsoleData& data, int code) {
  return {data.palette[size_t(code)][0], data.palette[size_t(code)][1], data.palette[size_t(code)][2]};
}

// A 300 x 300 window at the top left, drawn by the software path.
host::WindowRequest software_window_request() {
  host::WindowRequest request;
  request.window_width = 300;
  request.window_height = 300;
  request.window_x = 0;
  request.window_y = 0;
  request.windowed = true;
  request.software_blit = true;
  request.title = "TAMORI";
  return request;
}

TEST(SdlWindow, SoftwarePathScalesAndCentresTheFrame) {
  if (!have_display()) GTEST_SKIP() << "no display";
  ASSERT_TRUE(host::sdl_platform_init());
  host::Platform platform = host::sdl_platform();
  ASSERT_TRUE(platform.open_window(platform.context, software_window_request()));
  // A 128x128 frame: red with a white pixel at (0, 0) and green at (127, 127).
  std::vector<uint32_t> frame(128 * 128, 0xffff0000u);
  frame[0] = 0xffffffffu;
  frame[128 * 128 - 1] = 0xff00ff00u;
  platform.present(platform.context, host::PresentedFrame{frame.data(), 128, 128, false, 0});

  SDL_Window* window = SDL_GetWindowFromID(1);
  ASSERT_NE(window, nullptr);
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  ASSERT_NE(surface, nullptr);
  ASSERT_EQ(surface->w, 300);
  SDL_LockSurface(surface);
  auto at = [&](int x, int y) {
    Uint32 pixel = static_cast<Uint32*>(surface->pixels)[y * (surface->pitch / 4) + x];
    Uint8 r, g, b;
    SDL_GetRGB(pixel, surface->format, &r, &g, &b);
    return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
  };
  EXPECT_EQ(at(21, 21), 0x000000u);
  EXPECT_EQ(at(22, 22), 0xffffffu);
  EXPECT_EQ(at(23, 23), 0xffffffu);  // scale 2: the first pixel covers 2 x 2
  EXPECT_EQ(at(24, 24), 0xff0000u);
  EXPECT_EQ(at(277, 277), 0x00ff00u);
  EXPECT_EQ(at(278, 278), 0x000000u);
  SDL_UnlockSurface(surface);
  platform.close_window(platform.context);
  host::sdl_platform_shutdown();
}

// The software path writes only the page's rectangle of an unchanged
// window: a changed frame shows, and after a resize the black around the
// page is drawn again.
TEST(SdlWindow, SoftwarePathShowsChangedFramesAndRedrawsAfterAResize) {
  if (!have_display()) GTEST_SKIP() << "no display";
  ASSERT_TRUE(host::sdl_platform_init());
  host::Platform platform = host::sdl_platform();
  ASSERT_TRUE(platform.open_window(platform.context, software_window_request()));
  SDL_Window* window = SDL_GetWindowFromID(1);
  ASSERT_NE(window, nullptr);
  auto pixel_at = [&](int x, int y) {
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    Uint32 pixel = static_cast<Uint32*>(surface->pixels)[y * (surface->pitch / 4) + x];
    Uint8 r, g, b;
    SDL_GetRGB(pixel, surface->format, &r, &g, &b);
    return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
  };
  std::vector<uint32_t> frame(128 * 128, 0xffff0000u);
  platform.present(platform.context, host::PresentedFrame{frame.data(), 128, 128, false, 0});
  EXPECT_EQ(pixel_at(150, 150), 0xff0000u);
  frame.assign(frame.size(), 0xff0000ffu);
  platform.present(platform.context, host::PresentedFrame{frame.data(), 128, 128, false, 0});
  EXPECT_EQ(pixel_at(150, 150), 0x0000ffu);
  EXPECT_EQ(pixel_at(10, 10), 0x000000u);
  // One changed row: picture row 64 is window rows 150 and 151.
  std::fill_n(frame.begin() + 64 * 128, 128, 0xff00ff00u);
  platform.present(platform.context, host::PresentedFrame{frame.data(), 128, 128, false, 0});
  EXPECT_EQ(pixel_at(150, 151), 0x00ff00u);
  EXPECT_EQ(pixel_at(150, 149), 0x0000ffu);
  EXPECT_EQ(pixel_at(150, 152), 0x0000ffu);
  std::fill_n(frame.begin() + 64 * 128, 128, 0xff0000ffu);
  platform.present(platform.context, host::PresentedFrame{frame.data(), 128, 128, false, 0});
  EXPECT_EQ(pixel_at(150, 150), 0x0000ffu);

  SDL_SetWindowSize(window, 400, 300);
  host::KeyStates keys;
  host::HostEvents events;
  for (int wait = 0; wait < 100 && events.window_width != 400; wait++) {
    SDL_Delay(10);
    platform.pump_events(platform.context, keys, events);
  }
  ASSERT_EQ(events.window_width, 400);
  platform.present(platform.context, host::PresentedFrame{frame.data(), 128, 128, false, 0});
  ASSERT_EQ(SDL_GetWindowSurface(window)->w, 400);
  // Scale 2 again, now at (72, 22).
  EXPECT_EQ(pixel_at(71, 150), 0x000000u);
  EXPECT_EQ(pixel_at(72, 150), 0x0000ffu);
  EXPECT_EQ(pixel_at(327, 150), 0x0000ffu);
  EXPECT_EQ(pixel_at(328, 150), 0x000000u);
  platform.pump_events(platform.context, keys, events);
  EXPECT_EQ(events.back_page_rectangle, (host::Rect{72, 22, 256, 256}));
  platform.close_window(platform.context);
  host::sdl_platform_shutdown();
}

TEST(SdlWindow, KeyEventsReachTheKeyStates) {
  if (!have_display()) GTEST_SKIP() << "no display";
  ASSERT_TRUE(host::sdl_platform_init());
  host::Platform platform = host::sdl_platform();
  host::WindowRequest request;
  request.window_width = 200;
  request.window_height = 200;
  ASSERT_TRUE(platform.open_window(platform.context, request));
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.keysym.scancode = SDL_SCANCODE_Z;
  SDL_PushEvent(&event);
  host::KeyStates keys;
  host::HostEvents events;
  platform.pump_events(platform.context, keys, events);
  host::keys_update(keys, 0);
  EXPECT_TRUE(host::key_pressed(keys, host::scancode::Z));
  event.type = SDL_KEYUP;
  SDL_PushEvent(&event);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  platform.pump_events(platform.context, keys, events);
  host::keys_update(keys, 16);
  EXPECT_FALSE(host::key_down(keys, host::scancode::Z));
  EXPECT_TRUE(events.quit_requested);
  platform.close_window(platform.context);
  host::sdl_platform_shutdown();
}

// Starts the real program in a 300x300 window at (0, 0) with `arguments`
// (and `environment` before the command), waits `seconds` and takes a
// screenshot of the X screen.
bool screenshot_of_program(const std::string& home, const std::string& arguments, double seconds, Screenshot& shot,
                           const std::string& environment = "") {
  const std::string shot_path = home + "/shot.ppm";
  std::filesystem::create_directories(home);
  const std::string command = environment + " " + std::string(TAMORI_EXE) + " -home " + home +
                              " -windowed 1 -width 300 -height 300 -window_x 0 -window_y 0 " + arguments +
                              " & pid=$!; sleep " + std::to_string(seconds) + "; import -window root -depth 8 " +
                              shot_path + "; kill $pid; wait $pid";
  if (std::system(("bash -c '" + command + "' >/dev/null 2>&1").c_str()) == -1) return false;
  return read_ppm(shot_path, shot);
}

// The picture is 256x256 at (22, 22): picture pixel (x, y) at twice that.
Rgb picture_pixel(const Screenshot& shot, int x, int y) { return shot.at(22 + 2 * x, 22 + 2 * y); }

int pixels_in_rows(const Screenshot& shot, int first_row, int end_row, const Rgb& colour) {
  int count = 0;
  for (int y = 22 + first_row * 2; y < 22 + end_row * 2; y++)
    for (int x = 22; x < 278; x++) count += shot.at(x, y) == colour;
  return count;
}

// A cartridge named without -run: the boot sequence loads it and ends on
// the stopped console, scaled by 2 and centred, with the boot text above
// the exit bar.
TEST(TamoriProgram, BootsIntoTheStoppedConsoleWithACartridgeNamedWithoutRun) {
  if (!have_display()) GTEST_SKIP() << "no display";
  std::optional<host::ConsoleData> data = host::load_console_data(std::string(TAMORI_BUILD_DIR) + "/data.pod");
  ASSERT_TRUE(data);
  const std::string home = std::filesystem::temp_directory_path() / ("tamori_window_" + std::to_string(::getpid()));
  Screenshot shot;
  ASSERT_TRUE(screenshot_of_program(home, std::string(TAMORI_SOURCE_ROOT) + "/assets/carts/text.tm", 4, shot));
  const Rgb black{0, 0, 0};
  EXPECT_EQ(shot.at(10, 150), black);
  EXPECT_EQ(shot.at(290, 150), black);
  // The exit bar: rows 121..127 in colour 6, row 120 in colour 0, its text
  // in colour 1.
  const Rgb bar = palette_colour(*data, 6);
  EXPECT_EQ(picture_pixel(shot, 0, 121), bar);
  EXPECT_EQ(picture_pixel(shot, 127, 127), bar);
  EXPECT_EQ(picture_pixel(shot, 50, 120), palette_colour(*data, 0));
  EXPECT_GT(pixels_in_rows(shot, 122, 127, palette_colour(*data, 1)), 200);
  // The boot text in colour 6: the version line (row 12), the notice and
  // the cartridge lines below it.
  EXPECT_GT(pixels_in_rows(shot, 12, 18, bar), 100);
  EXPECT_GT(pixels_in_rows(shot, 30, 48, bar), 100);
  // The console saved its settings when it was ended.
  EXPECT_TRUE(std::filesystem::exists(home + "/log.txt"));
  std::filesystem::remove_all(home);
}

// On a display whose GL rasterises on the CPU the console draws through
// its software path; a renderer asked for by name is used all the same.
TEST(TamoriProgram, DrawsThroughARendererAskedForByName) {
  if (!have_display()) GTEST_SKIP() << "no display";
  std::optional<host::ConsoleData> data = host::load_console_data(std::string(TAMORI_BUILD_DIR) + "/data.pod");
  ASSERT_TRUE(data);
  const std::string home = std::filesystem::temp_directory_path() / ("tamori_window_gl_" + std::to_string(::getpid()));
  Screenshot shot;
  ASSERT_TRUE(screenshot_of_program(home, std::string(TAMORI_SOURCE_ROOT) + "/assets/carts/text.tm", 4, shot,
                                    "SDL_RENDER_DRIVER=opengl"));
  EXPECT_EQ(shot.at(10, 150), (Rgb{0, 0, 0}));
  EXPECT_EQ(picture_pixel(shot, 0, 121), palette_colour(*data, 6));
  EXPECT_EQ(picture_pixel(shot, 50, 120), palette_colour(*data, 0));
  auto log = host::read_file(home + "/log.txt");
  ASSERT_TRUE(log);
  EXPECT_EQ(std::string(log->begin(), log->end()).find("using software_blit"), std::string::npos);
  std::filesystem::remove_all(home);
}

// With no arguments the console boots into the data file's head cartridge.
TEST(TamoriProgram, BootsIntoTheHeadCartridgeWithNoArguments) {
  if (!have_display()) GTEST_SKIP() << "no display";
  std::optional<host::ConsoleData> data = host::load_console_data(std::string(TAMORI_BUILD_DIR) + "/data.pod");
  ASSERT_TRUE(data);
  const std::string home = std::filesystem::temp_directory_path() / ("tamori_window_head_" + std::to_string(::getpid()));
  Screenshot shot;
  ASSERT_TRUE(screenshot_of_program(home, "", 5, shot));
  // No exit bar: a program runs, and it draws in many colours.
  EXPECT_NE(pixels_in_rows(shot, 121, 128, palette_colour(*data, 6)), 256 * 14);
  int colours_seen = 0;
  for (int colour = 0; colour < 16; colour++)
    colours_seen += pixels_in_rows(shot, 0, 128, palette_colour(*data, colour)) > 0;
  EXPECT_GE(colours_seen, 5);
  std::filesystem::remove_all(home);
}

// The capture keys as a person presses them: real key events (xdotool) to
// the running program, files on the -desktop folder, and the message bar
// (a strip of colour 8 over the bottom rows of the picture) after each key.
TEST(TamoriProgram, CaptureKeysWriteToTheDesktop) {
  if (!have_display()) GTEST_SKIP() << "no display";
  if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "no xdotool";
  std::optional<host::ConsoleData> data = host::load_console_data(std::string(TAMORI_BUILD_DIR) + "/data.pod");
  ASSERT_TRUE(data);
  const std::string home = std::filesystem::temp_directory_path() / ("tamori_capture_keys_" + std::to_string(::getpid()));
  const std::string desktop = home + "/desk";
  std::filesystem::create_directories(home);
  const std::string cart = home + "/cart.lua";
  FILE* file = std::fopen(cart.c_str(), "w");
  ASSERT_TRUE(file);
  std::fputs("t = 0 function _draw() t += 1 cls(1) circfill(64, 64, t % 40, 12) end\n", file);
  std::fclose(file);
  const std::string command =
      std::string(TAMORI_EXE) + " -home " + home + " -desktop " + desktop +
      " -windowed 1 -width 256 -height 256 -window_x 0 -window_y 0 -run " + cart +
      " & pid=$!; sleep 4; wid=$(xdotool search --sync --pid $pid | head -1); "
      "xdotool key --window $wid ctrl+6; sleep 0.4; import -window root -depth 8 " + home + "/after6.ppm; "
      "xdotool key --window $wid ctrl+8; sleep 2; "
      "xdotool key --window $wid ctrl+9; sleep 0.6; import -window root -depth 8 " + home + "/after9.ppm; "
      "kill $pid; wait $pid";
  ASSERT_NE(std::system(("bash -c '" + command + "' >/dev/null 2>&1").c_str()), -1);
  EXPECT_TRUE(std::filesystem::exists(desktop + "/TAMORI_0.png"));
  EXPECT_TRUE(std::filesystem::exists(desktop + "/TAMORI_0.gif"));
  const Rgb strip = palette_colour(*data, 8);
  for (const char* name : {"/after6.ppm", "/after9.ppm"}) {
    SCOPED_TRACE(name);
    Screenshot shot;
    ASSERT_TRUE(read_ppm(home + name, shot));
    // The 128x128 picture fills the 256x256 window at scale 2.
    int strip_pixels = 0;
    for (int x = 0; x < 256; x++) strip_pixels += shot.at(x, 121 * 2) == strip;
    EXPECT_GT(strip_pixels, 100);
  }
  std::filesystem::remove_all(home);
}

}  // namespace
}  // namespace tamori
