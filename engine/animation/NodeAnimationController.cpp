#include "engine/animation/NodeAnimationController.h"

#include "engine/animation/NodeAnimation.h"
#include "engine/scene/Node.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(NodeAnimationController, AnimationController)

NodeAnimationController::NodeAnimationController(const String& name) : AnimationController(name) {}

void NodeAnimationController::Update(double time) {
  AnimationController::Update(time);
  Object* owner = GetOwner();
  if (!IsActive() || owner == nullptr || !owner->IsDerivedFrom(Node::Type())) return;
  auto* node = static_cast<Node*>(owner);

  const Transformation& local = node->GetLocalTransform();
  Vector3 translation = local.translation;
  Quaternion rotation = local.rotation;
  Vector3 scale = local.scale;
  for (int32_t index = 0; index < GetStageCount(); ++index) {
    const BlendStage& stage = GetStage(index);
    const Animation* animation = stage.animation.Get();
    if (animation == nullptr || !animation->IsDerivedFrom(NodeAnimation::Type())) continue;
    const auto& poses = static_cast<const NodeAnimation&>(*animation);
    const int32_t count = poses.GetKeyCount();
    if (stage.key < 0 || stage.key >= count || stage.nextKey < 0 || stage.nextKey >= count) {
      continue;
    }
    const NodeKeyframe& a = poses.GetNodeKey(stage.key);
    const NodeKeyframe& b = poses.GetNodeKey(stage.nextKey);
    const float f = static_cast<float>(stage.fraction);
    const float w = stage.weight;
    rotation = Quaternion::Slerp(w, rotation, Quaternion::Slerp(f, a.rotation, b.rotation));
    translation =
        translation + ((a.translation + (b.translation - a.translation) * f) - translation) * w;
    scale = scale + ((a.scale + (b.scale - a.scale) * f) - scale) * w;
  }
  node->SetLocalTransform(Transformation(translation, rotation, scale));
  node->SetUpdateWorldTransform(true);
}

}  // namespace ynx
