#include "engine/animation/AnimationController.h"

#include <algorithm>
#include <cmath>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"

namespace ynx {
namespace {

// Stored bytes of one frame: a reference of at least 4 bytes, then 36.
constexpr int32_t MIN_FRAME_BYTES = 40;

// Maps an animation time into the animation's cycle by the frame's mode.
// The first playing frame (`fading` false) wraps a result of 1 back to 0;
// the second keeps it, and in once mode is clamped instead of restarting.
// A time that is not a finite number (a window of zero length, bad data)
// plays from the start.
double CycleTime(double u, int32_t mode, bool fading) {
  if (!std::isfinite(u)) return 0.0;
  if (mode == AnimationFrame::MODE_ONCE) {
    if (fading) return std::clamp(u, 0.0, 1.0);
    return u >= 1.0 || u < 0.0 ? 0.0 : u;
  }
  const double turns = std::floor(u);
  double mapped = u - turns;
  // Ping-pong runs backwards on odd turns; the parity is taken on the float
  // so that turns beyond the int32 range need no conversion.
  if (mode != AnimationFrame::MODE_LOOP && std::fmod(turns, 2.0) != 0.0) mapped = 1.0 - mapped;
  if (!fading && mapped >= 1.0) mapped = 0.0;
  return mapped;
}

// Weight of the window fading in, over an overlap of `length`; an empty
// overlap has not begun to fade.
float FadeWeight(double into, double length) {
  return length > 0.0 ? static_cast<float>(into / length) : 0.0f;
}

}  // namespace

YNX_IMPLEMENT_ABSTRACT_CLASS(AnimationController, Controller)

AnimationController::AnimationController(const String& name) : Controller(name) {}

AnimationController::~AnimationController() = default;

int32_t AnimationController::Save(MemoryStream& stream) const {
  FieldWriter out(stream, *this, Controller::Save(stream));
  out.Field("Невозможно сохранить количество анимаций. Имя[%s] ID[%d]", GetAnimationCount());
  for (const Ptr<Animation>& animation : animations) {
    out.Field("Невозможно сохранить анимацию. Имя[%s] ID[%d]", animation);
  }
  out.Field("Невозможно сохранить количество фреймов анимаций. Имя[%s] ID[%d]", GetFrameCount());
  for (const AnimationFrame& frame : frames) {
    out.Field("Невозможно сохранить фрейм анимаций. Имя[%s] ID[%d]", frame);
  }
  return out.Field("Невозможно сохранить период трэка. Имя[%s] ID[%d]", period).Status();
}

int32_t AnimationController::Load(MemoryStream& stream) {
  FieldReader in(stream, *this, Controller::Load(stream));
  if (!in) return in.Status();
  animations.clear();
  frames.clear();
  int32_t count = 0;
  in.Count("Невозможно загрузить количество анимаций. ID[%d] Имя[%s]", count, sizeof(int32_t));
  animations.reserve(static_cast<size_t>(count));
  for (int32_t index = 0; in && index < count; ++index) {
    Ptr<Animation> animation;
    if (in.Field("Невозможно загрузить анимацию. Имя[%s] ID[%d]", animation)) {
      animations.push_back(animation);
    }
  }
  in.Count("Невозможно загрузить количество фреймов анимаций. ID[%d] Имя[%s]", count,
           MIN_FRAME_BYTES);
  if (in) frames.resize(static_cast<size_t>(count));
  for (AnimationFrame& frame : frames) {
    in.Field("Невозможно загрузить фрейм анимаций. Имя[%s] ID[%d]", frame);
  }
  return in.Field("Невозможно загрузить период трэка. ID[%d] Имя[%s]", period).Status();
}

void AnimationController::ReleaseReferences() {
  animations.clear();
  frames.clear();
  stages.clear();
  Controller::ReleaseReferences();
}

void AnimationController::VisitReferences(const std::function<void(Object*)>& visit) const {
  Controller::VisitReferences(visit);
  for (const Ptr<Animation>& animation : animations) {
    if (animation) visit(animation.Get());
  }
  for (const AnimationFrame& frame : frames) {
    if (frame.animation) visit(frame.animation.Get());
  }
  for (const BlendStage& stage : stages) {
    if (stage.animation) visit(stage.animation.Get());
  }
}

bool AnimationController::AdvancePhase(double time) {
  if (!(period > 0.0)) return false;
  const double step = time / period;
  if (std::isfinite(step)) phase += step;
  if (phase >= 1.0 || phase < 0.0) phase -= std::floor(phase);
  // Rounding (a tiny negative phase) or a phase set from outside.
  if (!(phase >= 0.0 && phase < 1.0)) phase = 0.0;
  return true;
}

void AnimationController::Update(double time) {
  if (!IsActive() || !AdvancePhase(time)) return;

  // The first two frames whose windows hold the phase.
  const AnimationFrame* playing[2] = {nullptr, nullptr};
  int32_t found = 0;
  for (const AnimationFrame& frame : frames) {
    if (!frame.Holds(phase)) continue;
    playing[found++] = &frame;
    if (found == 2) break;
  }
  for (int32_t k = 0; k < found; ++k) {
    if (GetStageCount() <= k || stages[static_cast<size_t>(k)].animation != playing[k]->animation) {
      SetStageAnimation(playing[k]->animation.Get(), k, 1.0f);
    }
  }

  if (found == 2) {
    const AnimationFrame& a = *playing[0];
    const AnimationFrame& b = *playing[1];
    if (a.start < b.start && a.end < b.end) {
      const float w = FadeWeight(phase - b.start, a.end - b.start);
      stages[1].weight = w;
      stages[0].weight = 1.0f - w;
    } else if (a.start > b.start && a.end > b.end) {
      const float w = FadeWeight(phase - a.start, b.end - a.start);
      stages[0].weight = w;
      stages[1].weight = 1.0f - w;
    } else {
      stages[0].weight = 0.5f;
      stages[1].weight = 0.5f;
    }
  } else if (GetStageCount() > 1 && stages[1].animation) {
    SetStageAnimation(nullptr, 1, 0.0f);
    stages[0].weight = 1.0f;
  }

  for (int32_t k = 0; k < found; ++k) {
    const AnimationFrame& frame = *playing[k];
    stages[static_cast<size_t>(k)].Advance(
        CycleTime(frame.AnimationTime(phase), frame.mode, k == 1));
  }
}

void AnimationController::Reset() {
  ClearStages();
  phase = 0.0;
}

BlendStage* AnimationController::StageAt(int32_t stage) {
  if (stage < 0) return nullptr;
  if (GetStageCount() <= stage) stages.resize(static_cast<size_t>(stage) + 1);
  return &stages[static_cast<size_t>(stage)];
}

void AnimationController::SetStageAnimation(Animation* animation, int32_t stage, float weight) {
  if (BlendStage* target = StageAt(stage)) {
    target->animation = animation;
    target->weight = weight;
  }
}

void AnimationController::SetStageAnimationByName(const String& name, int32_t stage, float weight) {
  BlendStage* target = StageAt(stage);
  if (target == nullptr) return;
  target->animation = nullptr;
  target->weight = weight;
  for (const Ptr<Animation>& animation : animations) {
    if (animation && animation->GetName() == name) target->animation = animation;
  }
}

void AnimationController::SetStageWeight(int32_t stage, float weight) {
  if (stage >= 0 && stage < GetStageCount()) stages[static_cast<size_t>(stage)].weight = weight;
}

void AnimationController::ClearStages() { stages.clear(); }

void AnimationController::ClearStageAnimation(int32_t stage) {
  if (BlendStage* target = StageAt(stage)) target->animation = nullptr;
}

void AnimationController::AddAnimation(Animation* animation) { animations.emplace_back(animation); }

void AnimationController::AddFrame(const AnimationFrame& frame) { frames.push_back(frame); }

}  // namespace ynx
