#include "engine/system/FpsCounter.h"

namespace ynx {

FpsCounter::FpsCounter(Timer::Clock now) : frames(0), timer(now), accumulated(0.0), fps(0.0) {}

void FpsCounter::Tick() {
  ++frames;
  accumulated += timer.Elapsed();
  if (accumulated > 1.0) {
    fps = frames / accumulated;
    frames = 0;
    accumulated -= 1.0;
  }
}

}  // namespace ynx
