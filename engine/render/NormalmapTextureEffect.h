#pragma once

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/TextureEffect.h"

namespace ynx {

class SkinController;

// A texture effect with a normal map: what the normal-map and parallax
// effects share. It adds no technique (it draws as the texture effect);
// its subclasses light with the map in tangent space.
//
// Streamed after the texture effect's data: the normal map as a reference
// and its coordinate set (int32, 0 to 7).
class NormalmapTextureEffect : public TextureEffect {
  YNX_DECLARE_CLASS(NormalmapTextureEffect);

 public:
  explicit NormalmapTextureEffect(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  Texture* GetNormalMap() const { return normalMap.Get(); }
  // Bound at every draw; the recorded passes stay.
  void SetNormalMap(Texture* value) { normalMap = value; }
  int32_t GetNormalMapTexCoordSet() const { return normalMapTexCoordSet; }
  // The passes' vertex layouts are made anew.
  void SetNormalMapTexCoordSet(int32_t set);

  // The normal map at stage 1 and the geometry's coordinate set
  // normalMapTexCoordSet as set 1.
  void BindNormalMap(Renderer& renderer, GeometryNode& geometry) const;
  // The tangents as coordinate set 2: the skin's bind tangents when the
  // program skins, else the geometry's, computed along texCoordSet first
  // when it has none.
  void BindTangents(Renderer& renderer, GeometryNode& geometry, const SkinController* skin) const;

  // What the normal-map programs need: vertex and pixel shaders and three
  // texture stages.
  static bool CanMapWithShaders(const Renderer& renderer);

 protected:
  // The texture's controllers, then the normal map's.
  void UpdateTextures(double time) override;

 private:
  Ptr<Texture> normalMap;
  int32_t normalMapTexCoordSet = 0;
};

}  // namespace ynx
