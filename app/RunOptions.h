#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ynx {

class ProcessCommandLine;
struct Settings;

// This platform's options for a run of the show, read from the long options
// before the switch grammar and from the environment xscreensaver sets.
struct RunOptions {
  // In a framed window instead of full screen, of this client size.
  bool windowed = false;
  int32_t width = 640;
  int32_t height = 480;
  // An X11 window to draw the show into (0: none).
  uint64_t windowId = 0;
  // Started by xscreensaver: the show runs without a switch.
  bool hosted = false;
  // "-root": without a window named, the show goes into the root window.
  bool root = false;
  // Stop after this many frames of the show (0: when the user ends it).
  int32_t frames = 0;
  // PNG of the last frame; with "%d" in the name, of every frame, the
  // loading frame numbered 0.
  std::string screenshot;
  bool seeded = false;
  uint32_t seed = 0;
  // Seconds each frame advances the show (0: the clock's).
  double timeStep = 0.0;
  // Rewritten about once a second with the frames and the seconds they
  // took (empty: none).
  std::string fpsFile;
  // Settings for this run only, over the stored ones.
  std::optional<bool> showFps;
  std::optional<bool> showTime;
  std::optional<bool> hour24;
  std::optional<bool> music;
  std::optional<bool> sfx;
  std::optional<int32_t> volume;
  std::optional<int32_t> maxFps;

  // False, with the reason in `error`, for a value that does not read.
  // `windowEnvironment` is XSCREENSAVER_WINDOW's value, or null.
  static bool Parse(const ProcessCommandLine& commandLine, const char* windowEnvironment,
                    RunOptions& out, std::string& error);

  // The settings of this run: the stored ones with the options over them.
  void Override(Settings& settings) const;

  bool CapturesEveryFrame() const { return screenshot.find("%d") != std::string::npos; }
  // The file for that frame.
  std::string ScreenshotName(int32_t frame) const;
};

}  // namespace ynx
