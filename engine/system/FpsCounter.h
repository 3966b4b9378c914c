#pragma once

#include <cstdint>

#include "engine/system/Timer.h"

namespace ynx {

// Frames per second, renewed about once a second from the frames counted
// since the last renewal.
class FpsCounter {
 public:
  explicit FpsCounter(Timer::Clock now = Timer::MonotonicMilliseconds);

  // Counts one frame; past one second the rate is renewed and the time beyond
  // the second is carried into the next period.
  void Tick();
  // 0 until the first second has passed.
  double GetFps() const { return fps; }

 private:
  uint32_t frames;
  Timer timer;
  double accumulated;  // seconds since the last renewal
  double fps;
};

}  // namespace ynx
