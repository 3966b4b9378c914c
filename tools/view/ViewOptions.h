#pragma once

#include <cstdint>
#include <string>

namespace ynx::tools {

// What ynx-view was asked to do, from its command line.
struct ViewOptions {
  // A scene file, or an archive holding one.
  std::string path;
  // The scene file inside the archive.
  std::string entry = "Main.STR";
  bool archive = false;
  int32_t width = 800;
  int32_t height = 600;
  // Scene time of the first frame, in seconds.
  double startTime = 0.0;
  // Seconds per frame; 0 follows the clock.
  double step = 0.0;
  // Frames to draw before exiting; 0 runs until the window closes.
  int32_t frames = 0;
  // PNG of the last frame, or of every frame when the name holds "%d".
  std::string screenshot;
  bool stats = false;
  // The camera set, counted from 1, that the scene's screensaver controller
  // starts on; 0 shows the first camera.
  int32_t set = 0;
  // A line written over every frame, in glyphs cut from the picture named
  // by `font` (16 x 16 cells, byte c in column c mod 16, row c div 16 from
  // the top), found like the scene's pictures.
  std::string text;
  std::string font;

  // False with the reason in `error` for a command line that asks nothing
  // sensible; `help` is set for --help.
  static bool Parse(int argc, const char* const* argv, ViewOptions& out, bool& help,
                    std::string& error);
  // The screenshot's name for a frame (counted from 1).
  std::string ScreenshotName(int32_t frame) const;
  // Whether this frame is written.
  bool Captures(int32_t frame) const;
};

}  // namespace ynx::tools
