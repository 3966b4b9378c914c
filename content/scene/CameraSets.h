#pragma once

#include "engine/render/ScreensaverController.h"
#include "engine/scene/SceneNode.h"

namespace ynx::content {

// The show's shots: each a camera flown along a node animation and kept on
// its subject by a target controller, under one screensaver controller on
// the root that picks among them and fades each in.
class CameraSets {
 public:
  // Adds the cameras, their subjects and the controller to `root`, which
  // must hold the garden already (the subjects are found by name).
  static void Add(SceneNode* root);
};

}  // namespace ynx::content
