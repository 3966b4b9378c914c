#include "engine/render/NormalmapTexture1DLEffect.h"

#include <new>

#include "engine/render/LitFixedPass.h"
#include "engine/render/NormalmapProgramText.h"
#include "engine/render/NormalmapShaderPass.h"
#include "engine/render/SinglePassTechnique.h"

namespace ynx {
namespace {

constexpr NormalmapProgramText::Kind KIND = NormalmapProgramText::NORMAL_MAP;

std::string VertexProgram(ProgramTable::Model model, ProgramTable::Variant variant) {
  return NormalmapProgramText::Vertex(model, variant, KIND);
}

}  // namespace

YNX_IMPLEMENT_CLASS(NormalmapTexture1DLEffect, NormalmapTextureEffect)

NormalmapTexture1DLEffect::NormalmapTexture1DLEffect(const String& name) : LitEffect(name) {
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &CanLight, &MakeFixedPass<NormalmapTexture1DLEffect, LitFixedPass>));
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &CanMapWithShaders, &MakeShaderPass<NormalmapTexture1DLEffect, NormalmapShaderPass>));
}

const ProgramTable& NormalmapTexture1DLEffect::GetPrograms() {
  static const ProgramTable programs(&VertexProgram,
                                     NormalmapProgramText::Pixel(ProgramTable::MODEL_1, KIND).c_str(),
                                     NormalmapProgramText::Pixel(ProgramTable::MODEL_2, KIND).c_str());
  return programs;
}

}  // namespace ynx
