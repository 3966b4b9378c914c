#include "engine/render/ColorFixedPass.h"

#include "engine/render/ColorEffect.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx {

ColorFixedPass::ColorFixedPass(ColorEffect* effect) : GeometryNodeEffectPass(effect) {}

void ColorFixedPass::MarkDirty() {
  GeometryNodeEffectPass::MarkDirty();
  const Color& color = static_cast<const ColorEffect*>(GetEffect())->GetColor();
  for (TextureStageState& stage : stateBlock->stages) stage.constantColor = color;
  TextureStageState& first = stateBlock->stages[0];
  first.mode = TextureStageState::COMBINE;
  first.combineColorOp = TextureStageState::OP_REPLACE;
  first.combineAlphaOp = TextureStageState::OP_REPLACE;
  first.colorSource[0] = TextureStageState::SOURCE_CONSTANT;
  first.alphaSource[0] = TextureStageState::SOURCE_CONSTANT;
}

int32_t ColorFixedPass::Apply() {
  Renderer* renderer = Renderer::GetCurrent();
  GeometryNode* geometry = renderer != nullptr ? renderer->GetCurrentGeometry() : nullptr;
  if (geometry == nullptr) return 1;
  renderer->SetIndexBuffer(geometry->GetIndices());
  renderer->SetPositionStream(geometry->GetVertices());
  BindTextures(*renderer, *geometry);
  const Camera* camera = renderer->GetCamera();
  renderer->SetWorldMatrix(geometry->GetWorldTransform().ToMatrix4());
  renderer->SetViewMatrix(camera != nullptr ? camera->GetView() : Matrix4::Identity());
  renderer->SetProjectionMatrix(camera != nullptr ? camera->GetProjection() : Matrix4::Identity());
  return 0;
}

void ColorFixedPass::BindTextures(Renderer&, GeometryNode&) {}

}  // namespace ynx
