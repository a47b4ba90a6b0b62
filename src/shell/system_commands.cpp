#include "shell/system_commands.h"
#include "shell/reset_glitch.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "cart/cartridge_backup.h"
#include "cart/cartridge_bytes.h"
#include "cart/binary_formats.h"
#include "cart/cartridge_loader.h"
#include "cart/code_tabs.h"
#include "cart/rom_file.h"
#include "cart/share_address.h"
#include "cart/embedded_carts.h"
#include "host/clock.h"
#include "host/config.h"
#include "host/files.h"
#include "host/log.h"
#include "lang/cpu_counters.h"
#include "machine/memory.h"
#include "runner/program_limits.h"
#include "runner/program_runner.h"
#include "runner/program_source.h"
#include "shell/cartridge_runner.h"
#include "shell/virtual_paths.h"

namespace tamori::shell {
namespace {

constexpr int kHeadingColour = 14;
constexpr int kDetailColour = 6;
constexpr int kFolderColour = 12;
constexpr int kWarningColour = 9;

// save and load take "@clip" with or without the cartridge extensions.
bool is_clipboard_name(const std::string& name) {
  return name == "@clip" || name == "@clip.tm" || name == "@clip.png" || name == "@clip.tm.png";
}

const std::string& root_path() { return console_settings().root_path; }

// "name.tm" -> {"name", ".tm"}: the extension starts at the first ".tm".
std::pair<std::string, std::string> name_and_extension(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') + 1);
  size_t dot = name.find(".tm");
  if (dot == std::string::npos) return {name, ""};
  return {name.substr(0, dot), name.substr(dot)};
}

bool legal_file_name(const std::string& name) {
  if (name.empty() || name[0] == '-') return false;
  for (unsigned char c : name) {
    const bool fine = c == ' ' || c == '-' || c == '.' || c == '/' || c == '@' || c == '_' ||
                      (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!fine) return false;
  }
  // Every component must be a name the host takes: not too long.
  size_t start = 0;
  while (start < name.size()) {
    size_t slash = name.find('/', start);
    if (slash == std::string::npos) slash = name.size();
    if (slash - start > 255) return false;
    start = slash + 1;
  }
  return true;
}

// The cartridge host as the commands hand it to the cartridge code.
cart::CartridgeHost commands_cartridge_host(Console& console) {
  cart::CartridgeHost host;
  host.data_folder = console.app.data_folder;
  host.accept_future = console.app.options.accept_future != 0;
  host.console_data = &console.app.data;
  host.print = [&console](const std::string& text, int colour) { command_print(console, text, colour); };
  host.set_clipboard = [&console](const std::string& text) {
    const host::Platform& platform = console.app.platform;
    if (platform.set_clipboard_text) platform.set_clipboard_text(platform.context, text);
  };
  return host;
}

// Saves the working cartridge to `target` through a temporary file in the
// same folder, so that a failed save leaves the old file as it was. The
// target is a copy: it may be the working file name, which the save changes.
bool save_replacing(Console& console, const std::string target) {
  const size_t slash = target.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string temporary = folder + ".saving_" + std::to_string(::getpid()) + "_" + target.substr(slash + 1);
  const std::string previous_name = console.working.file_name;
  const cart::CartridgeHost host = commands_cartridge_host(console);
  if (cart::save_working_cartridge(console.working, host, temporary) != 0 ||
      std::rename(temporary.c_str(), target.c_str()) != 0) {
    std::remove(temporary.c_str());
    console.working.file_name = previous_name;
    return false;
  }
  console.working.file_name = target;
  return true;
}

// save("@clip"): the cartridge as a picture, then as hexadecimal text on
// the clipboard.
void save_to_clipboard(Console& console) {
  cart::Cartridge& cartridge = *console.working.cartridge;
  const cart::CartridgeHost host = commands_cartridge_host(console);
  if (cartridge.label.empty()) {
    command_print(console, "warning: label is blank", kWarningColour);
    command_print(console, "run cart and ctrl-7 to capture", 10);
  }
  const std::string picture = console.app.data_folder + "_clip.tm.png";
  std::optional<std::vector<uint8_t>> bytes;
  if (cart::save_picture_cartridge(cartridge, picture, host) == 0) bytes = host::read_file(picture);
  const std::string hex = bytes ? cart::code_hex_dump(*bytes) : "";
  if (!bytes || !host::write_file(picture + ".hex", hex) || !console.app.platform.set_clipboard_text) {
    command_print(console, "failed to save to clipboard", kDetailColour);
    return;
  }
  host.set_clipboard(hex);
  command_print(console, "saved to clipboard", kDetailColour);
}

void merge_tabs(cart::Cartridge& cartridge) { cartridge.code = cart::merge_code_tabs(cart::split_code_tabs(cartridge.code)); }

void write_memory_into_cartridge(Console& console) {
  uint8_t rom[machine::kCartridgeRomSize];
  for (uint32_t address = 0; address < machine::kCartridgeRomSize; ++address)
    rom[address] = machine::read_memory_byte(*console.machine, address);
  cart::copy_rom_to_cartridge(rom, *console.working.cartridge);
}

void quick_save(Console& console) {
  const std::string& file = console.working.file_name;
  if (file.empty()) {
    command_print(console, "please speficy a filename", kDetailColour);
    return;
  }
  if (!console.app.data_folder.empty() && file.starts_with(console.app.data_folder + "bbs/")) {
    command_print(console, "can not overwrite bbs cart", kDetailColour);
    return;
  }
  if (!host_path_inside_root(root_path(), file) || !save_replacing(console, file)) {
    command_print(console, "save failed", kDetailColour);
    return;
  }
  auto [name, extension] = name_and_extension(file);
  std::string folder = file.substr(0, file.find_last_of('/') + 1);
  std::string shown_folder;
  if (folder != current_host_folder(console) && folder.starts_with(root_path()))
    shown_folder = folder.substr(root_path().size());
  command_print(console, "saved " + shown_folder + name + extension, kDetailColour);
}

std::string date_time_prefix(const std::tm& t) {
  char text[96];
  std::snprintf(text, sizeof text, "%4d%02d%02d_%02d%02d%02d_", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                t.tm_min, t.tm_sec);
  return text;
}

struct Listing {
  bool found = false;
  std::vector<std::string> folders;
  std::vector<std::string> cartridges;
  std::vector<std::string> others;
};

Listing list_folder(const std::string& host_folder) {
  Listing listing;
  std::error_code error;
  if (!std::filesystem::is_directory(host_folder, error)) return listing;
  listing.found = true;
  for (const auto& entry : std::filesystem::directory_iterator(host_folder, error)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory(error)) listing.folders.push_back(name);
    else if (name.find(".tm") != std::string::npos) listing.cartridges.push_back(name);
    else listing.others.push_back(name);
  }
  for (auto* names : {&listing.folders, &listing.cartridges, &listing.others}) std::sort(names->begin(), names->end());
  return listing;
}

void print_listing_page(Console& console) {
  std::vector<runner::ConsoleLine>& lines = console.commands.unfinished_listing;
  const size_t count = std::min<size_t>(lines.size(), kLsPageLines);
  for (size_t i = 0; i < count; ++i) command_print(console, lines[i].text, lines[i].colour);
  lines.erase(lines.begin(), lines.begin() + long(count));
  if (!lines.empty()) command_print(console, "--more--", kFolderColour);
}

}  // namespace

