#include "engine/render/ColorEffect.h"

#include <new>
#include <string>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/render/ColorFixedPass.h"
#include "engine/render/ColorShaderPass.h"
#include "engine/render/SinglePassTechnique.h"
#include "engine/render/VertexProgramText.h"

namespace ynx {
namespace {

std::string VertexProgram(ProgramTable::Model model, ProgramTable::Variant variant) {
  return VertexProgramText::Prologue(model, variant, "") + VertexProgramText::ColorOutput(variant);
}

}  // namespace

YNX_IMPLEMENT_CLASS(ColorEffect, GeometryNodeEffect)

ColorEffect::ColorEffect(const String& name) : GeometryNodeEffect(name) {
  using Single = SinglePassTechnique;
  AddTechnique(new (std::nothrow)
                   Single(this, &Single::Always, &Single::Make<ColorFixedPass, ColorEffect>));
  AddTechnique(new (std::nothrow)
                   Single(this, &Single::HasShaders, &Single::Make<ColorShaderPass, ColorEffect>));
}

int32_t ColorEffect::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, GeometryNodeEffect::Save(stream))
      .Field("Невозможно сохранить цвет. Имя[%s] ID[%d]", color)
      .Status();
}

int32_t ColorEffect::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, GeometryNodeEffect::Load(stream))
      .Field("Невозможно загрузить цвет. ID[%d] Имя[%s]", color)
      .Status();
}

void ColorEffect::SetColor(const Color& value) {
  color = value;
  MarkPassesDirty();
}

const ProgramTable& ColorEffect::GetPrograms() {
  static const ProgramTable programs(&VertexProgram, "ps.1.1\nmov r0, v0\n",
                                     "ps_2_0\ndcl v0\nmov oC0, v0\n");
  return programs;
}

}  // namespace ynx
