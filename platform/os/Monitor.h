#pragma once

#include <cstdint>
#include <vector>

namespace ynx {

// The monitors of the desktop, the primary first. On X11 these are RandR's
// monitors, which may split one output (a screen shared by two panels, a
// virtual server) or join several (a tiled panel); SDL only knows outputs.
// Rectangles are in X's desktop coordinates.
struct Monitor {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  // The SDL display that holds the monitor's centre.
  int32_t sdlDisplay = 0;
  // Whether that display is exactly this monitor: only then can its mode
  // change; a monitor that is part of a display runs in the display's mode.
  bool wholeDisplay = true;

  // Empty before SDL's video starts; read once a process, when first asked.
  static std::vector<Monitor> List();
  // Index into `monitors` of the one holding the point; -1 for none.
  static int32_t Find(const std::vector<Monitor>& monitors, int32_t x, int32_t y);
};

}  // namespace ynx
