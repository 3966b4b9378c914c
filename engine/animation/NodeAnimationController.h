#pragma once

#include "engine/animation/AnimationController.h"

namespace ynx {

// Poses its owner node from node animations: after the track update, each
// stage's sampled pose is blended by the stage's weight into the owner's
// local translation, rotation and scale, stage after stage. With one stage
// of weight 1 the node takes exactly the sampled pose.
//
// Streams nothing beyond the animation controller's data. Stages whose
// animation is not a node animation, or whose key indices do not fit the
// animation (it was swapped for one with fewer keys), contribute nothing.
class NodeAnimationController : public AnimationController {
  YNX_DECLARE_CLASS(NodeAnimationController);

 public:
  explicit NodeAnimationController(const String& name = String());

  // Nothing beyond the track update when inactive or not owned by a node.
  void Update(double time) override;
};

}  // namespace ynx
