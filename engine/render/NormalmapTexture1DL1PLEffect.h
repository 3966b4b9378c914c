#pragma once

#include <cstdint>

#include "engine/render/LitEffect.h"
#include "engine/render/NormalmapTextureEffect.h"

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
class NormalmapTexture1DL1PLEffect : public LitEffect<NormalmapTextureEffect, 2> {
  YNX_DECLARE_CLASS(NormalmapTexture1DL1PLEffect);

 public:
  explicit NormalmapTexture1DL1PLEffect(const String& name = String());

  static const ProgramTable& GetPrograms();
};

}  // namespace ynx
