#pragma once

#include <cstdint>
#include <string>

#include "platform/d3d9/device/FixedFunctionKey.h"

namespace ynx {

// The Direct3D 9 fixed-function pipeline as GLSL 4.50 core: a vertex
// program per FixedFunctionKey::Vertex and a fragment program per
// FixedFunctionKey::Pixel. Both keep the contract of translated programs
// (ShaderInterface: varyings, the shared state blocks, position fix-up, fog
// and alpha test in the pixel program), so either links with a translated
// program of the other stage. Their own values come from the blocks of
// FixedFunctionUniforms. No GL context is needed.
class FixedFunctionProgram {
 public:
  // Attribute locations of the vertex program's inputs, by declaration
  // usage: POSITION or POSITIONT 0, NORMAL 1, COLOR0 2, COLOR1 3, PSIZE 4,
  // TEXCOORD n 5 + n.
  static constexpr uint32_t POSITION_LOCATION = 0;
  static constexpr uint32_t NORMAL_LOCATION = 1;
  static constexpr uint32_t DIFFUSE_LOCATION = 2;
  static constexpr uint32_t SPECULAR_LOCATION = 3;
  static constexpr uint32_t POINT_SIZE_LOCATION = 4;
  static constexpr uint32_t TEXCOORD_LOCATION = 5;

  // The location of a declaration element, or -1 for one the fixed-function
  // pipeline never reads (blend weights, tangents, ...).
  static int32_t AttributeLocation(uint8_t usage, uint8_t usageIndex);

  static std::string VertexSource(const FixedFunctionKey::Vertex& key);
  static std::string PixelSource(const FixedFunctionKey::Pixel& key);
};

}  // namespace ynx
