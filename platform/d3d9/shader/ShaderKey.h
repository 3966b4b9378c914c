#pragma once

#include <cstddef>
#include <cstdint>

namespace ynx {

// The device state a translated program depends on beyond its tokens: one
// GLSL program is built per (shader, key). The device fills a key from its
// render, texture-stage and sampler states at draw time, masks it with the
// shader's ShaderInterface::keyMask (so that state the shader never looks
// at does not split its cache), and looks the program up by the result.
// Every field is a plain bit field so that masking is a bitwise AND.
struct ShaderKey {
  // Table (per-pixel) fog modes and vertex fog, as the pixel program applies
  // fog after the shader: D3DRS_FOGENABLE off gives NONE; FOGTABLEMODE
  // LINEAR/EXP/EXP2 give TABLE_*; otherwise VERTEX (the interpolated oFog).
  static constexpr uint8_t FOG_NONE = 0;
  static constexpr uint8_t FOG_VERTEX = 1;
  static constexpr uint8_t FOG_TABLE_LINEAR = 2;
  static constexpr uint8_t FOG_TABLE_EXP = 3;
  static constexpr uint8_t FOG_TABLE_EXP2 = 4;

  // The kind of texture on a stage, for ps_1_x (whose tokens do not say).
  static constexpr uint32_t KIND_2D = 0;
  static constexpr uint32_t KIND_CUBE = 1;
  static constexpr uint32_t KIND_VOLUME = 2;

  // D3DCMPFUNC values for alphaFunction; ALWAYS (8) means no alpha test.
  static constexpr uint8_t COMPARE_NEVER = 1;
  static constexpr uint8_t COMPARE_ALWAYS = 8;

  // Vertex programs: bit n set when user clip plane n is enabled
  // (D3DRS_CLIPPLANEENABLE); the planes are in clip space.
  uint8_t clipPlanes = 0;

  // Pixel programs.
  // Bit n: the texture on stage / sampler n is a depth texture; sampling it
  // returns the depth comparison (see DESIGN.md: "Depth textures").
  uint16_t shadowSamplers = 0;
  // ps_1_1 to ps_1_3: 3 bits per stage n (bits 3n..3n+2), the projective
  // divisor of `tex`-style lookups on that stage: 0 none, else the
  // D3DTTFF_COUNTn of a stage with D3DTTFF_PROJECTED (2: divide by y,
  // 3: by z, 4: by w; COUNT1 or DISABLE with PROJECTED: give 4).
  uint32_t projection = 0;
  // ps_1_x: 2 bits per stage n (bits 2n, 2n+1), KIND_* of its texture.
  uint32_t textureKinds = 0;
  uint8_t fog = FOG_NONE;
  // Table fog measures depth as eye distance w (1 / gl_FragCoord.w)
  // instead of z: the device's choice of Direct3D's w-fog rule.
  uint8_t fogFromW = 0;
  uint8_t alphaFunction = COMPARE_ALWAYS;
  // D3DRS_POINTSPRITEENABLE while drawing points: every texture coordinate
  // the pixel program reads is (point u, point v, 0, 1).
  uint8_t pointSprite = 0;
  // D3DRS_SHADEMODE flat: colours v0/v1 are not interpolated.
  uint8_t flatColors = 0;

  bool operator==(const ShaderKey&) const = default;

  // Field by field AND: the key restricted to what a shader depends on.
  ShaderKey Masked(const ShaderKey& mask) const {
    ShaderKey key;
    key.clipPlanes = clipPlanes & mask.clipPlanes;
    key.shadowSamplers = shadowSamplers & mask.shadowSamplers;
    key.projection = projection & mask.projection;
    key.textureKinds = textureKinds & mask.textureKinds;
    key.fog = fog & mask.fog;
    key.fogFromW = fogFromW & mask.fogFromW;
    key.alphaFunction = alphaFunction & mask.alphaFunction;
    key.pointSprite = pointSprite & mask.pointSprite;
    key.flatColors = flatColors & mask.flatColors;
    return key;
  }

  size_t Hash() const {
    uint64_t value = clipPlanes;
    value = value * 0x100000001B3u ^ shadowSamplers;
    value = value * 0x100000001B3u ^ projection;
    value = value * 0x100000001B3u ^ textureKinds;
    value = value * 0x100000001B3u ^ (fog | fogFromW << 8 | alphaFunction << 16 | pointSprite << 24);
    value = value * 0x100000001B3u ^ flatColors;
    return static_cast<size_t>(value ^ value >> 29);
  }

  uint32_t ProjectionOf(uint32_t stage) const { return projection >> (3 * stage) & 0x7; }
  uint32_t KindOf(uint32_t stage) const { return textureKinds >> (2 * stage) & 0x3; }
};

}  // namespace ynx
