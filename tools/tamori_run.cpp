// tamori_run: runs a cartridge headless for a number of frames as fast as
// possible (virtual clock, fixed random seed unless told otherwise), with
// buttons from a script, and writes what was asked for.
//
//   tamori_run CART [-frames N] [-seed S | -random] [-buttons FILE] [-i FILE] [-o FILE]
//              [-png FILE] [-hashes FILE] [-times FILE] [-wav FILE] [-sound_sha1]
//              [-home DIR] [-data DIR]
//   tamori_run --info CART [FRAMES]
//
// --info is for cartridge authors' scripts: the code's limits as INFO shows
// them, then FRAMES frames (300 unless given) without input and the peak
// CPU share, peak memory and frames over budget, on standard output (the
// program's own output goes to standard error). Exit status 0: within every
// limit, 1: over one, 2: the cartridge could not be run.
//
// The program's standard output (printh, console messages) goes to standard
// output. -i replays an input recording (it takes over from -buttons while
// it lasts) and -o records the run's buttons, as the console's own options
// do. -png writes the last frame through the palette, -hashes one
// screen-memory hash per frame, -times the host milliseconds of each frame,
// -wav the sound the device would have played over the run's virtual time;
// -sound_sha1 prints that sound's hash, RMS and peak to standard error (the
// golden sound tests keep such hashes).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <lodepng.h>

#include "audio/audio_state.h"
#include "host/config.h"
#include "host/paths.h"
#include "input/input_recording.h"
#include "shell/cartridge_budget.h"
#include "shell/headless_run.h"
#include "shell/console_capture.h"
#include "shell/headless_sound.h"
#include "shell/startup.h"
#include "wav_file.h"

namespace {

struct ToolOptions {
  tamori::shell::HeadlessRunOptions run;
  std::string buttons_file, png_file, gif_file, hashes_file, times_file, wav_file;
  bool sound_sha1 = false;
  bool records_sound() const { return sound_sha1 || !wav_file.empty(); }
  std::string recording_in, recording_out;  // -i and -o, handed to the console
};

int usage() {
  std::fprintf(stderr,
               "usage: tamori_run CART [-frames N] [-seed S | -random] [-buttons FILE] [-i FILE] [-o FILE]\n"
               "                  [-png FILE] [-gif FILE] [-hashes FILE] [-times FILE] [-wav FILE] [-sound_sha1]\n"
               "                  [-home DIR] [-data DIR]\n"
               "       tamori_run --info CART [FRAMES]\n");
  return 2;
}

constexpr int kInfoFrames = 300;

// data.pod is built beside the console; the tool lives one folder below.
// The tool's own folder comes from the executable itself, not argv[0],
// which holds no folder when the tool was found through PATH.
std::string default_program_folder(const char* argv0) {
  std::filesystem::path tool = std::filesystem::path(tamori::host::program_folder(argv0)).parent_path();
  for (const std::filesystem::path& folder : {tool, tool.parent_path()})
    if (std::filesystem::exists(folder / "data.pod")) return folder.string() + "/";
  return tool.string() + "/";
}

bool parse_arguments(int argc, char** argv, ToolOptions* options) {
  for (int i = 1; i < argc; i++) {
    std::string argument = argv[i];
    auto value = [&](std::string* target) {
      if (i + 1 >= argc) return false;
      *target = argv[++i];
      return true;
    };
    std::string text;
    if (argument == "-frames" && value(&text)) options->run.frames = std::atoi(text.c_str());
    else if (argument == "-seed" && value(&text)) options->run.random_seed = uint32_t(std::strtoul(text.c_str(), nullptr, 0));
    else if (argument == "-random") options->run.random_seed.reset();
    else if (argument == "-buttons" && value(&options->buttons_file)) continue;
    else if (argument == "-i" && value(&options->recording_in)) continue;
    else if (argument == "-o" && value(&options->recording_out)) continue;
    else if (argument == "-png" && value(&options->png_file)) continue;
    else if (argument == "-gif" && value(&options->gif_file)) continue;
    else if (argument == "-hashes" && value(&options->hashes_file)) continue;
    else if (argument == "-times" && value(&options->times_file)) continue;
    else if (argument == "-wav" && value(&options->wav_file)) continue;
    else if (argument == "-sound_sha1") options->sound_sha1 = true;
    else if (argument == "-home" && value(&options->run.home)) continue;
    else if (argument == "-data" && value(&options->run.program_folder)) continue;
    else if (!argument.empty() && argument[0] != '-' && options->run.cartridge.empty()) options->run.cartridge = argument;
    else return false;
  }
  return !options->run.cartridge.empty() && options->run.frames >= 0;
}

bool read_file(const std::string& path, std::string* text) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream contents;
  contents << file.rdbuf();
  *text = contents.str();
  return true;
}

