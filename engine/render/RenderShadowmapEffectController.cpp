#include "engine/render/RenderShadowmapEffectController.h"

#include <algorithm>
#include <cmath>

#include "engine/render/LitShaderPass.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShadowmapEffect.h"
#include "engine/render/ShadowmapFit.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(RenderShadowmapEffectController, PostUpdateController)

RenderShadowmapEffectController::RenderShadowmapEffectController(const String& name)
    : PostUpdateController(name) {}

void RenderShadowmapEffectController::PostUpdate() {
  Object* owner = GetOwner();
  Renderer* renderer = Renderer::GetCurrent();
  if (owner == nullptr || renderer == nullptr || !owner->IsDerivedFrom(ShadowmapEffect::Type())) {
    return;
  }
  ShadowmapEffect& effect = *static_cast<ShadowmapEffect*>(owner);
  Texture* map = effect.GetShadowMap();
  Light* light = effect.GetLight();
  Camera* lightCamera = effect.GetLightCamera();
  if (map == nullptr || light == nullptr || lightCamera == nullptr || effect.GetCasters().Count() == 0) {
    return;
  }
  // Choosing the technique collects the receivers, so that the first frame
  // after loading has its shadow too.
  effect.PassCount();
  // Rebuilt every frame from nothing: the receivers move.
  if (!effect.RebuildCasterBound()) return;

  // Measured before the redirection makes the map's size the viewport's.
  const float aspect = static_cast<float>(renderer->GetViewportWidth()) /
                       static_cast<float>(std::max(1, renderer->GetViewportHeight()));
  Texture* color = effect.GetColorTarget();
  if (color != nullptr) renderer->BeginRenderToTexture(color);
  renderer->BeginRenderToDepthTexture(map, effect.GetDepthBias(), effect.GetSlopeBias());
  renderer->Clear(Renderer::CLEAR_DEPTH, renderer->GetClearColor(), 1.0f, 0);

  const Ptr<Camera> sceneCamera = renderer->GetCamera();
  Vector3 direction = LitShaderPass::TowardsLight(*light) * -1.0f;
  direction.Normalize();
  const float cosGamma =
      sceneCamera ? Vector3::Dot(direction, sceneCamera->GetForward()) : 1.0f;
  const bool warped = effect.GetPerspective() && sceneCamera &&
                      std::fabs(cosGamma) <= effect.GetPerspectiveLimit() &&
                      ShadowmapFit::Perspective(*lightCamera, *sceneCamera, aspect, direction,
                                                effect.GetCasterBound());
  if (!warped) ShadowmapFit::Uniform(*lightCamera, direction, effect.GetCasterBound());

  renderer->SetCamera(lightCamera);
  const Image* image = map->GetImage();
  effect.SetShadowMatrix(ShadowmapFit::ShadowMatrix(*lightCamera, image != nullptr ? image->GetWidth() : 0,
                                                    image != nullptr ? image->GetHeight() : 0));
  for (const Ptr<Node>& caster : effect.GetCasters()) {
    if (caster) caster->Render(*renderer);
  }
  renderer->BeginRenderToDepthTexture(nullptr, 0.0f, 1.0f);
  if (color != nullptr) renderer->BeginRenderToTexture(nullptr);
  renderer->SetCamera(sceneCamera.Get());
}

}  // namespace ynx
