#pragma once

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/TextureEffect.h"
#include "engine/scene/Light.h"

namespace ynx {

// Draws a geometry node textured and lit by one directional light
// (Blinn-Phong with the effect's material; see LitProgramText).
// Techniques: programs (shaders, two texture stages, one light), the fixed
// pipeline's lighting (two stages, one light), then the texture effect's
// two and the colour effect's two. Without a light the programs light with
// zero colours and the fixed pass pushes nothing.
//
// Streamed after the texture effect's data: the light as a reference.
class Texture1DLEffect : public TextureEffect {
  YNX_DECLARE_CLASS(Texture1DLEffect);

 public:
  explicit Texture1DLEffect(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  Light* GetLight() const { return light.Get(); }
  // Read at every draw; the recorded passes stay.
  void SetLight(Light* value) { light = value; }

  static const ProgramTable& GetPrograms();

  // What the lit techniques need: two texture stages and a light, and for
  // the programs vertex and pixel shaders as well.
  static bool CanLight(const Renderer& renderer);
  static bool CanLightWithShaders(const Renderer& renderer);
  // The light of a Texture1DLEffect, for the passes.
  static Light* LightOf(const GeometryNodeEffect& effect);
  // Writes a light reference; a failure names the light (the owner when
  // there is none), as the lit effects report theirs.
  static int32_t SaveLight(MemoryStream& stream, const Object& owner, const Light* light);

 private:
  Ptr<Light> light;
};

}  // namespace ynx
