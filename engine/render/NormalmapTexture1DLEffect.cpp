#include "engine/render/NormalmapTexture1DLEffect.h"

#include <new>

#include "engine/render/LitFixedPass.h"
#include "engine/render/NormalmapProgramText.h"
#include "engine/render/NormalmapShaderPass.h"
#include "engine/render/SinglePassTechnique.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(NormalmapTexture1DLEffect, NormalmapTextureEffect)

NormalmapTexture1DLEffect::NormalmapTexture1DLEffect(const String& name) : LitEffect(name) {
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &CanLight, &MakeFixedPass<NormalmapTexture1DLEffect, LitFixedPass>));
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &CanMapWithShaders, &MakeShaderPass<NormalmapTexture1DLEffect, NormalmapShaderPass>));
}

const ProgramTable& NormalmapTexture1DLEffect::GetPrograms() {
  return NormalmapProgramText::Programs(NormalmapProgramText::NORMAL_MAP);
}

}  // namespace ynx
