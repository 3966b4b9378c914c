#pragma once

#include <cstdint>

#include "engine/render/DisplayModeDesc.h"
#include "platform/d3d9/device/D3D9Types.h"

namespace ynx {

// The renderer's tables between engine values and device values. Values
// outside an engine enumeration have no device value: callers get false or
// D3DFMT_UNKNOWN and choose their fallback.
class D3D9Mappings {
 public:
  // What a colour or depth format gives a display mode.
  struct ColorBits {
    int32_t color;
    int32_t red;
    int32_t green;
    int32_t blue;
    int32_t alpha;
  };
  struct DepthBits {
    int32_t depth;
    int32_t stencil;
  };

  // The back buffer and the display format of a mode's colour bits.
  static D3DFORMAT BackBufferFormat(const DisplayModeDesc& mode);
  static D3DFORMAT AdapterFormat(const DisplayModeDesc& mode);
  static D3DFORMAT DepthFormat(int32_t depthBits, int32_t stencilBits);
  static bool BitsOf(D3DFORMAT colorFormat, ColorBits& bits);
  static bool BitsOf(D3DFORMAT depthFormat, DepthBits& bits);

  // An image format's texture format.
  static D3DFORMAT TextureFormat(int32_t imageFormat);

  // Primitives drawn from `indices` indices (points, lines, line strip,
  // triangles); false for another primitive type.
  static bool Primitives(int32_t primitiveType, int32_t indices, D3DPRIMITIVETYPE& type,
                         uint32_t& count);
  // Vertices that `count` primitives of the type read.
  static uint64_t VerticesRead(D3DPRIMITIVETYPE type, uint32_t count);

  static bool Blend(int32_t factor, DWORD& value);
  static bool Compare(int32_t function, DWORD& value);
  static bool StencilOp(int32_t operation, DWORD& value);
};

}  // namespace ynx
