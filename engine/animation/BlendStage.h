#pragma once

#include <cstdint>

#include "engine/animation/Animation.h"
#include "engine/core/Ptr.h"

namespace ynx {

// What one stage of an animation controller plays now: the animation, its
// blend weight, and where its time lies between two keys. Not streamed.
struct BlendStage {
  // Finds the keys around the animation time u and the fraction between
  // them; a stage without an animation or keys stays as it is.
  void Advance(double u);

  // None: the stage contributes nothing.
  Ptr<Animation> animation;
  float weight = 1.0f;
  // The key at or before the stage time, and the one after it (wrapping).
  int32_t key = 0;
  int32_t nextKey = 0;
  // From key to nextKey, 0 to 1.
  double fraction = 0.0;
};

}  // namespace ynx
