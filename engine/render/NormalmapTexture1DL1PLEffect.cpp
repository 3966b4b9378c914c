#include "engine/render/NormalmapTexture1DL1PLEffect.h"

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
  return NormalmapProgramText::Vertex(model, variant, NormalmapProgramText::POINT_LIGHT);
}

Light* DirectionalOf(const GeometryNodeEffect& effect) {
  return static_cast<const NormalmapTexture1DL1PLEffect&>(effect).GetLight();
}

Light* PointOf(const GeometryNodeEffect& effect) {
  return static_cast<const NormalmapTexture1DL1PLEffect&>(effect).GetPointLight();
}

Pass* MakeShaderPass(Effect* effect) {
  return new (std::nothrow)
      NormalmapShaderPass(static_cast<NormalmapTexture1DL1PLEffect*>(effect),
                          NormalmapTexture1DL1PLEffect::GetPrograms(), &DirectionalOf, &PointOf);
}

Pass* MakeFixedPass(Effect* effect) {
  return new (std::nothrow)
      LitFixedPass(static_cast<NormalmapTexture1DL1PLEffect*>(effect), &DirectionalOf, &PointOf);
}

}  // namespace

YNX_IMPLEMENT_CLASS(NormalmapTexture1DL1PLEffect, NormalmapTextureEffect)

NormalmapTexture1DL1PLEffect::NormalmapTexture1DL1PLEffect(const String& name)
    : NormalmapTextureEffect(name) {
  AddTechnique(new (std::nothrow)
                   SinglePassTechnique(this, &Texture1DLEffect::CanLight, &MakeFixedPass));
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &NormalmapTexture1DLEffect::CanMapWithShaders, &MakeShaderPass));
}

int32_t NormalmapTexture1DL1PLEffect::Save(MemoryStream& stream) const {
  const FieldWriter parent(stream, *this, NormalmapTextureEffect::Save(stream));
  if (!parent) return parent.Status();
  const int32_t status = Texture1DLEffect::SaveLight(stream, *this, light.Get());
  return status != 0 ? status : Texture1DLEffect::SaveLight(stream, *this, pointLight.Get());
}

int32_t NormalmapTexture1DL1PLEffect::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, NormalmapTextureEffect::Load(stream))
      .Field("Невозможно загрузить источник света.", light)
      .Field("Невозможно загрузить источник света.", pointLight)
      .Status();
}

void NormalmapTexture1DL1PLEffect::ReleaseReferences() {
  light = nullptr;
  pointLight = nullptr;
  NormalmapTextureEffect::ReleaseReferences();
}

void NormalmapTexture1DL1PLEffect::VisitReferences(
    const std::function<void(Object*)>& visit) const {
  NormalmapTextureEffect::VisitReferences(visit);
  if (light) visit(light.Get());
  if (pointLight) visit(pointLight.Get());
}

const ProgramTable& NormalmapTexture1DL1PLEffect::GetPrograms() {
  static const ProgramTable programs(
      &VertexProgram,
      NormalmapProgramText::Pixel(ProgramTable::MODEL_1, NormalmapProgramText::POINT_LIGHT).c_str(),
      NormalmapProgramText::Pixel(ProgramTable::MODEL_2, NormalmapProgramText::POINT_LIGHT).c_str());
  return programs;
}

}  // namespace ynx
