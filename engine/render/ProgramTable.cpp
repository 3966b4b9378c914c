#include "engine/render/ProgramTable.h"

#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/Renderer.h"

namespace ynx {

int32_t ProgramTable::ModelOf(int32_t level) {
  if (level == Renderer::SHADER_1) return MODEL_1;
  if (level == Renderer::SHADER_2 || level == Renderer::SHADER_3) return MODEL_2;
  return -1;
}

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

ProgramTable::Variant ProgramTable::Select(const GeometryNodeEffect& effect, int32_t programLevel) {
  if (effect.GetSway()) return SWAYING;
  return effect.SkinsOnDevice(programLevel) ? SKINNED : PLAIN;
}

const char* ProgramTable::Vertex(Variant variant, int32_t programLevel) const {
  const int32_t model = ModelOf(programLevel);
  return model < 0 ? nullptr : vertex[variant][model].c_str();
}

const char* ProgramTable::Pixel(int32_t programLevel) const {
  const int32_t model = ModelOf(programLevel);
  return model < 0 ? nullptr : pixel[model].c_str();
}

}  // namespace ynx
