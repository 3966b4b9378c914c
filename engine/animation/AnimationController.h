#pragma once

#include <cstdint>
#include <vector>

#include "engine/animation/AnimationFrame.h"
#include "engine/animation/BlendStage.h"
#include "engine/core/Controller.h"

namespace ynx {

class Animation;

// Plays one or two of its animations at a time on a track of `period`
// seconds: each update advances the track phase (0 to 1), finds the first
// two frames whose windows hold it, gives their animations to stages 0 and
// 1 with cross-fade weights, and moves each stage to the animation time the
// frame's mode maps the phase to. Derived controllers sample the stages.
//
// Streamed after the controller data: the animation count and references,
// the frame count and frames, then the period (float64). Stages and phase
// are not stored.
//
// A track without a positive length (a period of 0, negative or not a
// number) has no position: its update changes neither the phase nor any
// stage. A time that would make the phase infinite leaves it where it is,
// and a huge step with a tiny period wraps in one step.
class AnimationController : public Controller {
  YNX_DECLARE_CLASS(AnimationController);

 public:
  explicit AnimationController(const String& name = String());
  ~AnimationController() override;

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  void Update(double time) override;
  // Every stage dropped, phase 0.
  void Reset() override;

  // Stage operations append default stages until the index exists; negative
  // indices are ignored. Sets the stage's animation and weight.
  virtual void SetStageAnimation(Animation* animation, int32_t stage, float weight);
  // Empties the stage, sets its weight, then gives it every animation of
  // the list named `name`, so that the last match wins.
  virtual void SetStageAnimationByName(const String& name, int32_t stage, float weight);
  // Only for a stage that exists.
  virtual void SetStageWeight(int32_t stage, float weight);

  // Drops every stage, leaving the phase.
  void ClearStages();
  // Empties the stage's animation and keeps its weight.
  void ClearStageAnimation(int32_t stage);

  // Null is allowed, as in a stream; it never plays.
  void AddAnimation(Animation* animation);
  void AddFrame(const AnimationFrame& frame);
  int32_t GetAnimationCount() const { return static_cast<int32_t>(animations.size()); }
  Animation* GetAnimation(int32_t index) const {
    return animations[static_cast<size_t>(index)].Get();
  }
  int32_t GetFrameCount() const { return static_cast<int32_t>(frames.size()); }
  const AnimationFrame& GetFrame(int32_t index) const { return frames[static_cast<size_t>(index)]; }
  int32_t GetStageCount() const { return static_cast<int32_t>(stages.size()); }
  const BlendStage& GetStage(int32_t index) const { return stages[static_cast<size_t>(index)]; }
  double GetPeriod() const { return period; }
  void SetPeriod(double value) { period = value; }
  // The screensaver controller moves the phase when it cuts to a new shot.
  double GetPhase() const { return phase; }
  void SetPhase(double value) { phase = value; }

 private:
  // The stage at the index, appended as needed; null for a negative index.
  BlendStage* StageAt(int32_t stage);
  // False when the track has no length to move along.
  bool AdvancePhase(double time);

  std::vector<Ptr<Animation>> animations;
  std::vector<BlendStage> stages;
  double period = 0.0;
  double phase = 0.0;
  std::vector<AnimationFrame> frames;
};

}  // namespace ynx
