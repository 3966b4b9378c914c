#include "engine/animation/SkeletonAnimationController.h"

#include "engine/animation/NodeAnimationController.h"
#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(SkeletonAnimationController, AnimationController)

SkeletonAnimationController::SkeletonAnimationController(const String& name)
    : AnimationController(name) {}

SkeletonAnimationController::~SkeletonAnimationController() = default;

int32_t SkeletonAnimationController::Save(MemoryStream& stream) const {
  FieldWriter out(stream, *this, AnimationController::Save(stream));
  out.Field("Невозможно сохранить количество контроллеров анимации костей. Имя[%s] ID[%d]",
            GetBoneControllerCount());
  for (const Ptr<NodeAnimationController>& controller : boneControllers) {
    out.Field("Невозможно сохранить контроллер анимации костей. Имя[%s] ID[%d]", controller);
  }
  return out.Status();
}

int32_t SkeletonAnimationController::Load(MemoryStream& stream) {
  FieldReader in(stream, *this, AnimationController::Load(stream));
  if (!in) return in.Status();
  boneControllers.clear();
  int32_t count = 0;
  in.Count("Невозможно загрузить количество контроллеров анимации костей. ID[%d] Имя[%s]", count,
           sizeof(int32_t));
  boneControllers.resize(static_cast<size_t>(count));
  for (Ptr<NodeAnimationController>& controller : boneControllers) {
    in.Field("Невозможно загрузить контроллер анимации костей. Имя[%s] ID[%d]", controller);
  }
  return in.Status();
}

void SkeletonAnimationController::ReleaseReferences() {
  boneControllers.clear();
  AnimationController::ReleaseReferences();
}

void SkeletonAnimationController::VisitReferences(const std::function<void(Object*)>& visit) const {
  AnimationController::VisitReferences(visit);
  for (const Ptr<NodeAnimationController>& controller : boneControllers) {
    if (controller) visit(controller.Get());
  }
}

void SkeletonAnimationController::Update(double time) {
  AnimationController::Update(time);
  if (!IsActive()) return;
  for (const Ptr<NodeAnimationController>& controller : boneControllers) {
    if (!controller) continue;
    controller->SetActive(true);
    controller->Update(time);
    controller->SetActive(false);
  }
}

void SkeletonAnimationController::Reset() {
  AnimationController::Reset();
  for (const Ptr<NodeAnimationController>& controller : boneControllers) {
    if (controller) controller->ClearStages();
  }
}

void SkeletonAnimationController::SetStageAnimation(Animation* animation, int32_t stage,
                                                    float weight) {
  AnimationController::SetStageAnimation(animation, stage, weight);
  for (const Ptr<NodeAnimationController>& controller : boneControllers) {
    if (controller) controller->SetStageAnimation(animation, stage, weight);
  }
}

void SkeletonAnimationController::SetStageAnimationByName(const String& name, int32_t stage,
                                                          float weight) {
  AnimationController::SetStageAnimationByName(name, stage, weight);
  for (const Ptr<NodeAnimationController>& controller : boneControllers) {
    if (!controller) continue;
    controller->ClearStageAnimation(stage);
    for (int32_t index = 0; index < controller->GetAnimationCount(); ++index) {
      Animation* animation = controller->GetAnimation(index);
      if (animation != nullptr && animation->GetName() == name) {
        controller->SetStageAnimation(animation, stage, weight);
      }
    }
  }
}

void SkeletonAnimationController::SetStageWeight(int32_t stage, float weight) {
  AnimationController::SetStageWeight(stage, weight);
  for (const Ptr<NodeAnimationController>& controller : boneControllers) {
    if (controller) controller->SetStageWeight(stage, weight);
  }
}

void SkeletonAnimationController::AddBoneController(NodeAnimationController* controller) {
  boneControllers.emplace_back(controller);
}

}  // namespace ynx
