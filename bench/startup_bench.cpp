// Cold start: the console program started headless on a cartridge that
// stops in its first frame, timed from the spawn to its exit. Its
// goal_fraction counter is that time as a fraction of 20 ms; cpu_ms is the
// child's own CPU time (user + system), which other load on the machine
// does not inflate, and cpu_goal_fraction that as a fraction of 20 ms.
// BM_SpawnReference starts /bin/true the same way, for the cost the
// operating system alone puts on starting a program. TAMORI_STARTUP_EXE
// names another build's program to time instead (to compare two builds).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace tamori::bench {
namespace {

constexpr double kGoalSeconds = 0.020;

// Runs the program to its exit; adds its CPU time to `cpu_seconds`.
bool run_to_exit(std::vector<std::string> arguments, double& cpu_seconds) {
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
  struct rusage usage {};
  if (failed || wait4(pid, &status, 0, &usage) != pid) return false;
  auto seconds = [](const timeval& time) { return double(time.tv_sec) + double(time.tv_usec) * 1e-6; };
  cpu_seconds += seconds(usage.ru_utime) + seconds(usage.ru_stime);
  return WIFEXITED(status);
}

void time_starts(benchmark::State& bench, const std::vector<std::string>& arguments) {
  double seconds = 0, cpu_seconds = 0;
  for (auto _ : bench) {
    const auto start = std::chrono::steady_clock::now();
    if (!run_to_exit(arguments, cpu_seconds)) bench.SkipWithError("the program did not run");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  const double runs = double(bench.iterations());
  bench.counters["goal_fraction"] = seconds / runs / kGoalSeconds;
  bench.counters["cpu_ms"] = cpu_seconds / runs * 1000;
  bench.counters["cpu_goal_fraction"] = cpu_seconds / runs / kGoalSeconds;
}

void BM_ColdStartToFirstFrame(benchmark::State& bench) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tamori_startup_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string cart = (folder / "first_frame.lua").string();
  std::ofstream(cart) << "function _update() stop() end\n";
  const char* other = std::getenv("TAMORI_STARTUP_EXE");
  time_starts(bench, {other && *other ? other : TAMORI_EXE, "-home", (folder / "home").string(), "-x", cart});
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ColdStartToFirstFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_SpawnReference(benchmark::State& bench) { time_starts(bench, {"/bin/true"}); }
BENCHMARK(BM_SpawnReference)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace tamori::bench
