#include "engine/system/FramePacer.h"

#include <time.h>

namespace ynx {
namespace {

constexpr int64_t NANOSECONDS = 1000000000;

int64_t Now() {
  timespec time{};
  clock_gettime(CLOCK_MONOTONIC, &time);
  return static_cast<int64_t>(time.tv_sec) * NANOSECONDS + time.tv_nsec;
}

void SleepUntil(int64_t when) {
  const timespec until{static_cast<time_t>(when / NANOSECONDS), static_cast<long>(when % NANOSECONDS)};
  clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
}

}  // namespace

void FramePacer::SetMaxFps(int32_t fps) {
  maxFps = fps > 0 ? fps : 0;
  due = 0;
}

void FramePacer::WaitForNextFrame() {
  if (maxFps == 0) return;
  const int64_t budget = NANOSECONDS / maxFps;
  const int64_t now = Now();
  if (due == 0 || now - due > budget) {
    due = now + budget;
    return;
  }
  SleepUntil(due);
  due += budget;
}

void FramePacer::Sleep(double seconds) {
  SleepUntil(Now() + static_cast<int64_t>(seconds * NANOSECONDS));
  due = 0;
}

}  // namespace ynx
