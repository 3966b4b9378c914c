#pragma once

#include <cstdint>
#include <vector>

#include "engine/animation/AnimationController.h"
#include "engine/core/Ptr.h"

namespace ynx {

class NodeAnimationController;

// Runs the node-animation controllers of a skeleton's bones as one: each
// update plays every bone controller exactly once, and stage changes, weights
// and resets reach all of them. The bone controllers are stored inactive
// (they are also attached to their bones, where their own per-frame call
// then does nothing) and are switched on only while this controller runs
// them.
//
// Streamed after the animation controller's data: the bone-controller
// count, then the references. Null entries are kept and skipped.
class SkeletonAnimationController : public AnimationController {
  YNX_DECLARE_CLASS(SkeletonAnimationController);

 public:
  explicit SkeletonAnimationController(const String& name = String());
  ~SkeletonAnimationController() override;

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  void Update(double time) override;
  // Its own track, and the stages (not the phases) of the bone controllers.
  void Reset() override;
  void SetStageAnimation(Animation* animation, int32_t stage, float weight) override;
  // A bone controller without an animation of that name keeps an empty
  // stage with its previous weight.
  void SetStageAnimationByName(const String& name, int32_t stage, float weight) override;
  void SetStageWeight(int32_t stage, float weight) override;

  void AddBoneController(NodeAnimationController* controller);
  int32_t GetBoneControllerCount() const { return static_cast<int32_t>(boneControllers.size()); }
  NodeAnimationController* GetBoneController(int32_t index) const {
    return boneControllers[static_cast<size_t>(index)].Get();
  }

 private:
  std::vector<Ptr<NodeAnimationController>> boneControllers;
};

}  // namespace ynx