void command_print(Console& console, const std::string& text, int colour) {
  if (console.app.options.execute) {
    write_standard_output(console, text + "\n");
    return;
  }
  print_console_line(console, text, colour);
}

bool command_allowed(const Console& console) {
  return !console.pstate.program_running || console.app.options.execute;
}

bool reset_glitch_running(const Console& console) { return console.pstate.glitch_frames > 0; }

std::string current_host_folder(const Console& console) {
  const std::string& folder = console.commands.current_folder;
  return root_path() + (folder.empty() ? "" : folder + "/");
}

void report_load_failure(Console& console) {
  if (console.pstate.program_running) return;
  switch (console.commands.last_load_failure) {
    case LoadFailure::future_version: command_print(console, "could not load: future version", kDetailColour); break;
    case LoadFailure::code_size: command_print(console, "could not load: code size > 64k", kDetailColour); break;
    default: command_print(console, "could not load", kDetailColour); break;
  }
  console.commands.last_load_failure = LoadFailure::none;
}

std::optional<bool> command_load(Console& console, const LoadRequest& request) {
  if (reset_glitch_running(console)) return std::nullopt;
  runner::ProgramRunner& runner = runner::program_runner();
  runner::save_cart_data();
  if (!request.name) return std::nullopt;
  std::string breadcrumb;
  if (request.breadcrumb && request.breadcrumb->size() <= kMaxBreadcrumbLabelLength) breadcrumb = *request.breadcrumb;
  if (request.argument_count == 1 && !console.pstate.program_running) runner::run_chain_reset(runner.run_chain);
  runner.next_parameter =
      request.parameter && request.parameter->size() <= kMaxRunParameterLength ? *request.parameter : "";
  const std::string& name = *request.name;
  if (name.size() > kMaxCommandNameLength) return std::nullopt;
  if (name.starts_with("#")) return false;
  if (name.starts_with("__")) {
    report_load_failure(console);
    return false;
  }
  if (is_clipboard_name(name)) return false;

  // The last cartridge dropped on the window, or one of the data file's.
  std::unique_ptr<cart::Cartridge> loaded;
  std::string file_name, loaded_name;
  if (name == "@dropped") {
    if (console.dropped_cartridge) loaded = std::make_unique<cart::Cartridge>(*console.dropped_cartridge);
    loaded_name = "cartridge";
  } else {
    const cart::EmbeddedCart* embedded = cart::find_embedded_cart(console.embedded_carts, name);
    if (!embedded) return false;
    loaded = cart::load_embedded_cart(*embedded);
    file_name = embedded->file_name;
    auto [base, extension] = name_and_extension(file_name);
    loaded_name = base + extension;
  }
  if (!loaded) {
    console.commands.last_load_failure = LoadFailure::failed;
    report_load_failure(console);
    return false;
  }
  const std::string previous = console.working.file_name;
  console.working.file_name = file_name;
  cart::install_working_cartridge(console.working, commands_cartridge_host(console), std::move(loaded));
  if (!console.pstate.program_running)
    command_print(console,
                  "loaded " + loaded_name + " (" + std::to_string(console.working.cartridge->code.size()) + " chars)",
                  kDetailColour);
  if (breadcrumb.size() > 1) runner::run_chain_push(runner.run_chain, previous, breadcrumb, 0);
  runner::reset_runtime_state();
  uint8_t rom[machine::kCartridgeRomSize];
  cart::copy_cartridge_to_rom(*console.working.cartridge, rom);
  machine::load_rom_image_into_memory(*console.machine, rom);
  lang::spend_cpu(0x800000);
  if (console.pstate.program_running && !console.app.options.execute) {
    console.pstate.pending_action = kActionRun;
    if (console.working.file_name != previous) console.pstate.load_hold_frames = 30;
  }
  return true;
}

