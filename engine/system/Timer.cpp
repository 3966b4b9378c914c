#include "engine/system/Timer.h"

#include <time.h>

namespace ynx {

double Timer::MonotonicMilliseconds() {
  timespec time{};
  clock_gettime(CLOCK_MONOTONIC, &time);
  return static_cast<double>(time.tv_sec) * 1000.0 + static_cast<double>(time.tv_nsec) * 1e-6;
}

Timer::Timer(Clock now) : start(now()), pausedAt(0.0), last(start), paused(false), now(now) {}

void Timer::Reset() {
  start = last = now();
  paused = false;
  pausedAt = 0.0;
}

void Timer::Start() {
  const double time = now();
  if (paused) {
    start += time - pausedAt;
    paused = false;
  } else {
    start = time;
  }
  last = time;
  pausedAt = 0.0;
}

double Timer::Elapsed() {
  const double time = now();
  const double seconds = (time - last) * 0.001;
  last = time;
  return seconds;
}

}  // namespace ynx
