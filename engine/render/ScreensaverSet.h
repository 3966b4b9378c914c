#pragma once

#include <cstdint>

#include "engine/animation/AnimationController.h"
#include "engine/core/Ptr.h"
#include "engine/scene/Camera.h"

namespace ynx {

class MemoryStream;

// One shot of the show: a camera, how long it runs and how long the
// application fades it in. The animations that decide the length are
// found from the camera when the set is loaded or added.
//
// Streamed as the camera reference, then fadeInTime and duration (float64
// each).
struct ScreensaverSet {
  // 1 on failure, with the step's message.
  int32_t Save(MemoryStream& stream) const;
  int32_t Load(MemoryStream& stream);

  // cameraAnimation: the last animation controller among the camera's
  // controllers. targetAnimation: for each target camera controller among
  // them, in list order, the first animation controller of its target (so
  // a later target controller overrides an earlier one).
  void FindAnimations();

  Ptr<Camera> camera;
  Ptr<AnimationController> cameraAnimation;
  Ptr<AnimationController> targetAnimation;
  // Seconds; read by the application, not by the controller.
  double fadeInTime = 0.0;
  // Seconds; replaced by the animations' length when the set is chosen.
  double duration = 0.0;
};

}  // namespace ynx
