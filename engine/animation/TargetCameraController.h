#pragma once

#include "engine/animation/TargetController.h"

namespace ynx {

// Keeps its owner, a camera, aimed at the target node (see
// TargetController).
class TargetCameraController : public TargetController {
  YNX_DECLARE_CLASS(TargetCameraController);

 public:
  explicit TargetCameraController(const String& name = String());
};

}  // namespace ynx
