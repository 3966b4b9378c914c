#pragma once

#include <cstdint>

#include "engine/render/LitEffect.h"
#include "engine/render/TextureEffect.h"

namespace ynx {

// Draws a geometry node textured and lit by one directional light
// (Blinn-Phong with the effect's material; see LitProgramText).
// Techniques: programs (shaders, two texture stages, one light), the fixed
// pipeline's lighting (two stages, one light), then the texture effect's
// two and the colour effect's two. Without a light the programs light with
// zero colours and the fixed pass pushes nothing.
//
// Streamed after the texture effect's data: the light as a reference.
class Texture1DLEffect : public LitEffect<TextureEffect, 1> {
  YNX_DECLARE_CLASS(Texture1DLEffect);

 public:
  explicit Texture1DLEffect(const String& name = String());

  static const ProgramTable& GetPrograms();
};

}  // namespace ynx
