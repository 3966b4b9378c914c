#include "engine/render/NormalmapTextureEffect.h"

#include "engine/animation/SkinController.h"
#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/render/Renderer.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(NormalmapTextureEffect, TextureEffect)

NormalmapTextureEffect::NormalmapTextureEffect(const String& name) : TextureEffect(name) {}

int32_t NormalmapTextureEffect::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, TextureEffect::Save(stream))
      .Field("Невозможно сохранить текстуру. Имя[%s] ID[%d]", normalMap)
      .Field("Невозможно сохранить номер набора текстурных координат. Имя[%s] ID[%d]",
             normalMapTexCoordSet)
      .Status();
}

int32_t NormalmapTextureEffect::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, TextureEffect::Load(stream))
      .Field("Невозможно загрузить текстуру. ID[%d] Имя[%s]", normalMap)
      .Checked("Невозможно загрузить номер набора текстурных координат. ID[%d] Имя[%s]",
               normalMapTexCoordSet,
               [&] {
                 return normalMapTexCoordSet >= 0 &&
                        normalMapTexCoordSet < GeometryNode::TEXTURE_SET_COUNT;
               })
      .Status();
}

void NormalmapTextureEffect::ReleaseReferences() {
  normalMap = nullptr;
  TextureEffect::ReleaseReferences();
}

void NormalmapTextureEffect::VisitReferences(const std::function<void(Object*)>& visit) const {
  TextureEffect::VisitReferences(visit);
  if (normalMap) visit(normalMap.Get());
}

void NormalmapTextureEffect::UpdateTextures(double time) {
  TextureEffect::UpdateTextures(time);
  if (normalMap) normalMap->UpdateControllers(time);
}

void NormalmapTextureEffect::SetNormalMapTexCoordSet(int32_t set) {
  normalMapTexCoordSet = set;
  MarkPassesDirty();
}

void NormalmapTextureEffect::BindNormalMap(Renderer& renderer, GeometryNode& geometry) const {
  renderer.SetTexCoordStream(geometry.GetTexCoords(normalMapTexCoordSet), 1);
  renderer.SetTexture(normalMap.Get(), 1);
}

void NormalmapTextureEffect::BindTangents(Renderer& renderer, GeometryNode& geometry,
                                          const SkinController* skin) const {
  if (skin != nullptr) {
    renderer.SetTexCoordStream(skin->GetBindTangents(), 2);
    return;
  }
  if (geometry.GetTangents() == nullptr) geometry.ComputeTangents(GetTexCoordSet());
  renderer.SetTexCoordStream(geometry.GetTangents(), 2);
}

bool NormalmapTextureEffect::CanMapWithShaders(const Renderer& renderer) {
  return renderer.HasShaders() && renderer.GetMaxTextureStages() >= 3;
}

}  // namespace ynx
