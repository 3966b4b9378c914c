#include "engine/render/Texture1DL1PLEffect.h"

#include <new>

#include "engine/render/LitFixedPass.h"
#include "engine/render/LitProgramText.h"
#include "engine/render/LitShaderPass.h"
#include "engine/render/SinglePassTechnique.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(Texture1DL1PLEffect, TextureEffect)

Texture1DL1PLEffect::Texture1DL1PLEffect(const String& name) : LitEffect(name) {
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &CanLight, &MakeFixedPass<Texture1DL1PLEffect, LitFixedPass>));
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &CanLightWithShaders, &MakeShaderPass<Texture1DL1PLEffect, LitShaderPass>));
}

const ProgramTable& Texture1DL1PLEffect::GetPrograms() { return LitProgramText::Programs(LitProgramText::POINT_LIGHT); }

}  // namespace ynx
