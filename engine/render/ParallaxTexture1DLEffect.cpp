#include "engine/render/ParallaxTexture1DLEffect.h"

#include <new>

#include "engine/render/LitFixedPass.h"
#include "engine/render/NormalmapProgramText.h"
#include "engine/render/NormalmapShaderPass.h"
#include "engine/render/SinglePassTechnique.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(ParallaxTexture1DLEffect, ParallaxTextureEffect)

ParallaxTexture1DLEffect::ParallaxTexture1DLEffect(const String& name) : LitEffect(name) {
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &CanLight, &MakeFixedPass<ParallaxTexture1DLEffect, LitFixedPass>));
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &CanMapWithShaders, &MakeShaderPass<ParallaxTexture1DLEffect, NormalmapShaderPass>));
}

const ProgramTable& ParallaxTexture1DLEffect::GetPrograms() {
  return NormalmapProgramText::Programs(NormalmapProgramText::PARALLAX);
}

}  // namespace ynx