void command_run(Console& console, const std::optional<std::string>& parameter) {
  if (reset_glitch_running(console)) return;
  runner::ProgramRunner& runner = runner::program_runner();
  runner::save_cart_data();
  if (parameter && parameter->size() <= kMaxRunParameterLength) {
    runner.next_parameter = *parameter;
  } else if (!parameter && !console.pstate.program_running) {
    runner.next_parameter.clear();
    runner.current_parameter.clear();
  }
  start_run_glitch(console);
  lang::lua_cpu_superyield();
}

void command_save(Console& console, const std::optional<std::string>& name) {
  if (!command_allowed(console)) {
    command_print(console, "can not save while running", kDetailColour);
    return;
  }
  if (console.app.options.execute) write_memory_into_cartridge(console);
  if (!name || name->empty()) {
    quick_save(console);
    return;
  }
  if (name->size() > kMaxCommandNameLength) {
    command_print(console, "filename too long", kDetailColour);
    return;
  }
  if (*name == "@url") {
    merge_tabs(*console.working.cartridge);
    cart::share_cartridge(*console.working.cartridge, commands_cartridge_host(console));
    return;
  }
  if (is_clipboard_name(*name)) {
    merge_tabs(*console.working.cartridge);
    save_to_clipboard(console);
    return;
  }
  std::optional<std::string> target;
  if (legal_file_name(*name))
    target = resolve_to_host_filename(root_path(), console.commands.current_folder, cart::with_cartridge_extension(*name));
  if (!target) {
    command_print(console, "* save failed *", kWarningColour);
    command_print(console, "illegal filename:", kHeadingColour);
    return;
  }
  if (!console.app.options.execute && host::file_exists(*target)) {
    if (!console.commands.overwrite_confirmed) {
      command_print(console, "file already exists", kHeadingColour);
      command_print(console, "overwrite? [y/n]", kHeadingColour);
      console.commands.overwrite_confirmed = true;
      return;
    }
    console.commands.overwrite_confirmed = false;
  }
  if (!save_replacing(console, *target)) {
    command_print(console, "could not save", kDetailColour);
    return;
  }
  auto [base, extension] = name_and_extension(*target);
  command_print(console, "saved " + base + extension, kDetailColour);
}

