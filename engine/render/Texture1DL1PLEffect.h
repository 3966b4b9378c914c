#pragma once

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/TextureEffect.h"
#include "engine/scene/Light.h"

namespace ynx {

// A texture lit by one directional light and one point light: the point
// light's ambient, diffuse and specular terms are attenuated by 1 /
// (constant + linear x d + quadratic x d^2) with the light's factors, d
// the distance to it. Techniques: programs, the fixed pipeline's lighting
// with both lights pushed, then the texture effect's two and the colour
// effect's two (the same needs as Texture1DLEffect's).
//
// Streamed after the texture effect's data: the directional light, then
// the point light, as references.
class Texture1DL1PLEffect : public TextureEffect {
  YNX_DECLARE_CLASS(Texture1DL1PLEffect);

 public:
  explicit Texture1DL1PLEffect(const String& name = String());

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
