#pragma once

#include <cstdint>

#include "engine/render/LitEffect.h"
#include "engine/render/TextureEffect.h"

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
class Texture1DL1PLEffect : public LitEffect<TextureEffect, 2> {
  YNX_DECLARE_CLASS(Texture1DL1PLEffect);

 public:
  explicit Texture1DL1PLEffect(const String& name = String());

  static const ProgramTable& GetPrograms();
};

}  // namespace ynx
