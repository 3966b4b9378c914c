#include "platform/d3d9/device/FormatInfo.h"

#include <epoxy/gl.h>

namespace ynx {

namespace {

constexpr uint32_t RGBA[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
constexpr uint32_t RGB1[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ONE};

FormatInfo Make(D3DFORMAT format, uint32_t bytes, uint32_t internal, uint32_t upload, uint32_t type,
                const uint32_t (&swizzle)[4], uint32_t alpha, uint32_t depth, uint32_t stencil, bool target) {
  FormatInfo info;
  info.format = format;
  info.bytesPerPixel = bytes;
  info.internalFormat = internal;
  info.uploadFormat = upload;
  info.uploadType = type;
  for (int i = 0; i < 4; ++i) info.swizzle[i] = swizzle[i];
  info.alphaBits = alpha;
  info.depthBits = depth;
  info.stencilBits = stencil;
  info.renderTarget = target;
  info.texture = true;
  return info;
}

}  // namespace

const FormatInfo* FormatInfo::Find(D3DFORMAT format) {
  // Memory layouts are Direct3D's (little-endian ARGB words), which GL reads
  // as BGRA with reversed packed types.
  static const FormatInfo formats[] = {
      Make(D3DFMT_A8R8G8B8, 4, GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, RGBA, 8, 0, 0, true),
      Make(D3DFMT_X8R8G8B8, 4, GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, RGB1, 0, 0, 0, true),
      Make(D3DFMT_R5G6B5, 2, GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, RGB1, 0, 0, 0, true),
      Make(D3DFMT_A1R5G5B5, 2, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, RGBA, 1, 0, 0, true),
      Make(D3DFMT_X1R5G5B5, 2, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, RGB1, 0, 0, 0, true),
      Make(D3DFMT_A8, 1, GL_R8, GL_RED, GL_UNSIGNED_BYTE, {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED}, 8, 0, 0, false),
      Make(D3DFMT_D16, 2, GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, RGBA, 0, 16, 0, false),
      Make(D3DFMT_D24X8, 4, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, RGBA, 0, 24, 0, false),
      Make(D3DFMT_D24S8, 4, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, RGBA, 0, 24, 8, false),
  };
  for (const FormatInfo& info : formats) {
    if (info.format == format) return &info;
  }
  return nullptr;
}

}  // namespace ynx
