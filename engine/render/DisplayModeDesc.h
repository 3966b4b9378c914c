#pragma once

#include <cstdint>

namespace ynx {

// One mode the device can run in, as the renderer lists it. Windowed modes
// carry only their bit counts: Open takes the size it is given.
struct DisplayModeDesc {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool fullscreen = false;
  int32_t colorBits = 0;
  int32_t redBits = 0;
  int32_t greenBits = 0;
  int32_t blueBits = 0;
  int32_t alphaBits = 0;
  int32_t depthBits = 0;
  int32_t stencilBits = 0;
  // 1 without multisampling, n for n samples.
  int32_t samples = 1;
};

}  // namespace ynx
