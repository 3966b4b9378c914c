#pragma once

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/ColorEffect.h"
#include "engine/render/Texture.h"

namespace ynx {

class GeometryNode;
class Renderer;

// Draws a geometry node unlit, its texture (sampled with the geometry's
// coordinate set texCoordSet) times the colour. Techniques: programs, then
// the fixed pipeline modulating the texture by the stage constant, then the
// colour effect's two.
//
// Streamed after the colour effect's data: the texture as a reference and
// the coordinate set (int32, 0 to 7).
class TextureEffect : public ColorEffect {
  YNX_DECLARE_CLASS(TextureEffect);

 public:
  explicit TextureEffect(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;
  // The geometry effect's update, then UpdateTextures.
  void Update(double time) override;

  Texture* GetTexture() const { return texture.Get(); }
  // Bound at every draw; the recorded passes stay.
  void SetTexture(Texture* value) { texture = value; }
  int32_t GetTexCoordSet() const { return texCoordSet; }
  // The passes' vertex layouts are made anew.
  void SetTexCoordSet(int32_t set);

  // The texture at stage 0 and the geometry's coordinate set
  // texCoordSet as set 0, as every textured pass binds them.
  void BindTexture(Renderer& renderer, GeometryNode& geometry) const;

  static const ProgramTable& GetPrograms();

 protected:
  // Runs the controllers of the textures the effect binds, once per effect
  // update: textures have no update of their own in the frame. Effects
  // binding more textures add theirs.
  virtual void UpdateTextures(double time);

 private:
  Ptr<Texture> texture;
  int32_t texCoordSet = 0;
};

}  // namespace ynx
