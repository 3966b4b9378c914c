#include "engine/render/ProgramTable.h"

#include "engine/render/Renderer.h"

namespace ynx {
namespace {

// -1 for a renderer without shaders.
int32_t ModelOf(int32_t level) {
  if (level == Renderer::SHADER_1) return ProgramTable::MODEL_1;
  if (level == Renderer::SHADER_2 || level == Renderer::SHADER_3) return ProgramTable::MODEL_2;
  return -1;
}

}  // namespace

ProgramTable::ProgramTable(VertexBuilder build, const char* pixel1, const char* pixel2)
    : pixel{pixel1, pixel2} {
  for (int32_t variant = 0; variant < VARIANT_COUNT; ++variant) {
    for (int32_t model = 0; model < MODEL_COUNT; ++model) {
      const bool noSkinning = variant == SKINNED && model == MODEL_1;
      vertex[variant][model] =
          build(static_cast<Model>(model), noSkinning ? PLAIN : static_cast<Variant>(variant));
    }
  }
}

ProgramTable::Variant ProgramTable::Select(bool sway, bool skin, int32_t vertexShaderLevel) {
  if (sway) return SWAYING;
  return skin && ModelOf(vertexShaderLevel) == MODEL_2 ? SKINNED : PLAIN;
}

const char* ProgramTable::Vertex(Variant variant, int32_t vertexShaderLevel) const {
  const int32_t model = ModelOf(vertexShaderLevel);
  return model < 0 ? nullptr : vertex[variant][model].c_str();
}

const char* ProgramTable::Pixel(int32_t pixelShaderLevel) const {
  const int32_t model = ModelOf(pixelShaderLevel);
  return model < 0 ? nullptr : pixel[model].c_str();
}

}  // namespace ynx
