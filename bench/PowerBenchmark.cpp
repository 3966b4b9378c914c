// What the show costs the machine: the program's processor time per second
// of the show in a 320 x 240 window, drawn uncapped, capped at 30 and at 10
// frames a second, and paused because its window is unmapped. The program draws into a window this
// benchmark makes, as xscreensaver runs it (needs an X display: xvfb-run).
// Processor time is every thread's (the software rasteriser's included),
// read from /proc before and after five seconds of the show.

#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>

// Last: Xlib's macros would break the headers above.
#include <X11/Xlib.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double MEASURED_SECONDS = 5.0;

// User and system time of the process and its threads, in seconds.
double ProcessorSeconds(pid_t process) {
  std::ifstream file("/proc/" + std::to_string(process) + "/stat");
  const std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  // Fields after the command name, which ends with the last ')'.
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string field;
  unsigned long long user = 0, system = 0;
  for (int index = 3; fields >> field; ++index) {
    if (index == 14) user = std::stoull(field);
    if (index == 15) {
      system = std::stoull(field);
      break;
    }
  }
  return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

bool LogHas(const fs::path& log, const std::string& wanted) {
  std::ifstream file(log);
  for (std::string line; std::getline(file, line);) {
    if (line == wanted) return true;
  }
  return false;
}

// Argument: the frame cap (0 for none), or -1 for the show paused.
void BM_ShowProcessorLoad(benchmark::State& state) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    state.SkipWithError("no X display");
    return;
  }
  const fs::path folder = fs::temp_directory_path() / ("ynx-power-" + std::to_string(getpid()));
  const int cap = static_cast<int>(state.range(0));
  double load = 0.0;
  for (auto _ : state) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    const Window host = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 320, 240, 0, 0, 0);
    XMapWindow(display, host);
    XSync(display, False);
    const std::string stateHome = (folder / "state").string();
    const std::string configHome = (folder / "config").string();
    const std::string window = std::to_string(host);
    const std::string maxFps = std::to_string(cap > 0 ? cap : 0);
    const pid_t child = fork();
    if (child == 0) {
      setenv("XDG_STATE_HOME", stateHome.c_str(), 1);
      setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
      setenv("XSCREENSAVER_WINDOW", window.c_str(), 1);
      execl(VELLUMERE_PATH, VELLUMERE_PATH, "-root", "--max-fps", maxFps.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    const fs::path log = folder / "state" / "Quorvane" / "YNXLog.txt";
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(120);
    while (!LogHas(log, "INFO. Сейвер создан.") && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // The first frames settle; a paused show gets its window taken away.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    if (cap < 0) {
      XUnmapWindow(display, host);
      XSync(display, False);
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    const double before = ProcessorSeconds(child);
    std::this_thread::sleep_for(std::chrono::duration<double>(MEASURED_SECONDS));
    const double after = ProcessorSeconds(child);
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    XDestroyWindow(display, host);
    XSync(display, False);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("the program did not end cleanly");
      break;
    }
    load += (after - before) / MEASURED_SECONDS;
  }
  fs::remove_all(folder);
  XCloseDisplay(display);
  state.counters["cpu_s_per_s"] = benchmark::Counter(load, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ShowProcessorLoad)
    ->ArgName("max_fps")
    ->Arg(0)
    ->Arg(30)
    ->Arg(10)
    ->Arg(-1)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
