#pragma once

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/NormalmapTextureEffect.h"
#include "engine/scene/Light.h"

namespace ynx {

// A texture lit by one directional and one point light with the normal
// from a normal map, both lights in tangent space, the point light
// attenuated as in Texture1DL1PLEffect (see NormalmapProgramText for what
// each shader level computes). Techniques: programs (shaders and three
// texture stages), the lit fixed pass with both lights pushed (two stages
// and a light), then the texture effect's two and the colour effect's two.
//
// Streamed after the normal-map effect's data: the directional light,
// then the point light, as references.
class NormalmapTexture1DL1PLEffect : public NormalmapTextureEffect {
  YNX_DECLARE_CLASS(NormalmapTexture1DL1PLEffect);

 public:
  explicit NormalmapTexture1DL1PLEffect(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  Light* GetLight() const { return light.Get(); }
  Light* GetPointLight() const { return pointLight.Get(); }
  // Read at every draw.
  void SetLights(Light* directional, Light* point) {
    light = directional;
    pointLight = point;
  }

  static const ProgramTable& GetPrograms();

 private:
  Ptr<Light> light;
  Ptr<Light> pointLight;
};

}  // namespace ynx
