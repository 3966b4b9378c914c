#pragma once

#include "engine/animation/AnimationController.h"

namespace ynx {

// Flips its owner, a texture effect, through the pages of texture
// animations: after the track update, each stage playing an animation with
// keys gives the effect the texture of its current key when that differs
// from the texture the effect had before the update. No blending between
// pages: the texture changes exactly when a stage's key index does.
//
// Streams nothing beyond the animation controller's data. Stages whose
// animation is not a texture animation, or whose key index does not fit
// it, are skipped.
class TextureAnimationController : public AnimationController {
  YNX_DECLARE_CLASS(TextureAnimationController);

 public:
  explicit TextureAnimationController(const String& name = String());

  void Update(double time) override;
};

}  // namespace ynx
