// Cold start: the console program started headless on a cartridge that
// stops in its first frame, timed from the spawn to its exit. Its
// goal_fraction counter is that time as a fraction of 20 ms;
// BM_SpawnReference starts /bin/true the same way, for the cost the
// operating system alone puts on starting a program.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace tamori::bench {
namespace {

constexpr double kGoalSeconds = 0.020;

bool run_to_exit(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return !failed && waitpid(pid, &status, 0) == pid && WIFEXITED(status);
}

void time_starts(benchmark::State& bench, const std::vector<std::string>& arguments) {
  double seconds = 0;
  for (auto _ : bench) {
    const auto start = std::chrono::steady_clock::now();
    if (!run_to_exit(arguments)) bench.SkipWithError("the program did not run");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  bench.counters["goal_fraction"] = seconds / double(bench.iterations()) / kGoalSeconds;
}

void BM_ColdStartToFirstFrame(benchmark::State& bench) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tamori_startup_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string cart = (folder / "first_frame.lua").string();
  std::ofstream(cart) << "function _update() stop() end\n";
  time_starts(bench, {TAMORI_EXE, "-home", (folder / "home").string(), "-x", cart});
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ColdStartToFirstFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_SpawnReference(benchmark::State& bench) { time_starts(bench, {"/bin/true"}); }
BENCHMARK(BM_SpawnReference)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace tamori::bench
