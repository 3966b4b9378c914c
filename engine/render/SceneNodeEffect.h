#pragma once

#include "engine/render/Effect.h"

namespace ynx {

// An effect that draws a scene node's whole subtree in passes (shadow maps,
// post-render effects). It adds nothing to Effect; the scene node applies it
// around its children.
class SceneNodeEffect : public Effect {
  YNX_DECLARE_CLASS(SceneNodeEffect);

 public:
  explicit SceneNodeEffect(const String& name = String());
};

}  // namespace ynx
