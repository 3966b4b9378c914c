#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/core/Controller.h"
#include "engine/render/ScreensaverSet.h"

namespace ynx {

// The show's director: holds camera sets, picks one at random while
// avoiding recent repeats, makes its camera the renderer's, restarts its
// animations and cuts to another set once the current one has run its
// length.
//
// Streamed after the controller data: the set count (int32), then each set
// (ScreensaverSet). Loading ends by choosing the first set.
class ScreensaverController : public Controller {
  YNX_DECLARE_CLASS(ScreensaverController);

 public:
  explicit ScreensaverController(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  // Adds the time to the current set's; once that reaches the set's
  // duration, cuts to the next set and moves its animations back by the
  // part of the frame spent before the cut, so that their own update in
  // this frame leaves them at the time left over. Nothing while inactive
  // or before a set was chosen. A set without a positive duration is held
  // until the next Reset: it has no length to run out, but its time runs,
  // so that its fade-in ends.
  void Update(double time) override;
  // Chooses a set and starts its time at 0.
  void Reset() override;

  // With n sets: remembers the last max(1, n / 2) choices (filled with
  // random picks at first) and draws until a set outside them comes up;
  // with a memory of one any set is taken, the same one included. The
  // chosen set's animations are reset, its duration becomes the camera
  // animation's period, or the target animation's when that is shorter
  // (only a positive period counts), and its camera becomes the current
  // renderer's. Nothing without sets.
  void ChooseNextSet();
  // Cuts to set `index` as a choice of it would (animations reset, length
  // fixed, camera made current) and starts its time at 0, leaving the
  // remembered choices alone; a viewer uses it to show one set. Nothing
  // for an index out of range.
  void StartSet(int32_t index);

  // The set's animations are found from its camera.
  void AddSet(Camera* camera, double fadeInTime, double duration);
  int32_t GetSetCount() const { return static_cast<int32_t>(sets.size()); }
  const ScreensaverSet& GetSet(int32_t index) const { return sets[static_cast<size_t>(index)]; }
  // -1 until a set was chosen.
  int32_t GetCurrentSet() const { return currentSet; }
  // Oldest first.
  const std::vector<int32_t>& GetRecentSets() const { return recentSets; }
  double GetElapsed() const { return elapsed; }
  // How dark the picture is over the current set, as the alpha of a black
  // overlay (1 and above is black): fadeInTime at a cut, down to 0 after
  // fadeInTime seconds; at or past the end of a set that was not cut, the
  // time overrun. 0 without a set.
  double GetFade() const;

 private:
  // Steps taken for whichever set is chosen: see ChooseNextSet.
  void Enter(int32_t index);

  std::vector<ScreensaverSet> sets;
  int32_t currentSet = -1;
  std::vector<int32_t> recentSets;
  double elapsed = 0.0;
};

}  // namespace ynx
