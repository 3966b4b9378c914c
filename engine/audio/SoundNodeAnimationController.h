#pragma once

#include "engine/animation/AnimationController.h"

namespace ynx {

// Switches its owner, a sound node, by sound animations: after the track
// update the current key of the last stage playing a sound animation with
// keys decides (no such stage: play). A key that plays restarts, from the
// beginning, a sound that is not playing, and enables the node; a key that
// does not stops the channel at once and disables the node.
//
// Streams nothing beyond the animation controller's data. Stages whose
// animation is not a sound animation, or whose key index does not fit it,
// are skipped.
class SoundNodeAnimationController : public AnimationController {
  YNX_DECLARE_CLASS(SoundNodeAnimationController);

 public:
  explicit SoundNodeAnimationController(const String& name = String());

  void Update(double time) override;
};

}  // namespace ynx
