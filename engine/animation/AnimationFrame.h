#pragma once

#include <cstdint>

#include "engine/animation/Animation.h"
#include "engine/core/Ptr.h"

namespace ynx {

class MemoryStream;

// A time window on an animation controller's track: while the track phase
// lies inside [start, end], the animation plays, its own time running from
// 0 to 1 over the window (times speed, plus offset) and mapped by the mode.
//
// Streamed as the animation reference, then mode (int32), start, end, speed
// and offset (float64 each).
struct AnimationFrame {
  enum Mode : int32_t {
    MODE_ONCE = 0,
    MODE_LOOP = 1,
    // Any other value plays forwards and backwards in turn.
  };

  // 1 on failure, with the step's message.
  int32_t Save(MemoryStream& stream) const;
  int32_t Load(MemoryStream& stream);

  // The animation's own time at the track phase, not yet mapped by the mode.
  double AnimationTime(double phase) const;
  bool Holds(double phase) const { return start <= phase && phase <= end; }

  Ptr<Animation> animation;
  int32_t mode = MODE_LOOP;
  double start = 0.0;
  double end = 1.0;
  double speed = 1.0;
  double offset = 0.0;
};

}  // namespace ynx
