#pragma once

#include "engine/scene/NodeEffect.h"

namespace ynx {

// Decides how something is drawn. A geometry node holds one geometry-node
// effect; a scene node holds a list of scene-node effects that wrap the
// drawing of its subtree. Effects stream nothing beyond the object data.
//
// The effect's techniques and passes, and drawing through them, come with
// the renderer; what lives here is what the scene graph streams and updates.
class Effect : public NodeEffect {
  YNX_DECLARE_CLASS(Effect);

 public:
  explicit Effect(const String& name = String());

  // Once per frame from the node that holds the effect; the base runs the
  // effect's controllers.
  void Update(double time) override;
  virtual void Enable();
  virtual void Disable();

  bool IsEnabled() const { return enabled; }

 private:
  bool enabled = true;
};

}  // namespace ynx
