#include "engine/render/Texture1DLEffect.h"

#include <new>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/render/LitFixedPass.h"
#include "engine/render/LitProgramText.h"
#include "engine/render/LitShaderPass.h"
#include "engine/render/Renderer.h"
#include "engine/render/SinglePassTechnique.h"

namespace ynx {
namespace {

Pass* MakeShaderPass(Effect* effect) {
  return new (std::nothrow) LitShaderPass(static_cast<Texture1DLEffect*>(effect),
                                          Texture1DLEffect::GetPrograms(),
                                          &Texture1DLEffect::LightOf);
}

Pass* MakeFixedPass(Effect* effect) {
  return new (std::nothrow)
      LitFixedPass(static_cast<Texture1DLEffect*>(effect), &Texture1DLEffect::LightOf);
}

}  // namespace

YNX_IMPLEMENT_CLASS(Texture1DLEffect, TextureEffect)

Texture1DLEffect::Texture1DLEffect(const String& name) : TextureEffect(name) {
  AddTechnique(new (std::nothrow) SinglePassTechnique(this, &CanLight, &MakeFixedPass));
  AddTechnique(new (std::nothrow) SinglePassTechnique(this, &CanLightWithShaders, &MakeShaderPass));
}

int32_t Texture1DLEffect::SaveLight(MemoryStream& stream, const Object& owner, const Light* light) {
  return FieldWriter(stream, light != nullptr ? light : &owner)
      .Field("Невозможно сохранить источник света. Имя[%s] ID[%d]", light)
      .Status();
}

int32_t Texture1DLEffect::Save(MemoryStream& stream) const {
  const FieldWriter parent(stream, *this, TextureEffect::Save(stream));
  return parent ? SaveLight(stream, *this, light.Get()) : parent.Status();
}

int32_t Texture1DLEffect::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, TextureEffect::Load(stream))
      .Field("Невозможно загрузить источник света.", light)
      .Status();
}

void Texture1DLEffect::ReleaseReferences() {
  light = nullptr;
  TextureEffect::ReleaseReferences();
}

void Texture1DLEffect::VisitReferences(const std::function<void(Object*)>& visit) const {
  TextureEffect::VisitReferences(visit);
  if (light) visit(light.Get());
}

const ProgramTable& Texture1DLEffect::GetPrograms() {
  return LitProgramText::Programs(LitProgramText::DIRECTIONAL);
}

bool Texture1DLEffect::CanLight(const Renderer& renderer) {
  return renderer.GetMaxTextureStages() >= 2 && renderer.GetMaxLights() >= 1;
}

bool Texture1DLEffect::CanLightWithShaders(const Renderer& renderer) {
  return renderer.HasShaders() && CanLight(renderer);
}

Light* Texture1DLEffect::LightOf(const GeometryNodeEffect& effect) {
  return static_cast<const Texture1DLEffect&>(effect).GetLight();
}

}  // namespace ynx
