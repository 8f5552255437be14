// Start-up of quadrix beside a minimal Qt 6 program with a window of the
// same shape (startup_floor): the time from starting each program to its
// window being on screen, and its resident memory then, measured in one run
// with the two programs alternating. Target: quadrix within 1.25x of the
// floor for both.
//
// Runs under Xvfb: without a display it starts itself again under
// xvfb-run, or, when that is missing, measures on Qt's offscreen platform.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

extern char **environ;

namespace {

constexpr double kTarget = 1.25;
constexpr const char *kShownMarker = "shown rss_kb=";

struct Launch {
  double seconds = 0;
  long rss_kb = 0;
};

// Starts `program` with QUADRIX_EXIT_AFTER_SHOW=1 and waits for its report
// that the window is shown; nullopt when it ends without one.
std::optional<Launch> launch(const char *program) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0)
    return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
  // Qt's start-up notices would bury the results.
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null",
                                   O_WRONLY, 0);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[1]);

  std::vector<std::string> environment;
  for (char **entry = environ; *entry; ++entry)
    environment.emplace_back(*entry);
  environment.emplace_back("QUADRIX_EXIT_AFTER_SHOW=1");
  std::vector<char *> envp;
  for (std::string &entry : environment)
    envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string name = program;
  char *argv[] = {name.data(), nullptr};

  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  const int spawned =
      posix_spawn(&child, program, &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_fds[1]);
  if (spawned != 0) {
    close(pipe_fds[0]);
    return std::nullopt;
  }

  std::string output;
  std::optional<Launch> result;
  char buffer[256];
  ssize_t got = 0;
  while ((got = read(pipe_fds[0], buffer, sizeof buffer)) > 0) {
    output.append(buffer, static_cast<std::size_t>(got));
    const std::size_t marker = output.find(kShownMarker);
    if (!result && marker != std::string::npos &&
        output.find('\n', marker) != std::string::npos) {
      Launch shown;
      shown.seconds = std::chrono::duration<double>(
                          std::chrono::steady_clock::now() - start)
                          .count();
      shown.rss_kb =
          std::atol(output.c_str() + marker + std::strlen(kShownMarker));
      result = shown;
    }
  }
  close(pipe_fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return result;
}

void BM_StartupAgainstFloor(benchmark::State &state) {
  double quadrix_seconds = 0, floor_seconds = 0;
  double quadrix_rss = 0, floor_rss = 0;
  int runs = 0;
  for (auto _ : state) {
    // Alternate which program starts first, so that neither always finds
    // the caches warmed by the other.
    const bool quadrix_first = runs % 2 == 0;
    std::optional<Launch> first =
        launch(quadrix_first ? QX_BENCH_QUADRIX : QX_BENCH_FLOOR);
    std::optional<Launch> second =
        launch(quadrix_first ? QX_BENCH_FLOOR : QX_BENCH_QUADRIX);
    if (!first || !second) {
      state.SkipWithError("a program ended without showing its window");
      return;
    }
    const Launch &quadrix = quadrix_first ? *first : *second;
    const Launch &floor = quadrix_first ? *second : *first;
    state.SetIterationTime(quadrix.seconds);
    quadrix_seconds += quadrix.seconds;
    floor_seconds += floor.seconds;
    quadrix_rss += static_cast<double>(quadrix.rss_kb);
    floor_rss += static_cast<double>(floor.rss_kb);
    ++runs;
  }
  if (runs == 0)
    return;
  const double time_ratio = quadrix_seconds / floor_seconds;
  const double rss_ratio = quadrix_rss / floor_rss;
  state.counters["quadrix_ms"] = 1000 * quadrix_seconds / runs;
  state.counters["floor_ms"] = 1000 * floor_seconds / runs;
  state.counters["time_ratio"] = time_ratio;
  state.counters["quadrix_rss_kb"] = quadrix_rss / runs;
  state.counters["floor_rss_kb"] = floor_rss / runs;
  state.counters["rss_ratio"] = rss_ratio;
  state.counters["within_target"] =
      time_ratio <= kTarget && rss_ratio <= kTarget ? 1 : 0;
}
BENCHMARK(BM_StartupAgainstFloor)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

bool hasEnvironment(const char *name) {
  const char *value = std::getenv(name);
  return value && *value;
}

// Without a display, starts this benchmark again under xvfb-run; returns
// only when that is not possible.
void moveUnderXvfb(int argc, char **argv) {
  if (hasEnvironment("DISPLAY") || hasEnvironment("QT_QPA_PLATFORM") ||
      hasEnvironment("QUADRIX_BENCH_XVFB"))
    return;
  setenv("QUADRIX_BENCH_XVFB", "1", 1);
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0)
    return;
  path[length] = '\0';
  std::vector<char *> arguments;
  std::string runner = "xvfb-run", automatic = "-a", server = "-s",
              screen = "-screen 0 1024x768x24", self = path;
  arguments = {runner.data(), automatic.data(), server.data(), screen.data(),
               self.data()};
  for (int i = 1; i < argc; ++i)
    arguments.push_back(argv[i]);
  arguments.push_back(nullptr);
  execvp(runner.c_str(), arguments.data());
}

} // namespace

int main(int argc, char **argv) {
  moveUnderXvfb(argc, argv);
  if (!hasEnvironment("DISPLAY") && !hasEnvironment("QT_QPA_PLATFORM")) {
    std::fprintf(stderr, "startup_bench: no Xvfb; measuring offscreen\n");
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
