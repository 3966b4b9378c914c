#include "engine/render/ParallaxTexture1DLEffect.h"

#include <new>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/render/LitFixedPass.h"
#include "engine/render/NormalmapProgramText.h"
#include "engine/render/NormalmapShaderPass.h"
#include "engine/render/NormalmapTexture1DLEffect.h"
#include "engine/render/SinglePassTechnique.h"
#include "engine/render/Texture1DLEffect.h"

namespace ynx {
namespace {

std::string VertexProgram(ProgramTable::Model model, ProgramTable::Variant variant) {
  return NormalmapProgramText::Vertex(model, variant, NormalmapProgramText::PARALLAX);
}

Light* LightOf(const GeometryNodeEffect& effect) {
  return static_cast<const ParallaxTexture1DLEffect&>(effect).GetLight();
}

Pass* MakeShaderPass(Effect* effect) {
  return new (std::nothrow) NormalmapShaderPass(static_cast<ParallaxTexture1DLEffect*>(effect),
                                                ParallaxTexture1DLEffect::GetPrograms(), &LightOf);
}

Pass* MakeFixedPass(Effect* effect) {
  return new (std::nothrow) LitFixedPass(static_cast<ParallaxTexture1DLEffect*>(effect), &LightOf);
}

}  // namespace

YNX_IMPLEMENT_CLASS(ParallaxTexture1DLEffect, ParallaxTextureEffect)

ParallaxTexture1DLEffect::ParallaxTexture1DLEffect(const String& name)
    : ParallaxTextureEffect(name) {
  AddTechnique(new (std::nothrow)
                   SinglePassTechnique(this, &Texture1DLEffect::CanLight, &MakeFixedPass));
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &NormalmapTexture1DLEffect::CanMapWithShaders, &MakeShaderPass));
}

int32_t ParallaxTexture1DLEffect::Save(MemoryStream& stream) const {
  const FieldWriter parent(stream, *this, ParallaxTextureEffect::Save(stream));
  return parent ? Texture1DLEffect::SaveLight(stream, *this, light.Get()) : parent.Status();
}

int32_t ParallaxTexture1DLEffect::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, ParallaxTextureEffect::Load(stream))
      .Field("Невозможно загрузить источник света.", light)
      .Status();
}

void ParallaxTexture1DLEffect::ReleaseReferences() {
  light = nullptr;
  ParallaxTextureEffect::ReleaseReferences();
}

void ParallaxTexture1DLEffect::VisitReferences(const std::function<void(Object*)>& visit) const {
  ParallaxTextureEffect::VisitReferences(visit);
  if (light) visit(light.Get());
}

const ProgramTable& ParallaxTexture1DLEffect::GetPrograms() {
  static const ProgramTable programs(
      &VertexProgram,
      NormalmapProgramText::Pixel(ProgramTable::MODEL_1, NormalmapProgramText::PARALLAX).c_str(),
      NormalmapProgramText::Pixel(ProgramTable::MODEL_2, NormalmapProgramText::PARALLAX).c_str());
  return programs;
}

}  // namespace ynx
