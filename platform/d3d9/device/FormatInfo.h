#pragma once

#include <cstdint>

#include "platform/d3d9/device/D3D9Types.h"

namespace ynx {

// What the device knows of a surface format: its size in memory and how GL
// stores it (GL enums as plain numbers, so that no GL type leaks out).
struct FormatInfo {
  D3DFORMAT format = D3DFMT_UNKNOWN;
  uint32_t bytesPerPixel = 0;
  uint32_t internalFormat = 0;  // GL sized internal format
  uint32_t uploadFormat = 0;    // GL pixel transfer format and type
  uint32_t uploadType = 0;
  uint32_t swizzle[4] = {};     // GL texture swizzle of r, g, b, a
  uint32_t alphaBits = 0;
  uint32_t depthBits = 0;
  uint32_t stencilBits = 0;
  bool renderTarget = false;  // usable as colour target and back buffer
  bool texture = false;       // samplable

  bool IsDepth() const { return depthBits != 0; }

  // Null for formats the device does not support.
  static const FormatInfo* Find(D3DFORMAT format);
};

}  // namespace ynx
