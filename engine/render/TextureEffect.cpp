#include "engine/render/TextureEffect.h"

#include <new>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/render/ColorFixedPass.h"
#include "engine/render/ColorShaderPass.h"
#include "engine/render/Renderer.h"
#include "engine/render/SinglePassTechnique.h"
#include "engine/render/VertexProgramText.h"
#include "engine/scene/GeometryNode.h"

namespace ynx {
namespace {

std::string VertexProgram(ProgramTable::Model model, ProgramTable::Variant variant) {
  return VertexProgramText::Prologue(model, variant, "dcl_texcoord0 v3\n") +
         VertexProgramText::ColorOutput(variant) + "mov oT0, v3\n";
}

class TextureShaderPass : public ColorShaderPass {
 public:
  explicit TextureShaderPass(TextureEffect* effect)
      : ColorShaderPass(effect, TextureEffect::GetPrograms()) {}

 protected:
  void BindTextures(Renderer& renderer, GeometryNode& geometry) override {
    static_cast<const TextureEffect&>(*GetEffect()).BindTexture(renderer, geometry);
  }
};

// Stage 0 modulates the texture by the constant colour.
class TextureFixedPass : public ColorFixedPass {
 public:
  explicit TextureFixedPass(TextureEffect* effect) : ColorFixedPass(effect) {}

  void MarkDirty() override {
    ColorFixedPass::MarkDirty();
    TextureStageState& first = stateBlock->stages[0];
    first.combineColorOp = TextureStageState::OP_MODULATE;
    first.combineAlphaOp = TextureStageState::OP_MODULATE;
    first.colorSource[0] = first.alphaSource[0] = TextureStageState::SOURCE_TEXTURE;
    first.colorSource[1] = first.alphaSource[1] = TextureStageState::SOURCE_CONSTANT;
  }

 protected:
  void BindTextures(Renderer& renderer, GeometryNode& geometry) override {
    static_cast<const TextureEffect&>(*GetEffect()).BindTexture(renderer, geometry);
  }
};

bool HasTextureStage(const Renderer& renderer) { return renderer.GetMaxTextureStages() >= 1; }

}  // namespace

YNX_IMPLEMENT_CLASS(TextureEffect, ColorEffect)

TextureEffect::TextureEffect(const String& name) : ColorEffect(name) {
  using Single = SinglePassTechnique;
  AddTechnique(new (std::nothrow)
                   Single(this, &HasTextureStage, &Single::Make<TextureFixedPass, TextureEffect>));
  AddTechnique(new (std::nothrow) Single(this, &Single::HasShaders,
                                         &Single::Make<TextureShaderPass, TextureEffect>));
}

int32_t TextureEffect::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, ColorEffect::Save(stream))
      .Field("Невозможно сохранить текстуру. Имя[%s] ID[%d]", texture)
      .Field("Невозможно сохранить номер набора текстурных координат. Имя[%s] ID[%d]", texCoordSet)
      .Status();
}

int32_t TextureEffect::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, ColorEffect::Load(stream))
      .Field("Невозможно загрузить текстуру. ID[%d] Имя[%s]", texture)
      .Checked("Невозможно загрузить номер набора текстурных координат. ID[%d] Имя[%s]",
               texCoordSet,
               [&] { return texCoordSet >= 0 && texCoordSet < GeometryNode::TEXTURE_SET_COUNT; })
      .Status();
}

void TextureEffect::ReleaseReferences() {
  texture = nullptr;
  ColorEffect::ReleaseReferences();
}

void TextureEffect::VisitReferences(const std::function<void(Object*)>& visit) const {
  ColorEffect::VisitReferences(visit);
  if (texture) visit(texture.Get());
}

// The effect's coordinate set goes to the programs and the stage as set 0.
void TextureEffect::BindTexture(Renderer& renderer, GeometryNode& geometry) const {
  renderer.SetTexCoordStream(geometry.GetTexCoords(texCoordSet), 0);
  renderer.SetTexture(texture.Get(), 0);
}

void TextureEffect::Update(double time) {
  ColorEffect::Update(time);
  UpdateTextures(time);
}

void TextureEffect::UpdateTextures(double time) {
  if (texture) texture->UpdateControllers(time);
}

void TextureEffect::SetTexCoordSet(int32_t set) {
  texCoordSet = set;
  MarkPassesDirty();
}

const ProgramTable& TextureEffect::GetPrograms() {
  static const ProgramTable programs(&VertexProgram, "ps.1.1\ntex t0\nmul r0, v0, t0\n",
                                     "ps_2_0\ndcl v0\ndcl t0.xy\ndcl_2d s0\n"
                                     "texld r0, t0, s0\nmul r0, r0, v0\nmov oC0, r0\n");
  return programs;
}

}  // namespace ynx
