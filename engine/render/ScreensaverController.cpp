#include "engine/render/ScreensaverController.h"

#include <algorithm>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/core/Random.h"
#include "engine/render/Renderer.h"

namespace ynx {
namespace {

// Stored bytes of one set: a reference of at least 4 bytes, then 16.
constexpr int32_t MIN_SET_BYTES = 20;

// Draws before a refused candidate is taken anyway: only a list of sets
// beyond the generator's range can refuse every value it yields.
constexpr int32_t MAX_DRAWS = 1 << 16;

// A track's length, or 0 when it has none to go by.
double Length(const AnimationController* animation) {
  const double period = animation != nullptr ? animation->GetPeriod() : 0.0;
  return period > 0.0 ? period : 0.0;
}

}  // namespace

YNX_IMPLEMENT_CLASS(ScreensaverController, Controller)

ScreensaverController::ScreensaverController(const String& name) : Controller(name) {}

int32_t ScreensaverController::Save(MemoryStream& stream) const {
  FieldWriter out(stream, *this, Controller::Save(stream));
  out.Field("Невозможно сохранить количество сетов. Имя[%s] ID[%d]", GetSetCount());
  for (const ScreensaverSet& set : sets) {
    out.Field("Невозможно сохранить сет. Имя[%s] ID[%d]", set);
  }
  return out.Status();
}

int32_t ScreensaverController::Load(MemoryStream& stream) {
  FieldReader in(stream, *this, Controller::Load(stream));
  if (!in) return in.Status();
  sets.clear();
  recentSets.clear();
  currentSet = -1;
  elapsed = 0.0;
  int32_t count = 0;
  in.Count("Невозможно загрузить количество сетов. ID[%d] Имя[%s]", count, MIN_SET_BYTES);
  if (in) sets.resize(static_cast<size_t>(count));
  for (ScreensaverSet& set : sets) {
    if (!in.Field("Невозможно загрузить сет. Имя[%s] ID[%d]", set)) break;
    set.FindAnimations();
  }
  if (!in) {
    sets.clear();
    return in.Status();
  }
  ChooseNextSet();
  return 0;
}

void ScreensaverController::ReleaseReferences() {
  sets.clear();
  currentSet = -1;
  Controller::ReleaseReferences();
}

void ScreensaverController::VisitReferences(const std::function<void(Object*)>& visit) const {
  Controller::VisitReferences(visit);
  for (const ScreensaverSet& set : sets) {
    if (set.camera) visit(set.camera.Get());
    if (set.cameraAnimation) visit(set.cameraAnimation.Get());
    if (set.targetAnimation) visit(set.targetAnimation.Get());
  }
}

void ScreensaverController::AddSet(Camera* camera, double fadeInTime, double duration) {
  ScreensaverSet set;
  set.camera = camera;
  set.fadeInTime = fadeInTime;
  set.duration = duration;
  set.FindAnimations();
  sets.push_back(std::move(set));
}

void ScreensaverController::ChooseNextSet() {
  const int32_t n = GetSetCount();
  if (n == 0) return;
  const size_t remembered = static_cast<size_t>(std::max(1, n / 2));
  if (recentSets.size() != remembered) recentSets.clear();
  while (recentSets.size() < remembered) recentSets.push_back(Random::Next() % n);
  int32_t candidate = Random::Next() % n;
  for (int32_t draws = 1; remembered > 1 && draws < MAX_DRAWS &&
                          std::find(recentSets.begin(), recentSets.end(), candidate) !=
                              recentSets.end();
       ++draws) {
    candidate = Random::Next() % n;
  }
  recentSets.erase(recentSets.begin());
  recentSets.push_back(candidate);
  Enter(candidate);
}

void ScreensaverController::StartSet(int32_t index) {
  if (index < 0 || index >= GetSetCount()) return;
  Enter(index);
  elapsed = 0.0;
}

void ScreensaverController::Enter(int32_t index) {
  currentSet = index;
  ScreensaverSet& set = sets[static_cast<size_t>(index)];
  if (set.cameraAnimation) {
    set.cameraAnimation->Reset();
    if (const double length = Length(set.cameraAnimation.Get()); length > 0.0) {
      set.duration = length;
    }
  }
  if (set.targetAnimation) {
    set.targetAnimation->Reset();
    if (const double length = Length(set.targetAnimation.Get()); length > 0.0) {
      set.duration = std::min(set.duration, length);
    }
  }
  if (Renderer* renderer = Renderer::GetCurrent()) renderer->SetCamera(set.camera.Get());
}

void ScreensaverController::Update(double time) {
  if (!IsActive() || currentSet < 0) return;
  const double duration = sets[static_cast<size_t>(currentSet)].duration;
  elapsed += time;
  if (!(duration > 0.0) || elapsed < duration) return;
  elapsed -= duration;
  ChooseNextSet();
  const ScreensaverSet& next = sets[static_cast<size_t>(currentSet)];
  // Their own step of time / period, later in this frame, then brings them
  // to elapsed / period.
  for (AnimationController* animation : {next.cameraAnimation.Get(), next.targetAnimation.Get()}) {
    if (const double length = Length(animation); length > 0.0) {
      animation->SetPhase(animation->GetPhase() - (time - elapsed) / length);
    }
  }
}

double ScreensaverController::GetFade() const {
  if (currentSet < 0) return 0.0;
  const ScreensaverSet& set = sets[static_cast<size_t>(currentSet)];
  if (set.duration > 0.0 && set.duration - elapsed <= 0.0) return elapsed - set.duration;
  if (elapsed - set.fadeInTime <= 0.0) return set.fadeInTime - elapsed;
  return 0.0;
}

void ScreensaverController::Reset() {
  ChooseNextSet();
  elapsed = 0.0;
}

}  // namespace ynx
