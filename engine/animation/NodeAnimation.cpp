#include "engine/animation/NodeAnimation.h"

#include <new>

namespace ynx {

YNX_IMPLEMENT_CLASS(NodeAnimation, Animation)

NodeAnimation::NodeAnimation(const String& name) : Animation(name) {}

Keyframe* NodeAnimation::NewKeyframe() const { return new (std::nothrow) NodeKeyframe(); }

NodeKeyframe* NodeAnimation::AddNodeKey(double time, const Vector3& translation,
                                        const Quaternion& rotation, const Vector3& scale) {
  auto* key = static_cast<NodeKeyframe*>(AddKey(time));
  if (key == nullptr) return nullptr;
  key->translation = translation;
  key->rotation = rotation;
  key->scale = scale;
  return key;
}

}  // namespace ynx
