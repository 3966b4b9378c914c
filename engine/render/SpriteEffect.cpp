#include "engine/render/SpriteEffect.h"

#include <new>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/render/GeometryNodeEffectPass.h"
#include "engine/render/Renderer.h"
#include "engine/render/SinglePassTechnique.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/FloatBuffer.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx {
namespace {

class SpritePass : public GeometryNodeEffectPass {
 public:
  explicit SpritePass(SpriteEffect* effect) : GeometryNodeEffectPass(effect) { SpritePass::MarkDirty(); }

  void MarkDirty() override {
    GeometryNodeEffectPass::MarkDirty();
    TextureStageState& first = stateBlock->stages[0];
    first.mode = TextureStageState::COMBINE;
    first.combineColorOp = TextureStageState::OP_MODULATE;
    first.combineAlphaOp = TextureStageState::OP_MODULATE;
    first.colorSource[0] = first.alphaSource[0] = TextureStageState::SOURCE_TEXTURE;
    first.colorSource[1] = first.alphaSource[1] = TextureStageState::SOURCE_VERTEX;
    stateBlock->pointSprites = true;
  }

  // Particle positions are in world space: an identity world matrix.
  int32_t Apply() override {
    Renderer* renderer = Renderer::GetCurrent();
    GeometryNode* geometry = renderer != nullptr ? renderer->GetCurrentGeometry() : nullptr;
    if (geometry == nullptr) return 1;
    renderer->SetColorStream(geometry->GetColors());
    renderer->SetPointSizeStream(geometry->GetPointSizes());
    renderer->SetPositionStream(geometry->GetVertices());
    renderer->SetTexCoordStream(geometry->GetTexCoords(0), 0);
    renderer->SetTexture(static_cast<const SpriteEffect&>(*GetEffect()).GetTexture(), 0);
    const Camera* camera = renderer->GetCamera();
    renderer->SetProjectionMatrix(camera != nullptr ? camera->GetProjection() : Matrix4::Identity());
    renderer->SetViewMatrix(camera != nullptr ? camera->GetView() : Matrix4::Identity());
    renderer->SetWorldMatrix(Matrix4::Identity());
    return 0;
  }
};

bool HasTextureStage(const Renderer& renderer) { return renderer.GetMaxTextureStages() >= 1; }

}  // namespace

YNX_IMPLEMENT_CLASS(SpriteEffect, GeometryNodeEffect)

SpriteEffect::SpriteEffect(const String& name) : GeometryNodeEffect(name) {
  SetBlend(true, RenderStateBlock::BLEND_SRC_ALPHA, RenderStateBlock::BLEND_ONE);
  AddTechnique(new (std::nothrow) SinglePassTechnique(
      this, &HasTextureStage, &SinglePassTechnique::Make<SpritePass, SpriteEffect>));
}

int32_t SpriteEffect::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, GeometryNodeEffect::Save(stream))
      .Field("Невозможно сохранить текстуру. Имя[%s] ID[%d]", texture)
      .Status();
}

int32_t SpriteEffect::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, GeometryNodeEffect::Load(stream))
      .Field("Невозможно загрузить текстуру. ID[%d] Имя[%s]", texture)
      .Status();
}

void SpriteEffect::ReleaseReferences() {
  texture = nullptr;
  GeometryNodeEffect::ReleaseReferences();
}

void SpriteEffect::VisitReferences(const std::function<void(Object*)>& visit) const {
  GeometryNodeEffect::VisitReferences(visit);
  if (texture) visit(texture.Get());
}

}  // namespace ynx
