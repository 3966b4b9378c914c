// How long a user waits: from starting the program to its loading frame and
// to the first frame of the show, through the program itself in a window
// (needs an X display: xvfb-run). Each frame's screenshot file marks when
// the frame was drawn; the one-second pause after caching is included, as
// the user sees it.

#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_StartToShow(benchmark::State& state) {
  const fs::path folder = fs::temp_directory_path() / ("ynx-startup-" + std::to_string(getpid()));
  double loading = 0.0, show = 0.0;
  for (auto _ : state) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string shots = (folder / "shot%d.png").string();
    const std::string state_home = (folder / "state").string();
    const std::string config_home = (folder / "config").string();
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
      setenv("XDG_STATE_HOME", state_home.c_str(), 1);
      setenv("XDG_CONFIG_HOME", config_home.c_str(), 1);
      execl(VELLUMERE_PATH, VELLUMERE_PATH, "--windowed", "--size", "1280x720", "--frames", "1",
            "--screenshot", shots.c_str(), "/s", static_cast<char*>(nullptr));
      _exit(127);
    }
    double seenLoading = 0.0, seenShow = 0.0;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
      if (seenLoading == 0.0 && fs::exists(folder / "shot0.png")) seenLoading = SecondsSince(start);
      if (seenShow == 0.0 && fs::exists(folder / "shot1.png")) seenShow = SecondsSince(start);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || seenShow == 0.0) {
      state.SkipWithError("the program did not show a frame");
      break;
    }
    loading += seenLoading;
    show += seenShow;
  }
  fs::remove_all(folder);
  state.counters["to_loading_frame_s"] = benchmark::Counter(loading, benchmark::Counter::kAvgIterations);
  state.counters["to_first_show_frame_s"] = benchmark::Counter(show, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_StartToShow)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
