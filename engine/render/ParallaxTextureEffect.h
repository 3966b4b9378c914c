#pragma once

#include <cstdint>

#include "engine/render/NormalmapTextureEffect.h"

namespace ynx {

// A normal-map effect whose map carries a height in its alpha: the
// parallax effects shift both coordinate sets by the view vector times
// (height x parallaxScale - parallaxBias). No technique of its own.
//
// Streamed after the normal-map effect's data: scale and bias, float32
// each.
class ParallaxTextureEffect : public NormalmapTextureEffect {
  YNX_DECLARE_CLASS(ParallaxTextureEffect);

 public:
  explicit ParallaxTextureEffect(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;

  float GetParallaxScale() const { return parallaxScale; }
  float GetParallaxBias() const { return parallaxBias; }
  // Read at every draw.
  void SetParallax(float scale, float bias) {
    parallaxScale = scale;
    parallaxBias = bias;
  }

 private:
  // A relief of 4 % of the texture, centred on the surface.
  float parallaxScale = 0.04f;
  float parallaxBias = 0.02f;
};

}  // namespace ynx
