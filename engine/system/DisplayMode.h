#pragma once

#include <cstdint>

namespace ynx {

// A mode of one display (a monitor) as the operating system lists it.
// Display 0 is the primary monitor, the others follow in the desktop's
// order. A monitor that is only part of what the graphics system drives
// lists one mode, the desktop's, at its own size.
struct DisplayMode {
  // Indices of Read beside the list itself: the mode in use, and the mode
  // the desktop started in, to which a display returns when full screen ends.
  static constexpr int32_t CURRENT = -1;
  static constexpr int32_t STORED = -2;

  // The display's top-left corner on the desktop, as Windows counts it:
  // relative to the primary display's.
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  // Bits a pixel takes in memory, as Windows counts them: 32 for X8R8G8B8.
  int32_t colorBits = 0;
  // Hz; 0 when the display does not say.
  int32_t refreshRate = 0;

  // 0 without a display (or without SDL's video).
  static int32_t CountDisplays();
  // Entry `index` (0 upwards) of the display's modes, or CURRENT or STORED;
  // false past the last entry or for a display that is not there.
  static bool Read(int32_t display, int32_t index, DisplayMode& mode);
  // Whether the display can run in the mode; nothing is switched here.
  static bool Test(int32_t display, const DisplayMode& mode);
};

}  // namespace ynx
