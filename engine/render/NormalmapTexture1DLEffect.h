#pragma once

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/NormalmapTextureEffect.h"
#include "engine/scene/Light.h"

namespace ynx {

// A texture lit by one directional light with the normal from a normal
// map, in tangent space (see NormalmapProgramText for what each shader
// level computes). Techniques: programs (shaders and three texture
// stages), the lit fixed pass of Texture1DLEffect (two stages and a light;
// the map is not used there), then the texture effect's two and the
// colour effect's two.
//
// Streamed after the normal-map effect's data: the light as a reference.
class NormalmapTexture1DLEffect : public NormalmapTextureEffect {
  YNX_DECLARE_CLASS(NormalmapTexture1DLEffect);

 public:
  explicit NormalmapTexture1DLEffect(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  Light* GetLight() const { return light.Get(); }
  // Read at every draw; the recorded passes stay.
  void SetLight(Light* value) { light = value; }

  static const ProgramTable& GetPrograms();

  // What the normal-map programs need: vertex and pixel shaders and three
  // texture stages.
  static bool CanMapWithShaders(const Renderer& renderer);

 private:
  Ptr<Light> light;
};

}  // namespace ynx
