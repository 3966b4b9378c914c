#pragma once

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/Texture.h"

namespace ynx {

// Draws particle sprites, additively blended (source alpha, one): the
// geometry's positions (world space), colours and point sizes, with the
// texture on stage 0 modulated by the vertex colour. Its one pass, on the
// fixed pipeline, switches point sprites on, so a point list is drawn as
// textured squares; a triangle list of quads draws the same.
//
// Streamed after the geometry-node effect's data: the texture as a
// reference.
class SpriteEffect : public GeometryNodeEffect {
  YNX_DECLARE_CLASS(SpriteEffect);

 public:
  explicit SpriteEffect(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  Texture* GetTexture() const { return texture.Get(); }
  void SetTexture(Texture* value) { texture = value; }

 private:
  Ptr<Texture> texture;
};

}  // namespace ynx