void command_cd(Console& console, const std::optional<std::string>& folder) {
  if (!command_allowed(console)) return;
  CommandState& commands = console.commands;
  if (!folder || folder->size() > kMaxCommandNameLength) {
    command_print(console, "directory: /" + commands.current_folder, kFolderColour);
    return;
  }
  if (folder->find('\0') != std::string::npos) {
    command_print(console, "cd: failed", 7);
    return;
  }
  const std::string host_folder =
      (folder->starts_with("/") ? root_path() + folder->substr(1) : current_host_folder(console) + *folder) + "/";
  std::error_code error;
  std::filesystem::path resolved = std::filesystem::weakly_canonical(host_folder, error);
  std::filesystem::path root = std::filesystem::weakly_canonical(root_path(), error);
  std::string relative = resolved.lexically_relative(root).string();
  // A relative root (the sound export's "./") is held to the same rule.
  if (relative.empty() || relative.starts_with("..")) {
    command_print(console, "cd: failed", 7);
    return;
  }
  if (!std::filesystem::is_directory(resolved, error)) {
    command_print(console, "directory not found", 7);
    return;
  }
  if (relative == ".") relative.clear();
  if (!relative.empty() && relative.back() == '/') relative.pop_back();
  if (relative.size() > kMaxCurrentFolderLength) {
    command_print(console, "cd: failed", 7);
    return;
  }
  commands.current_folder = relative;
  command_print(console, "/" + relative, kFolderColour);
}

void command_mkdir(Console& console, const std::optional<std::string>& name) {
  if (!command_allowed(console)) return;
  if (!name) {
    command_print(console, "mkdir [name]", kDetailColour);
    return;
  }
  std::optional<std::string> target;
  if (name->size() <= kMaxCommandNameLength && legal_file_name(*name))
    target = resolve_to_host_filename(root_path(), console.commands.current_folder, *name);
  if (!target || !host::make_folder(*target)) command_print(console, "mkdir failed: illegal path name", kDetailColour);
}

void command_ls(Console& console, const std::optional<std::string>& path) {
  if (console.pstate.program_running) return;
  const std::string asked = path.value_or("");
  const bool show_all = !asked.empty() && asked.back() == '*';
  std::string folder = show_all ? asked.substr(0, asked.size() - 1) : asked;
  const std::string shown = normalise_tamori_path(console.commands.current_folder, folder);
  command_print(console, "directory: " + shown, kFolderColour);
  std::optional<std::string> host_folder = resolve_to_host_filename(root_path(), console.commands.current_folder, folder);
  Listing listing = host_folder ? list_folder(*host_folder) : Listing{};
  if (!listing.found) {
    command_print(console, "not found", kDetailColour);
    return;
  }
  std::vector<runner::ConsoleLine>& lines = console.commands.unfinished_listing;
  lines.clear();
  for (const std::string& name : listing.folders) lines.push_back({name, kHeadingColour});
  for (const std::string& name : listing.cartridges) lines.push_back({name, kDetailColour});
  if (show_all)
    for (const std::string& name : listing.others) lines.push_back({name, 5});
  print_listing_page(console);
}

void continue_listing(Console& console) {
  if (!console.commands.unfinished_listing.empty()) print_listing_page(console);
}

void command_info(Console& console) {
  if (!command_allowed(console)) return;
  auto [name, extension] = name_and_extension(console.working.file_name);
  command_print(console, "file: " + name + (extension.empty() ? ".tm" : extension), kHeadingColour);
  runner::ExpandedProgram program =
      runner::expand_program(console.working.cartridge->code, runner::program_runner().host.read_include);
  for (const runner::ConsoleLine& line : runner::info_limit_lines(program.text)) command_print(console, line.text, line.colour);
  const std::string& file = console.working.file_name;
  if (!file.empty()) {
    cart::CartridgeLoadResult on_disk = cart::load_cartridge_any_format(file);
    if (on_disk.cartridge && on_disk.cartridge->code != console.working.cartridge->code)
      command_print(console, "external changes", kDetailColour);
  }
}

