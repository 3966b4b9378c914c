#pragma once

#include <cstdint>

#include "engine/render/LitEffect.h"
#include "engine/render/ParallaxTextureEffect.h"

namespace ynx {

// NormalmapTexture1DLEffect with parallax: both coordinate sets shifted by
// the tangent-space view vector times (height x scale - bias), the height
// in the normal map's alpha (see NormalmapProgramText for what each shader
// level computes). The same techniques and needs as the normal-map
// effect's.
//
// Streamed after the parallax effect's data: the light as a reference.
class ParallaxTexture1DLEffect : public LitEffect<ParallaxTextureEffect, 1> {
  YNX_DECLARE_CLASS(ParallaxTexture1DLEffect);

 public:
  explicit ParallaxTexture1DLEffect(const String& name = String());

  static const ProgramTable& GetPrograms();
};

}  // namespace ynx
