#include "engine/render/Texture1DLEffect.h"

#include <new>

#include "engine/render/LitFixedPass.h"
#include "engine/render/LitProgramText.h"
#include "engine/render/LitShaderPass.h"
#include "engine/render/SinglePassTechnique.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(Texture1DLEffect, TextureEffect)

Texture1DLEffect::Texture1DLEffect(const String& name) : LitEffect(name) {
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &CanLight, &MakeFixedPass<Texture1DLEffect, LitFixedPass>));
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &CanLightWithShaders, &MakeShaderPass<Texture1DLEffect, LitShaderPass>));
}

const ProgramTable& Texture1DLEffect::GetPrograms() { return LitProgramText::Programs(LitProgramText::DIRECTIONAL); }

}  // namespace ynx
