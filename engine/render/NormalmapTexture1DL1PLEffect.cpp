#include "engine/render/NormalmapTexture1DL1PLEffect.h"

#include <new>

#include "engine/render/LitFixedPass.h"
#include "engine/render/NormalmapProgramText.h"
#include "engine/render/NormalmapShaderPass.h"
#include "engine/render/SinglePassTechnique.h"

namespace ynx {
namespace {

constexpr NormalmapProgramText::Kind KIND = NormalmapProgramText::POINT_LIGHT;

std::string VertexProgram(ProgramTable::Model model, ProgramTable::Variant variant) {
  return NormalmapProgramText::Vertex(model, variant, KIND);
}

}  // namespace

YNX_IMPLEMENT_CLASS(NormalmapTexture1DL1PLEffect, NormalmapTextureEffect)

NormalmapTexture1DL1PLEffect::NormalmapTexture1DL1PLEffect(const String& name) : LitEffect(name) {
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &CanLight, &MakeFixedPass<NormalmapTexture1DL1PLEffect, LitFixedPass>));
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &CanMapWithShaders, &MakeShaderPass<NormalmapTexture1DL1PLEffect, NormalmapShaderPass>));
}

const ProgramTable& NormalmapTexture1DL1PLEffect::GetPrograms() {
  static const ProgramTable programs(&VertexProgram,
                                     NormalmapProgramText::Pixel(ProgramTable::MODEL_1, KIND).c_str(),
                                     NormalmapProgramText::Pixel(ProgramTable::MODEL_2, KIND).c_str());
  return programs;
}

}  // namespace ynx
