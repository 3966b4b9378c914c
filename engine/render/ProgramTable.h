#pragma once

#include <cstdint>
#include <string>

namespace ynx {

class GeometryNodeEffect;

// The programs of one effect's shader technique: a vertex program for each
// variant and model and a pixel program for each model, made once and kept
// for the life of the process, since shaders point at their text.
class ProgramTable {
 public:
  enum Variant : int32_t { PLAIN = 0, SWAYING = 1, SKINNED = 2, VARIANT_COUNT = 3 };
  // Shader models: 1.x and 2.0. Devices with 3.0 run the 2.0 programs.
  enum Model : int32_t { MODEL_1 = 0, MODEL_2 = 1, MODEL_COUNT = 2 };
  using VertexBuilder = std::string (*)(Model model, Variant variant);

  // Vertex programs for every variant and model from `vertex`, except that
  // skinning has no 1.1 program: that entry holds the plain 1.1 one.
  ProgramTable(VertexBuilder vertex, const char* pixel1, const char* pixel2);

  // What an effect draws with at a program level (Renderer::
  // GetProgramLevel): swaying wins, then skinning where the effect skins on
  // the device (GeometryNodeEffect::SkinsOnDevice).
  static Variant Select(const GeometryNodeEffect& effect, int32_t programLevel);
  // The programs for a program level, vertex and pixel alike; null for no
  // shaders.
  const char* Vertex(Variant variant, int32_t programLevel) const;
  const char* Pixel(int32_t programLevel) const;
  // The model of a program level; -1 for no shaders.
  static int32_t ModelOf(int32_t programLevel);

 private:
  std::string vertex[VARIANT_COUNT][MODEL_COUNT];
  std::string pixel[MODEL_COUNT];
};

}  // namespace ynx
