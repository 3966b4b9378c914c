#pragma once

#include <cstdint>

#include "engine/render/LitEffect.h"
#include "engine/render/NormalmapTextureEffect.h"

namespace ynx {

// A texture lit by one directional light with the normal from a normal
// map, in tangent space (see NormalmapProgramText for what each shader
// level computes). Techniques: programs (shaders and three texture
// stages), the lit fixed pass of Texture1DLEffect (two stages and a light;
// the map is not used there), then the texture effect's two and the
// colour effect's two.
//
// Streamed after the normal-map effect's data: the light as a reference.
class NormalmapTexture1DLEffect : public LitEffect<NormalmapTextureEffect, 1> {
  YNX_DECLARE_CLASS(NormalmapTexture1DLEffect);

 public:
  explicit NormalmapTexture1DLEffect(const String& name = String());

  static const ProgramTable& GetPrograms();
};

}  // namespace ynx
