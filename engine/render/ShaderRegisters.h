#pragma once

#include <cstdint>

namespace ynx {

// Every constant register the material effects' programs read, in one
// place: the passes fill them and the program texts are built from them.
// Matrices are stored transposed (a register per column of the row-vector
// matrix), since m4x4 and m4x3 take one dot product per register.
//
// Plain and swaying vertex programs (vs_1_1 and vs_2_0):
//   c0-c3    world x view x projection
//   c4-c7    world x view (c6 gives the view depth)
//   c8       colour (unlit effects)
//   c9       (fog density, fog exponent, sway amplitude, sway speed)
//   c10      (sway amplitude, sway speed, time, 0)
//
// Skinned vertex programs (vs_2_0 only; the positions come out in world
// space, so the transforms start there):
//   c0-c3    view x projection
//   c4-c7    view (c6 gives the view depth)
//   c8-c207  bone-to-world matrices, four registers a bone, 50 bones
//   c208     camera position in world space (lit effects)
//   c209     (fog density, fog exponent, 0, 0)
//   c210     colour (unlit effects)
//
// c240 and up: constants the programs define themselves (def); no pass
// sets them. Pixel programs of the unlit effects read no constants.
//
// Vertex inputs: v0 position, v1 blend weights, v2 blend indices, v3 the
// texture coordinates of the effect's set.
struct ShaderRegisters {
  static constexpr int32_t TRANSFORM = 0;
  static constexpr int32_t VIEW_TRANSFORM = 4;
  static constexpr int32_t VIEW_DEPTH = 6;
  static constexpr int32_t MATRIX_REGISTERS = 4;

  static constexpr int32_t COLOR = 8;
  static constexpr int32_t FOG_SWAY = 9;
  static constexpr int32_t SWAY = 10;

  static constexpr int32_t BONES = 8;
  static constexpr int32_t MAX_BONES = 50;
  static constexpr int32_t SKIN_CAMERA = 208;
  static constexpr int32_t SKIN_FOG = 209;
  static constexpr int32_t SKIN_COLOR = 210;

  static constexpr int32_t DEFINED = 240;

  static constexpr int32_t INPUT_POSITION = 0;
  static constexpr int32_t INPUT_BLEND_WEIGHTS = 1;
  static constexpr int32_t INPUT_BLEND_INDICES = 2;
  static constexpr int32_t INPUT_TEXCOORD = 3;
};

}  // namespace ynx
