#include "engine/render/LitFixedPass.h"

#include "engine/render/Renderer.h"
#include "engine/render/TextureEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx {

LitFixedPass::LitFixedPass(TextureEffect* effect, LightOf light, LightOf pointLight)
    : GeometryNodeEffectPass(effect), light(light), pointLight(pointLight) {}

int32_t LitFixedPass::Apply() {
  Renderer* renderer = Renderer::GetCurrent();
  GeometryNode* geometry = renderer != nullptr ? renderer->GetCurrentGeometry() : nullptr;
  if (geometry == nullptr) return 1;
  const auto& effect = static_cast<const TextureEffect&>(*GetEffect());
  renderer->SetPositionStream(geometry->GetVertices());
  renderer->SetNormalStream(geometry->GetNormals());
  effect.BindTexture(*renderer, *geometry);
  renderer->SetIndexBuffer(geometry->GetIndices());
  const Camera* camera = renderer->GetCamera();
  renderer->SetProjectionMatrix(camera != nullptr ? camera->GetProjection() : Matrix4::Identity());
  renderer->SetViewMatrix(camera != nullptr ? camera->GetView() : Matrix4::Identity());
  renderer->SetWorldMatrix(geometry->GetWorldTransform().ToMatrix4());
  for (const LightOf of : {light, pointLight}) {
    Light* pushed = of != nullptr ? of(effect) : nullptr;
    if (pushed == nullptr) continue;
    renderer->GetLights().push_back(pushed);
    renderer->PushLight(pushed);
  }
  return 0;
}

}  // namespace ynx
