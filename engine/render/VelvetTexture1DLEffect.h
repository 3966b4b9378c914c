#pragma once

#include <cstdint>

#include "engine/math/Color.h"
#include "engine/render/Texture1DLEffect.h"

namespace ynx {

// A lit texture with a velvet sheen: on top of the directional light, a
// wrapped scatter term max(0, smoothstep(saturate((N.L + wrap) / (1 +
// wrap))) - smoothstep(saturate(N.L))) times the texture and the velvet
// colour, and a rim term (1 - N.V) times the velvet colour and the light's
// diffuse colour. Techniques: its programs (as the lit effect's need), then
// the lit effect's.
//
// Streamed after the lit effect's data: the velvet colour and the wrap
// (float).
class VelvetTexture1DLEffect : public Texture1DLEffect {
  YNX_DECLARE_CLASS(VelvetTexture1DLEffect);

 public:
  explicit VelvetTexture1DLEffect(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;

  const Color& GetVelvetColor() const { return velvetColor; }
  float GetVelvetWrap() const { return velvetWrap; }
  // Read at every draw.
  void SetVelvet(const Color& color, float wrap) {
    velvetColor = color;
    velvetWrap = wrap;
  }

  static const ProgramTable& GetPrograms();

 private:
  Color velvetColor{1.0f, 1.0f, 1.0f, 1.0f};
  float velvetWrap = 0.0f;
};

}  // namespace ynx
