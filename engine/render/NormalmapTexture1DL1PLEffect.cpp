#include "engine/render/NormalmapTexture1DL1PLEffect.h"

#include <new>

#include "engine/render/LitFixedPass.h"
#include "engine/render/NormalmapProgramText.h"
#include "engine/render/NormalmapShaderPass.h"
#include "engine/render/SinglePassTechnique.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(NormalmapTexture1DL1PLEffect, NormalmapTextureEffect)

NormalmapTexture1DL1PLEffect::NormalmapTexture1DL1PLEffect(const String& name) : LitEffect(name) {
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &CanLight, &MakeFixedPass<NormalmapTexture1DL1PLEffect, LitFixedPass>));
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &CanMapWithShaders, &MakeShaderPass<NormalmapTexture1DL1PLEffect, NormalmapShaderPass>));
}

const ProgramTable& NormalmapTexture1DL1PLEffect::GetPrograms() {
  return NormalmapProgramText::Programs(NormalmapProgramText::POINT_LIGHT);
}

}  // namespace ynx
