#include "engine/render/ColorEffect.h"

#include <new>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/render/ColorFixedPass.h"
#include "engine/render/ColorShaderPass.h"
#include "engine/render/Renderer.h"
#include "engine/render/SinglePassTechnique.h"
#include "engine/render/VertexProgramText.h"

namespace ynx {
namespace {

std::string VertexProgram(ProgramTable::Model model, ProgramTable::Variant variant) {
  return VertexProgramText::Prologue(model, variant, "") + VertexProgramText::ColorOutput(variant);
}

bool HasShaders(const Renderer& renderer) { return renderer.HasShaders(); }

bool Always(const Renderer&) { return true; }

Pass* MakeShaderPass(Effect* effect) {
  return new (std::nothrow)
      ColorShaderPass(static_cast<ColorEffect*>(effect), ColorEffect::GetPrograms());
}

Pass* MakeFixedPass(Effect* effect) {
  return new (std::nothrow) ColorFixedPass(static_cast<ColorEffect*>(effect));
}

}  // namespace

YNX_IMPLEMENT_CLASS(ColorEffect, GeometryNodeEffect)

ColorEffect::ColorEffect(const String& name) : GeometryNodeEffect(name) {
  AddTechnique(new (std::nothrow) SinglePassTechnique(this, &Always, &MakeFixedPass));
  AddTechnique(new (std::nothrow) SinglePassTechnique(this, &HasShaders, &MakeShaderPass));
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
