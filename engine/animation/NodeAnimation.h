#pragma once

#include "engine/animation/Animation.h"
#include "engine/animation/NodeKeyframe.h"

namespace ynx {

// An animation of node poses: its keys are NodeKeyframes.
class NodeAnimation : public Animation {
  YNX_DECLARE_CLASS(NodeAnimation);

 public:
  explicit NodeAnimation(const String& name = String());

  // Index must be below the key count.
  NodeKeyframe& GetNodeKey(int32_t index) const {
    return static_cast<NodeKeyframe&>(GetKey(index));
  }
  // Appends a pose at the end; null without memory.
  NodeKeyframe* AddNodeKey(double time, const Vector3& translation, const Quaternion& rotation,
                           const Vector3& scale);

 protected:
  Keyframe* NewKeyframe() const override;
};

}  // namespace ynx
