#pragma once

#include "engine/animation/TargetController.h"

namespace ynx {

// Keeps its owner, a light, aimed at the target node (see
// TargetController).
class TargetLightController : public TargetController {
  YNX_DECLARE_CLASS(TargetLightController);

 public:
  explicit TargetLightController(const String& name = String());
};

}  // namespace ynx
