#include "app/RunOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "app/Settings.h"
#include "platform/os/ProcessCommandLine.h"

namespace ynx {
namespace {

// The whole text as an integer in [low, high], in decimal or with "0x" in
// hexadecimal (as window ids are written).
bool ReadInteger(const std::string& text, long long low, long long high, long long& out) {
  if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return false;
  errno = 0;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
  if (errno != 0 || end == text.c_str() || *end != '\0') return false;
  if (value < static_cast<unsigned long long>(low) || value > static_cast<unsigned long long>(high)) return false;
  out = static_cast<long long>(value);
  return true;
}

bool Invalid(const std::string& option, const std::string& value, std::string& error) {
  error = "invalid value for " + option + ": '" + value + "'";
  return false;
}

// "--name" and "--no-name": the later on the line is not known here, so
// both at once is a mistake.
bool ReadSwitch(const ProcessCommandLine& commandLine, const std::string& name, std::optional<bool>& out,
                std::string& error) {
  const bool on = commandLine.Has(name);
  const bool off = commandLine.Has("no-" + name);
  if (on && off) {
    error = "options --" + name + " and --no-" + name + " contradict each other";
    return false;
  }
  if (on || off) out = on;
  return true;
}

}  // namespace

bool RunOptions::Parse(const ProcessCommandLine& commandLine, const char* windowEnvironment,
                       RunOptions& out, std::string& error) {
  out = RunOptions();
  out.windowed = commandLine.Has("windowed");
  long long number = 0;
  if (commandLine.Has("size")) {
    const std::string size = commandLine.Value("size");
    const size_t x = size.find('x');
    long long height = 0;
    if (x == std::string::npos || !ReadInteger(size.substr(0, x), 64, 16384, number) ||
        !ReadInteger(size.substr(x + 1), 64, 16384, height)) {
      return Invalid("--size", size, error);
    }
    out.width = static_cast<int32_t>(number);
    out.height = static_cast<int32_t>(height);
  }
  // The option wins over the environment.
  if (commandLine.Has("window-id")) {
    if (!ReadInteger(commandLine.Value("window-id"), 1, UINT32_MAX, number)) {
      return Invalid("--window-id", commandLine.Value("window-id"), error);
    }
    out.windowId = static_cast<uint64_t>(number);
  } else if (windowEnvironment != nullptr && windowEnvironment[0] != '\0') {
    if (!ReadInteger(windowEnvironment, 1, UINT32_MAX, number)) {
      return Invalid("XSCREENSAVER_WINDOW", windowEnvironment, error);
    }
    out.windowId = static_cast<uint64_t>(number);
  }
  if (commandLine.Has("frames")) {
    if (!ReadInteger(commandLine.Value("frames"), 1, INT32_MAX, number)) {
      return Invalid("--frames", commandLine.Value("frames"), error);
    }
    out.frames = static_cast<int32_t>(number);
  }
  if (commandLine.Has("screenshot")) {
    out.screenshot = commandLine.Value("screenshot");
    if (out.screenshot.empty()) return Invalid("--screenshot", out.screenshot, error);
  }
  if (commandLine.Has("seed")) {
    if (!ReadInteger(commandLine.Value("seed"), 0, UINT32_MAX, number)) {
      return Invalid("--seed", commandLine.Value("seed"), error);
    }
    out.seeded = true;
    out.seed = static_cast<uint32_t>(number);
  }
  out.hosted = commandLine.Hosted();
  out.root = commandLine.Has("root");
  for (const auto& [name, field] : {std::pair{"show-fps", &RunOptions::showFps}, std::pair{"music", &RunOptions::music},
                                    std::pair{"sfx", &RunOptions::sfx}}) {
    if (!ReadSwitch(commandLine, name, out.*field, error)) return false;
  }
  if (commandLine.Has("clock")) {
    const std::string clock = commandLine.Value("clock");
    if (clock != "off" && clock != "12" && clock != "24") return Invalid("--clock", clock, error);
    out.showTime = clock != "off";
    if (clock != "off") out.hour24 = clock == "24";
  }
  if (commandLine.Has("volume")) {
    if (!ReadInteger(commandLine.Value("volume"), 0, 100, number)) {
      return Invalid("--volume", commandLine.Value("volume"), error);
    }
    out.volume = static_cast<int32_t>(number);
  }
  if (commandLine.Has("max-fps")) {
    if (!ReadInteger(commandLine.Value("max-fps"), 0, Settings::MAX_FPS_LIMIT, number)) {
      return Invalid("--max-fps", commandLine.Value("max-fps"), error);
    }
    out.maxFps = static_cast<int32_t>(number);
  }
  if (commandLine.Has("time-step")) {
    const std::string text = commandLine.Value("time-step");
    char* end = nullptr;
    const double step = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(step) || step <= 0.0 || step > 10.0) {
      return Invalid("--time-step", text, error);
    }
    out.timeStep = step;
  }
  if (commandLine.Has("fps-file")) {
    out.fpsFile = commandLine.Value("fps-file");
    if (out.fpsFile.empty()) return Invalid("--fps-file", out.fpsFile, error);
  }
  return true;
}

void RunOptions::Override(Settings& settings) const {
  settings.showFps = showFps.value_or(settings.showFps);
  settings.showTime = showTime.value_or(settings.showTime);
  settings.hour24 = hour24.value_or(settings.hour24);
  settings.music = music.value_or(settings.music);
  settings.sfx = sfx.value_or(settings.sfx);
  settings.volume = volume.value_or(settings.volume);
  settings.maxFps = maxFps.value_or(settings.maxFps);
}

std::string RunOptions::ScreenshotName(int32_t frame) const {
  const size_t at = screenshot.find("%d");
  if (at == std::string::npos) return screenshot;
  return screenshot.substr(0, at) + std::to_string(frame) + screenshot.substr(at + 2);
}

}  // namespace ynx
