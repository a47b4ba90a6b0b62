// lua_scripts_bench: times the benchmark scripts of ../shared/bench/lua in our
// interpreter and in a stock interpreter in the same run, and prints the
// ratio ours/stock per script and their geometric mean.
//
//   lua_scripts_bench [-runs N] [-stock PROGRAM | -no-stock] [-dir FOLDER] [-wall] [NAME ...]
//
// Our side compiles each script as a program (prelude and all) and runs it
// in a coroutine with cycle metering on, as the console does, with a slice
// budget so large that it never suspends in practice (when it does, it is
// resumed at once). Its printed checksum is compared with expected.txt. The
// stock side runs `PROGRAM -e "dofile('shim.lua')" NAME.lua` (default
// lua5.2; PROGRAM may include options, as in -stock "luajit -joff") and is
// skipped when the program is not installed. Each side is
// timed `runs` times, alternating, and the median counts. Times are CPU
// seconds (user + system; the stock side's from its child process), which
// other work on a shared machine disturbs far less than wall-clock time;
// -wall times wall-clock seconds instead.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "lang/api.h"
#include "lang/compiler.h"
#include "lang/cpu_counters.h"
#include "lang/library.h"
#include "runner/prelude.h"

namespace {

using namespace tamori::lang;
using namespace tamori::runner;
using Clock = std::chrono::steady_clock;

const char* const kScriptNames[] = {"fib",      "loops", "mandel", "array",     "hash",  "strings",
                                    "closures", "oop",   "coro",   "particles", "qsort", "sieve"};

struct BenchOptions {
  int runs = 3;
  std::string stock_program = "lua5.2";
  std::string folder = TAMORI_SHARED_DIR "/bench/lua";
  std::vector<std::string> names;
  bool wall_clock = false;
};

bool use_wall_clock = false;

// CPU seconds used so far by this process, or by its finished children.
double cpu_seconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The elapsed seconds since `start_wall` / `start_cpu`, by the chosen clock.
double elapsed(Clock::time_point start_wall, double start_cpu, int who) {
  if (use_wall_clock) return std::chrono::duration<double>(Clock::now() - start_wall).count();
  return cpu_seconds(who) - start_cpu;
}

struct TimedRun {
  bool ok = false;
  std::string output;  // what the script printed, one line each, or the error
  double seconds = 0;
};

// Where the script's printh lines go while it runs.
std::string* printed_output = nullptr;

int capture_printh(ThreadState* thread) {
  std::string_view text;
  if (get_top(thread) >= 1 && string_at(thread, 1, &text) && printed_output) {
    printed_output->append(text);
    printed_output->push_back('\n');
  }
  return 0;
}

std::string read_file(const std::string& path, bool* found) {
  std::ifstream file(path, std::ios::binary);
  *found = bool(file);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TimedRun run_ours(const std::string& source) {
  TimedRun run;
  const Clock::time_point start = Clock::now();
  const double start_cpu = cpu_seconds(RUSAGE_SELF);
  ProgramTextOptions text_options;
  text_options.is_command = true;  // no main loop after the chunk
  CompileResult compiled = compile_chunk(build_program_text(source, text_options), kPreludeFirstLine);
  if (!compiled.ok()) {
    run.output = compiled.full_message;
    return run;
  }
  ThreadState* state = create_state();
  register_language_library(state);
  register_native(state, "__printh", capture_printh);
  printed_output = &run.output;
  lua_reset_cpu_cycles();
  lua_set_cpu_cycles_slice_max(0x7ffffff0);
  load_function(state, *compiled.function);
  ThreadState* program = new_coroutine(state);
  const int anchored = get_top(state);
  RunStatus status = RunStatus::Yield;
  while (status == RunStatus::Yield) {
    lua_cpu_prepare_for_slice();
    lua_cpu_prepare_for_resume();
    int result_count = 0;
    status = resume(program, state, 0, &result_count);
    if (status == RunStatus::Error) {
      std::string_view message;
      string_at(state, -1, &message);
      run.output = "error: " + std::string(message);
    }
    set_top(state, anchored);
  }
  run.ok = status == RunStatus::Ok;
  printed_output = nullptr;
  destroy_state(state);
  run.seconds = elapsed(start, start_cpu, RUSAGE_SELF);
  return run;
}

// PROGRAM may carry options ("luajit -joff"): only its first word is looked up.
bool stock_available(const std::string& program) {
  const std::string executable = program.substr(0, program.find(' '));
  const std::string probe = "command -v " + executable + " >/dev/null 2>&1";
  return std::system(probe.c_str()) == 0;
}

TimedRun run_stock(const BenchOptions& options, const std::string& name) {
  TimedRun run;
  const std::string command = options.stock_program + " -e \"dofile('" + options.folder + "/shim.lua')\" " +
                              options.folder + "/" + name + ".lua";
  const Clock::time_point start = Clock::now();
  const double start_cpu = cpu_seconds(RUSAGE_CHILDREN);
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[256];
  size_t count;
  while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, count);
  run.ok = pclose(pipe) == 0;
  run.seconds = elapsed(start, start_cpu, RUSAGE_CHILDREN);
  return run;
}

// expected.txt: "name checksum" per line.
std::map<std::string, std::string> read_expected(const std::string& folder) {
  std::map<std::string, std::string> expected;
  bool found = false;
  std::istringstream lines(read_file(folder + "/expected.txt", &found));
  std::string name, checksum;
  while (lines >> name >> checksum) expected[name] = checksum + "\n";
  return expected;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

bool parse_arguments(int argc, char** argv, BenchOptions* options) {
  for (int i = 1; i < argc; i++) {
    const std::string argument = argv[i];
    const bool has_value = i + 1 < argc;
    if (argument == "-runs" && has_value) options->runs = std::max(1, std::atoi(argv[++i]));
    else if (argument == "-stock" && has_value) options->stock_program = argv[++i];
    else if (argument == "-no-stock") options->stock_program.clear();
    else if (argument == "-dir" && has_value) options->folder = argv[++i];
    else if (argument == "-wall") options->wall_clock = true;
    else if (!argument.empty() && argument[0] == '-') return false;
    else options->names.push_back(argument);
  }
  if (options->names.empty()) options->names.assign(std::begin(kScriptNames), std::end(kScriptNames));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  BenchOptions options;
  if (!parse_arguments(argc, argv, &options)) {
    std::fprintf(stderr, "usage: lua_scripts_bench [-runs N] [-stock PROGRAM | -no-stock] [-dir FOLDER] [-wall] [NAME ...]\n");
    return 2;
  }
  use_wall_clock = options.wall_clock;
  const bool with_stock = !options.stock_program.empty() && stock_available(options.stock_program);
  if (!options.stock_program.empty() && !with_stock)
    std::printf("%s is not installed: no ratios\n", options.stock_program.c_str());
  const std::map<std::string, std::string> expected = read_expected(options.folder);

  std::printf("%s seconds; stock: %s\n", use_wall_clock ? "wall-clock" : "CPU", with_stock ? options.stock_program.c_str() : "none");
  std::printf("%-10s %10s %10s %8s  %s\n", "script", "ours (s)", "stock (s)", "ratio", "checksum");
  double log_ratio_sum = 0;
  int ratio_count = 0;
  bool all_correct = true;
  for (const std::string& name : options.names) {
    bool found = false;
    const std::string source = read_file(options.folder + "/" + name + ".lua", &found);
    if (!found) {
      std::printf("%-10s missing\n", name.c_str());
      all_correct = false;
      continue;
    }
    std::vector<double> ours_seconds, stock_seconds;
    TimedRun ours;
    for (int i = 0; i < options.runs; i++) {
      ours = run_ours(source);
      if (!ours.ok) break;
      ours_seconds.push_back(ours.seconds);
      if (with_stock) {
        TimedRun stock = run_stock(options, name);
        if (stock.ok) stock_seconds.push_back(stock.seconds);
      }
    }
    if (!ours.ok) {
      std::printf("%-10s failed: %s\n", name.c_str(), ours.output.c_str());
      all_correct = false;
      continue;
    }
    auto wanted = expected.find(name);
    const char* verdict = wanted == expected.end() ? "(none expected)" : ours.output == wanted->second ? "ok" : "WRONG";
    if (wanted != expected.end() && ours.output != wanted->second) all_correct = false;
    const double ours_median = median(ours_seconds);
    if (stock_seconds.empty()) {
      std::printf("%-10s %10.3f %10s %8s  %s\n", name.c_str(), ours_median, "-", "-", verdict);
      continue;
    }
    const double stock_median = median(stock_seconds);
    const double ratio = ours_median / stock_median;
    log_ratio_sum += std::log(ratio);
    ratio_count++;
    std::printf("%-10s %10.3f %10.3f %8.2f  %s\n", name.c_str(), ours_median, stock_median, ratio, verdict);
  }
  if (ratio_count > 0) std::printf("geometric mean ratio ours/stock: %.2f\n", std::exp(log_ratio_sum / ratio_count));
  return all_correct ? 0 : 1;
}
