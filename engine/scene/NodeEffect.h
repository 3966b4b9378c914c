#pragma once

#include <cstdint>

#include "engine/core/Object.h"

namespace ynx {

// What a node needs of the effects it holds. The effect classes live with
// the renderer, above the scene graph, and derive from this; a node sees
// nothing else of them. It has no type record of its own: a node's effect
// slot names the streamed class it accepts (GeometryNode::EFFECT_TYPE,
// SceneNode::EFFECT_TYPE), since the type name is what a scene file holds.
class NodeEffect : public Object {
 public:
  explicit NodeEffect(const String& name) : Object(name) {}

  // Once per frame from the node that holds the effect.
  virtual void Update(double time) = 0;

  // A disabled effect draws nothing.
  virtual bool IsEnabled() const = 0;
  // Drawn after everything else, farthest first (blended geometry).
  virtual bool IsSorted() const { return false; }
  // Passes of the technique the renderer can run; 0 draws nothing.
  virtual int32_t PassCount() = 0;
  // Makes pass `index` current on the renderer and binds what it draws
  // with; non-zero skips the pass.
  virtual int32_t ApplyPass(int32_t index) = 0;
  // The owner's vertex streams were replaced: layouts are recorded anew.
  virtual void StreamsChanged() {}

  // The node that attached the effect last; not counted, not streamed.
  Object* GetOwner() const { return owner; }
  void SetOwner(Object* value) { owner = value; }

 private:
  Object* owner = nullptr;
};

}  // namespace ynx
