#include "engine/render/Texture1DL1PLEffect.h"

#include <new>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/render/LitFixedPass.h"
#include "engine/render/LitProgramText.h"
#include "engine/render/LitShaderPass.h"
#include "engine/render/SinglePassTechnique.h"
#include "engine/render/Texture1DLEffect.h"

namespace ynx {
namespace {

Light* DirectionalOf(const GeometryNodeEffect& effect) {
  return static_cast<const Texture1DL1PLEffect&>(effect).GetLight();
}

Light* PointOf(const GeometryNodeEffect& effect) {
  return static_cast<const Texture1DL1PLEffect&>(effect).GetPointLight();
}

Pass* MakeShaderPass(Effect* effect) {
  return new (std::nothrow) LitShaderPass(static_cast<Texture1DL1PLEffect*>(effect),
                                          Texture1DL1PLEffect::GetPrograms(), &DirectionalOf,
                                          &PointOf);
}

Pass* MakeFixedPass(Effect* effect) {
  return new (std::nothrow)
      LitFixedPass(static_cast<Texture1DL1PLEffect*>(effect), &DirectionalOf, &PointOf);
}

}  // namespace

YNX_IMPLEMENT_CLASS(Texture1DL1PLEffect, TextureEffect)

Texture1DL1PLEffect::Texture1DL1PLEffect(const String& name) : TextureEffect(name) {
  AddTechnique(new (std::nothrow)
                   SinglePassTechnique(this, &Texture1DLEffect::CanLight, &MakeFixedPass));
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &Texture1DLEffect::CanLightWithShaders, &MakeShaderPass));
}

int32_t Texture1DL1PLEffect::Save(MemoryStream& stream) const {
  const FieldWriter parent(stream, *this, TextureEffect::Save(stream));
  if (!parent) return parent.Status();
  const int32_t status = Texture1DLEffect::SaveLight(stream, *this, light.Get());
  return status != 0 ? status : Texture1DLEffect::SaveLight(stream, *this, pointLight.Get());
}

int32_t Texture1DL1PLEffect::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, TextureEffect::Load(stream))
      .Field("Невозможно загрузить источник света.", light)
      .Field("Невозможно загрузить источник света.", pointLight)
      .Status();
}

void Texture1DL1PLEffect::ReleaseReferences() {
  light = nullptr;
  pointLight = nullptr;
  TextureEffect::ReleaseReferences();
}

void Texture1DL1PLEffect::VisitReferences(const std::function<void(Object*)>& visit) const {
  TextureEffect::VisitReferences(visit);
  if (light) visit(light.Get());
  if (pointLight) visit(pointLight.Get());
}

const ProgramTable& Texture1DL1PLEffect::GetPrograms() {
  return LitProgramText::Programs(LitProgramText::POINT_LIGHT);
}

}  // namespace ynx