std::string temporary_home_folder() {
  return (std::filesystem::temp_directory_path() / ("tamori_run_" + std::to_string(::getpid()))).string();
}

bool parse_frame_count(const char* text, int* frames) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 1 || value > 1000000) return false;
  *frames = int(value);
  return true;
}

int report_cartridge_limits(int argc, char** argv) {
  tamori::shell::HeadlessRunOptions run;
  if (argc < 3 || argc > 4) return usage();
  run.cartridge = argv[2];
  run.frames = kInfoFrames;
  if (argc == 4 && !parse_frame_count(argv[3], &run.frames)) return usage();
  run.program_folder = default_program_folder(argv[0]);
  run.home = temporary_home_folder();
  tamori::shell::BudgetMeter meter;
  run.after_frame = [&meter](int, tamori::shell::Console& console) { tamori::shell::meter_frame(meter, console); };

  static tamori::shell::Console console;
  tamori::host::VirtualTime time;
  time.now_ms = 100000;
  tamori::shell::HeadlessRunResult result = tamori::shell::run_headless(console, time, run);
  std::fwrite(result.standard_output.data(), 1, result.standard_output.size(), stderr);
  int status = 2;
  if (result.started) {
    const tamori::shell::BudgetReport report = tamori::shell::budget_report(meter, console, result.standard_output);
    for (const tamori::runner::ConsoleLine& line : report.lines) std::printf("%s\n", line.text.c_str());
    std::printf("%s\n", report.within_limits ? "within limits" : "over limits");
    status = report.within_limits ? 0 : 1;
  } else {
    std::fprintf(stderr, "tamori_run: cannot run %s\n", run.cartridge.c_str());
  }
  tamori::shell::ruvo_exit(console);
  std::filesystem::remove_all(run.home);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "--info") return report_cartridge_limits(argc, argv);
  ToolOptions options;
  if (!parse_arguments(argc, argv, &options)) return usage();
  if (options.run.program_folder.empty()) options.run.program_folder = default_program_folder(argv[0]);
  const bool temporary_home = options.run.home.empty();
  if (temporary_home) options.run.home = temporary_home_folder();
  if (!options.buttons_file.empty()) {
    std::string script;
    int bad_line = 0;
    if (!read_file(options.buttons_file, &script)) {
      std::fprintf(stderr, "tamori_run: cannot read %s\n", options.buttons_file.c_str());
      return 2;
    }
    if (!tamori::shell::parse_button_script(script, &options.run.buttons, &bad_line)) {
      std::fprintf(stderr, "tamori_run: %s:%d: bad button line\n", options.buttons_file.c_str(), bad_line);
      return 2;
    }
  }

  if (!options.recording_in.empty()) {
    // The console logs a bad recording; say it where the user looks too.
    std::string text;
    if (!read_file(options.recording_in, &text)) {
      std::fprintf(stderr, "tamori_run: cannot read %s\n", options.recording_in.c_str());
      return 2;
    }
    const tamori::input::InputReplay replay = tamori::input::parse_input_recording(text);
    if (!replay.error.empty())
      std::fprintf(stderr, "tamori_run: %s: %s; the replay stops after %zu frames\n", options.recording_in.c_str(),
                   replay.error.c_str(), replay.frames.size());
    options.run.extra_arguments.insert(options.run.extra_arguments.end(), {"-i", options.recording_in});
  }
  if (!options.gif_file.empty())
    options.run.extra_arguments.insert(options.run.extra_arguments.end(),
                                       {"-desktop", options.run.home + "/gif_desktop"});
  if (!options.recording_out.empty())
    options.run.extra_arguments.insert(options.run.extra_arguments.end(), {"-o", options.recording_out});

  std::vector<uint64_t> hashes;
  std::vector<double> frame_ms;
  tamori::shell::SoundRecording sound;
  auto frame_start = std::chrono::steady_clock::now();
  options.run.after_frame = [&](int, tamori::shell::Console& console) {
    auto now = std::chrono::steady_clock::now();
    frame_ms.push_back(std::chrono::duration<double, std::milli>(now - frame_start).count());
    if (!options.hashes_file.empty()) hashes.push_back(tamori::shell::screen_memory_hash(console));
    if (options.records_sound()) tamori::shell::record_owed_sound(console, sound);
    frame_start = std::chrono::steady_clock::now();
  };

  static tamori::shell::Console console;
  tamori::host::VirtualTime time;
  time.now_ms = 100000;
  tamori::shell::HeadlessRunResult result = tamori::shell::run_headless(console, time, options.run);
  std::fwrite(result.standard_output.data(), 1, result.standard_output.size(), stdout);
  std::fflush(stdout);
  if (!result.started) return result.exit_status;

  int status = 0;
  if (!options.png_file.empty()) {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba = tamori::shell::screen_rgba(console, &width, &height);
    if (lodepng_encode32_file(options.png_file.c_str(), rgba.data(), unsigned(width), unsigned(height)) != 0) {
      std::fprintf(stderr, "tamori_run: cannot write %s\n", options.png_file.c_str());
      status = 1;
    }
  }
  // The console's own recording of the run's last seconds, at scale 2,
  // saved to a scratch desktop and moved where asked.
  if (!options.gif_file.empty()) {
    const std::string desktop = tamori::host::ruvo_config().desktop_path;
    const tamori::shell::SavedGif gif = tamori::shell::save_recorded_gif(console, 2, false);
    std::error_code error;
    std::filesystem::path written;
    for (const auto& entry : std::filesystem::directory_iterator(desktop, error))
      if (entry.path().extension() == ".gif") written = entry.path();
    if (gif.status != 0 || written.empty() ||
        !std::filesystem::copy_file(written, options.gif_file, std::filesystem::copy_options::overwrite_existing,
                                    error)) {
      std::fprintf(stderr, "tamori_run: cannot write %s\n", options.gif_file.c_str());
      status = 1;
    }
  }
  if (!options.hashes_file.empty()) {
    std::ofstream file(options.hashes_file);
    for (size_t frame = 0; frame < hashes.size(); frame++) {
      char line[48];
      std::snprintf(line, sizeof line, "%zu %016llx\n", frame, static_cast<unsigned long long>(hashes[frame]));
      file << line;
    }
  }
  if (!options.times_file.empty()) {
    std::ofstream file(options.times_file);
    for (size_t frame = 0; frame < frame_ms.size(); frame++) file << frame << " " << frame_ms[frame] << "\n";
  }
  if (options.sound_sha1)
    std::fprintf(stderr, "sound sha1 %s rms %d peak %d samples %zu\n",
                 tamori::shell::sound_sha1_hex(sound.samples).c_str(), tamori::shell::sound_rms(sound.samples),
                 tamori::shell::sound_peak(sound.samples), sound.samples.size());
  if (!options.wav_file.empty() &&
      !tamori::tools::write_wav_file(options.wav_file, sound.samples, tamori::audio::kSampleRate)) {
    std::fprintf(stderr, "tamori_run: cannot write %s\n", options.wav_file.c_str());
    status = 1;
  }
  tamori::shell::ruvo_exit(console);
  if (temporary_home) std::filesystem::remove_all(options.run.home);
  return status;
}
