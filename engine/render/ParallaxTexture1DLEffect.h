#pragma once

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/ParallaxTextureEffect.h"
#include "engine/scene/Light.h"

namespace ynx {

// NormalmapTexture1DLEffect with parallax: both coordinate sets shifted by
// the tangent-space view vector times (height x scale - bias), the height
// in the normal map's alpha (see NormalmapProgramText for what each shader
// level computes). The same techniques and needs as the normal-map
// effect's.
//
// Streamed after the parallax effect's data: the light as a reference.
class ParallaxTexture1DLEffect : public ParallaxTextureEffect {
  YNX_DECLARE_CLASS(ParallaxTexture1DLEffect);

 public:
  explicit ParallaxTexture1DLEffect(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  Light* GetLight() const { return light.Get(); }
  // Read at every draw; the recorded passes stay.
  void SetLight(Light* value) { light = value; }

  static const ProgramTable& GetPrograms();

 private:
  Ptr<Light> light;
};

}  // namespace ynx