void command_backup(Console& console) {
  if (!command_allowed(console)) return;
  cart::CartridgeHost host = commands_cartridge_host(console);
  std::tm now{};
  std::time_t seconds = std::time(nullptr);
  localtime_r(&seconds, &now);
  auto [name, extension] = name_and_extension(console.working.file_name);
  if (name.empty()) name = "untitled";
  if (extension.empty()) extension = ".tm";
  const std::string target = console.app.data_folder + "backup/" + date_time_prefix(now) + name + extension;
  host::make_folders(console.app.data_folder + "backup");
  if (cart::save_working_cartridge(console.working, host, target) != 0) {
    command_print(console, "backup failed", kDetailColour);
    return;
  }
  command_print(console, "backed up " + name + extension, kDetailColour);
}

void command_install_demos(Console& console) {
  if (!command_allowed(console)) return;
  std::optional<std::string> folder = resolve_to_host_filename(root_path(), "", "/demos");
  if (!folder || !host::make_folders(*folder)) {
    command_print(console, "could not install demos", kDetailColour);
    return;
  }
  const auto& mounted = console.embedded_carts.mounted;
  int installed = 0;
  // The first mounted cartridge is the head cartridge: not a demo.
  for (size_t i = 1; i < mounted.size(); ++i) {
    std::unique_ptr<cart::Cartridge> cartridge = cart::load_embedded_cart(mounted[i]);
    std::optional<std::string> target = resolve_to_host_filename(root_path(), "", "/demos/" + mounted[i].file_name);
    if (!cartridge || !target) continue;
    cart::WorkingCartridge copy;
    copy.cartridge = std::move(cartridge);
    if (cart::save_working_cartridge(copy, commands_cartridge_host(console), *target) == 0) installed++;
  }
  command_print(console, "installed " + std::to_string(installed) + " demos to /demos/", kHeadingColour);
}

void command_install_games(Console& console) {
  if (!command_allowed(console)) return;
  command_print(console, "installing games to /games/", kHeadingColour);
  // This console has no board cache: there are no preloaded games to copy.
  std::optional<std::string> folder = resolve_to_host_filename(root_path(), "", "/games");
  if (folder) host::make_folders(*folder);
}

void open_host_folder(Console& console, const std::string& folder) {
  CommandState& commands = console.commands;
  if (commands.folder_openings >= kFolderOpeningsPerMinute) return;
  commands.folder_openings++;
  host::ruvo_log("opening folder: %s", folder.c_str());
  std::error_code error;
  if (console.app.headless || !std::filesystem::is_directory(folder, error)) return;
  // The folder goes to the opener as one argument: no shell sees it. The
  // opener runs in a grandchild, so no child is left to reap.
  const pid_t child = fork();
  if (child == 0) {
    if (fork() == 0) {
      execlp("xdg-open", "xdg-open", folder.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    _exit(0);
  }
  if (child > 0) waitpid(child, nullptr, 0);
}

void command_folder(Console& console, const std::optional<std::string>& location) {
  if (!command_allowed(console)) return;
  if (location && location->size() >= 128) return;
  const std::string data = console.app.data_folder;
  std::string folder;
  if (!location) folder = current_host_folder(console);
  else if (*location == "backups") folder = data + "backup/";
  else if (*location == "config") folder = data;
  else if (*location == "bbs") folder = data + "bbs/";
  else if (*location == "desktop") folder = host::ruvo_config().desktop_path;
  if (folder.empty()) {
    command_print(console, "useage: folder [location]", kHeadingColour);
    command_print(console, "locations:", kDetailColour);
    command_print(console, "backups config bbs desktop", kDetailColour);
    return;
  }
  open_host_folder(console, folder);
}

void command_reboot(Console& console) {
  if (!command_allowed(console)) return;
  console.pstate.pending_action = kActionReboot;
  console.app.options.start_in_browser = false;
  lang::lua_cpu_superyield();
}

void command_shutdown(Console& console) {
  if (!command_allowed(console)) return;
  console.app.quit = true;
  lang::lua_cpu_superyield();
}

}  // namespace tamori::shell
