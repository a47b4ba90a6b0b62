#include "shell/boot.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "audio/audio_lock.h"
#include "audio/music_sequencer.h"
#include "audio/sfx_playback.h"
#include "cart/embedded_carts.h"
#include "cart/share_address.h"
#include "cart/text_reader.h"
#include "host/config.h"
#include "host/console_data.h"
#include "host/files.h"
#include "host/log.h"
#include "machine/interface_text.h"
#include "runner/program_runner.h"
#include "runner/random_generator.h"
#include "shell/cartridge_runner.h"
#include "shell/command_line_help.h"
#include "shell/console_text.h"
#include "shell/virtual_paths.h"

namespace tamori::shell {
namespace {

constexpr int kSide = machine::kScreenSide;
constexpr uint8_t kWarningColour = 8;
constexpr int kCursorHoldLineSkip = 8;

// The boot's frames that do something; every other frame leaves the
// screen as it is.
enum BootFrame : int32_t {
  kNoiseFrame = -3,
  kBandsFrame = 0,
  kSparkFrame = 3,
  kSmearFrame = 5,
  kThinFrame = 8,
  kClearFrame = 11,
  kSoundFrame = 26,
  kVersionFrame = 31,
  kNoticeFrame = 32,
  kCursorFrame = 33,
  kCartridgeFrame = 36,
  kStoppedFrame = 56,
  kHeadCartFrame = 76,
  kRunFrame = 86,
};

uint32_t boot_random(Console& console, uint32_t n) {
  return runner::random_below(console.machine->random_state, n);
}

uint8_t* screen_pixels(Console& console) { return console.app.console_text.pixels.data(); }

void boot_print(Console& console, const std::string& text) {
  print_console_line(console, text, console.boot.print_colour);
}

void draw_noise(Console& console) {
  uint8_t* pixels = screen_pixels(console);
  for (int y = 0; y < kSide; y++)
    for (int x = 0; x < kSide; x += 8) pixels[y * kSide + x] = uint8_t(y / 32 + boot_random(console, 4));
}

void draw_bands(Console& console) {
  uint8_t* pixels = screen_pixels(console);
  for (int y = 0; y < kSide; y += 2) std::fill_n(pixels + y * kSide, kSide, uint8_t(6 + y / 16));
}

void draw_sparks(Console& console) {
  uint8_t* pixels = screen_pixels(console);
  for (int y = 0; y < kSide; y += 3)
    for (int x = 0; x < kSide; x += 4) pixels[y * kSide + x] = uint8_t(10 + boot_random(console, 4));
}

// Each row slides right by a whole number of 6-pixel steps, wrapping.
void smear_bands(Console& console) {
  uint8_t* pixels = screen_pixels(console);
  for (int y = 0; y < kSide; y++) {
    uint8_t* row = pixels + y * kSide;
    std::rotate(row, row + kSide - int(6 * boot_random(console, 6)), row + kSide);
  }
}

void thin_rows(Console& console) {
  uint8_t* pixels = screen_pixels(console);
  for (int y = 0; y < kSide; y++)
    if (y % 4 != 0) std::fill_n(pixels + y * kSide, kSide, uint8_t(0));
}

void play_boot_sound(Console& console) {
  audio::ScopedAudioLock lock(*console.audio);
  audio::ruvo_stop_sfx(*console.audio, console.boot_sound.get());
  audio::ruvo_play_sfx_ex(*console.audio, 0, 0, 0, console.boot_sound.get(), -1);
}

void draw_boot_cursor(Console& console, int tick) {
  ConsoleTextScreen& screen = console.app.console_text;
  machine::Canvas canvas{screen.pixels.data(), kSide, kSide};
  const int top = screen.cursor_y;
  machine::canvas_fill_rect(canvas, 0, top - 2, kSide - 1, top + 7, 0);
  auto image = console.app.data.images.find(host::kBootCursorResource);
  if (image == console.app.data.images.end()) return;
  const BootCursorStep step = boot_cursor_step(tick);
  machine::draw_interface_image(canvas, image->second, step.x, top + step.dy);
}

// Frame 33 with the sound off: the cursor steps along a fresh line for
// kBootCursorHoldTicks ticks while the timeline waits. True while waiting.
bool hold_for_boot_cursor(Console& console) {
  BootState& boot = console.boot;
  if (host::ruvo_config().sound_volume != 0) return false;
  if (boot.cursor_hold_ticks == 0) boot_print(console, "");
  if (boot.cursor_hold_ticks < kBootCursorHoldTicks) {
    draw_boot_cursor(console, boot.cursor_hold_ticks++);
    return true;
  }
  console.app.console_text.cursor_y = std::min(console.app.console_text.cursor_y + kCursorHoldLineSkip, kSide);
  return false;
}

bool absolute_host_path(const std::string& path) {
  if (path.empty()) return false;
  if (path[0] == '/' || path[0] == '\\') return true;
  return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

std::string current_directory() {
  std::error_code error;
  std::string folder = std::filesystem::current_path(error).string();
  return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

// The current folder follows the cartridge when it lies below the root.
void follow_cartridge_folder(Console& console, const std::string& path) {
  const std::string& root = console_settings().root_path;
  if (root.empty() || path.compare(0, root.size(), root) != 0) return;
  std::string below = path.substr(root.size());
  const size_t slash = below.rfind('/');
  console.commands.current_folder = slash == std::string::npos ? "" : below.substr(0, slash);
}

void load_command_line_cartridge(Console& console) {
  BootState& boot = console.boot;
  const std::string& named = console.app.options.cart_to_load;
  if (named.empty()) {
    if (boot.run_requested) boot_print(console, "no boot cartridge specified");
    return;
  }
  const std::string path = absolute_host_path(named) ? named : current_directory() + named;
  host::ruvo_log("loading %s\n", path.c_str());
  follow_cartridge_folder(console, path);
  // The cartridge may load the data file's own.
  cart::mount_embedded_cart_items(console.embedded_carts, console.app.data.embedded_carts);
  if (cart::load_working_cartridge(console.working, console_cartridge_host(console), path) != 0) {
    boot_print(console, "could not load " + named);
    return;
  }
  boot.cart_loaded = true;
}

void boot_cartridge_step(Console& console) {
  BootState& boot = console.boot;
  boot_print(console, "");
  boot.print_colour = 6;
  boot_print(console, "booting cartridge..");
  load_command_line_cartridge(console);
  const std::string carts_folder = console.app.data_folder + "carts/";
  if (!host::folder_exists(carts_folder) && !host::make_folders(carts_folder))
    print_console_line(console, "** warning: no permanent storage", kWarningColour);
  if (boot.into_browser) {
    boot_print(console, "booting splore..");
  } else if (boot.cart_loaded) {
    boot_print(console, boot.run_requested ? "booting cartridge.." : "loading " + console.app.options.cart_to_load);
    boot_print(console, "");
  }
}

void boot_head_cartridge(Console& console) {
  const cart::HeadCartStatus status = cart::mount_embedded_carts(
      console.embedded_carts, console.app.data.embedded_carts, console.working, console_cartridge_host(console));
  if (status != cart::HeadCartStatus::mounted) {
    console.boot.head_cart_missing = true;
    std::string message = cart::kHeadCartNotFound;
    message.pop_back();
    print_console_line(console, message, console.boot.print_colour);
    host::ruvo_log("%s", cart::kHeadCartNotFound);
    return;
  }
  console.pstate.console_mode = kModeStopped;
  console.pstate.pending_action = kActionRun;
}

}  // namespace

BootCursorStep boot_cursor_step(int tick) {
  if (tick < 4) return {2, 0};
  if (tick < 8) return {10, 2};
  if (tick < 12) return {18, 0};
  return {26, -2};
}

void load_boot_sound(Console& console) {
  console.boot_sound = std::make_unique<audio::SoundEffect>();
  cart::TextLoadResult boot_cart = cart::read_cartridge_text(console.app.data.boot_cart_text);
  if (boot_cart.cartridge) *console.boot_sound = boot_cart.cartridge->sound_effects[0];
}

void boot_init(Console& console) {
  VmState& pstate = console.pstate;
  const ConsoleOptions& options = console.app.options;
  pstate.console_mode = kModeBooting;
  pstate.frame_counter = kBootFirstFrame;
  console.boot = BootState{};
  console.boot.run_requested = options.run;
  console.boot.into_browser = options.start_in_browser;
  runner::reset_lua_machine();
  pstate.program_running = false;
  runner::reset_runtime_state();
  print_console_line(console, "", console.boot.print_colour);
  console_clear(console.app.console_text);
  console.app.flicker = machine::FlickerState{};
  runner::random_seed(console.machine->random_state, console_random_seed(console));
  {
    audio::ScopedAudioLock lock(*console.audio);
    audio::stop_all_sounds(*console.audio);
  }
  console.app.typed_text.clear();
  console.input.keyboard.typed.clear();
}

void move_boot(Console& console) {
  VmState& pstate = console.pstate;
  BootState& boot = console.boot;
  switch (pstate.frame_counter) {
    case kNoiseFrame: draw_noise(console); break;
    case kBandsFrame: draw_bands(console); break;
    case kSparkFrame: draw_sparks(console); break;
    case kSmearFrame: smear_bands(console); break;
    case kThinFrame: thin_rows(console); break;
    case kClearFrame: console_clear(console.app.console_text); break;
    case kSoundFrame:
      console_clear(console.app.console_text);
      play_boot_sound(console);
      boot_print(console, "");
      boot_print(console, "");
      boot.print_colour = 6;
      break;
    case kVersionFrame: boot_print(console, version_line()); break;
    case kNoticeFrame: boot_print(console, "(c) 2026 the tamori makers"); break;
    case kCursorFrame:
      // The caller advances frame_counter after every tick: stepping it
      // back keeps the timeline here.
      if (hold_for_boot_cursor(console)) pstate.frame_counter--;
      break;
    case kCartridgeFrame: boot_cartridge_step(console); break;
    case kStoppedFrame:
      if (boot.into_browser || (boot.cart_loaded && !boot.run_requested)) pstate.console_mode = kModeStopped;
      break;
    case kHeadCartFrame:
      if (boot.shared_link_cart) pstate.pending_action = kActionRun;
      if (!boot.cart_loaded && !boot.shared_link_cart) boot_head_cartridge(console);
      break;
    case kRunFrame:
      if (boot.cart_loaded && boot.run_requested) pstate.pending_action = kActionRun;
      break;
    default: break;
  }
}

void start_shared_link_cartridge(Console& console) {
  const ConsoleOptions& options = console.app.options;
  if (options.url_code.empty() && options.url_gfx.empty()) return;
  std::unique_ptr<cart::Cartridge> shared = cart::read_share_data(options.url_code, options.url_gfx);
  if (!shared) {
    host::ruvo_log("could not read the shared cartridge\n");
    return;
  }
  cart::mount_embedded_cart_items(console.embedded_carts, console.app.data.embedded_carts);
  console.working.file_name.clear();
  cart::install_working_cartridge(console.working, console_cartridge_host(console), std::move(shared));
  console.boot.shared_link_cart = true;
}

void reboot_machine(Console& console) {
  console.working = cart::WorkingCartridge{};
  console.working.cartridge = std::make_unique<cart::Cartridge>();
  console.commands.current_folder.clear();
  boot_init(console);
}

}  // namespace tamori::shell
