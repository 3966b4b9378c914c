#include "engine/render/NormalmapTexture1DLEffect.h"

#include <new>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/render/LitFixedPass.h"
#include "engine/render/NormalmapProgramText.h"
#include "engine/render/NormalmapShaderPass.h"
#include "engine/render/Renderer.h"
#include "engine/render/SinglePassTechnique.h"
#include "engine/render/Texture1DLEffect.h"

namespace ynx {
namespace {

std::string VertexProgram(ProgramTable::Model model, ProgramTable::Variant variant) {
  return NormalmapProgramText::Vertex(model, variant, NormalmapProgramText::NORMAL_MAP);
}

Light* LightOf(const GeometryNodeEffect& effect) {
  return static_cast<const NormalmapTexture1DLEffect&>(effect).GetLight();
}

Pass* MakeShaderPass(Effect* effect) {
  return new (std::nothrow) NormalmapShaderPass(static_cast<NormalmapTexture1DLEffect*>(effect),
                                                NormalmapTexture1DLEffect::GetPrograms(), &LightOf);
}

Pass* MakeFixedPass(Effect* effect) {
  return new (std::nothrow) LitFixedPass(static_cast<NormalmapTexture1DLEffect*>(effect), &LightOf);
}

}  // namespace

YNX_IMPLEMENT_CLASS(NormalmapTexture1DLEffect, NormalmapTextureEffect)

NormalmapTexture1DLEffect::NormalmapTexture1DLEffect(const String& name)
    : NormalmapTextureEffect(name) {
  AddTechnique(new (std::nothrow)
                   SinglePassTechnique(this, &Texture1DLEffect::CanLight, &MakeFixedPass));
  AddTechnique(new (std::nothrow) SinglePassTechnique(this, &CanMapWithShaders, &MakeShaderPass));
}

int32_t NormalmapTexture1DLEffect::Save(MemoryStream& stream) const {
  const FieldWriter parent(stream, *this, NormalmapTextureEffect::Save(stream));
  return parent ? Texture1DLEffect::SaveLight(stream, *this, light.Get()) : parent.Status();
}

int32_t NormalmapTexture1DLEffect::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, NormalmapTextureEffect::Load(stream))
      .Field("Невозможно загрузить источник света.", light)
      .Status();
}

void NormalmapTexture1DLEffect::ReleaseReferences() {
  light = nullptr;
  NormalmapTextureEffect::ReleaseReferences();
}

void NormalmapTexture1DLEffect::VisitReferences(const std::function<void(Object*)>& visit) const {
  NormalmapTextureEffect::VisitReferences(visit);
  if (light) visit(light.Get());
}

const ProgramTable& NormalmapTexture1DLEffect::GetPrograms() {
  static const ProgramTable programs(
      &VertexProgram,
      NormalmapProgramText::Pixel(ProgramTable::MODEL_1, NormalmapProgramText::NORMAL_MAP).c_str(),
      NormalmapProgramText::Pixel(ProgramTable::MODEL_2, NormalmapProgramText::NORMAL_MAP).c_str());
  return programs;
}

bool NormalmapTexture1DLEffect::CanMapWithShaders(const Renderer& renderer) {
  return renderer.HasShaders() && renderer.GetMaxTextureStages() >= 3;
}

}  // namespace ynx
