#pragma once

#include "engine/animation/PostUpdateController.h"

namespace ynx {

// Draws its ShadowmapEffect's shadow map once the frame has begun: the
// casters' depth from the light, through the effect's light camera fitted
// to the receivers' bound (uniform, or the perspective warp when the
// effect asks for it and light and view are far enough from parallel),
// and the shadow matrix the receiver pass projects with. Nothing is drawn
// without a map and a light, without casters, or while no receiver has a
// usable bound. Adds no stored fields.
class RenderShadowmapEffectController : public PostUpdateController {
  YNX_DECLARE_CLASS(RenderShadowmapEffectController);

 public:
  explicit RenderShadowmapEffectController(const String& name = String());

  // With the scene camera current again afterwards.
  void PostUpdate() override;
};

}  // namespace ynx
