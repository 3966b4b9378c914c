#include <gtest/gtest.h>

#include "engine/system/FpsCounter.h"

namespace ynx {
namespace {

double fakeMilliseconds = 0.0;
double FakeClock() { return fakeMilliseconds; }

void TickEvery(FpsCounter& counter, double milliseconds, int frames) {
  for (int i = 0; i < frames; ++i) {
    fakeMilliseconds += milliseconds;
    counter.Tick();
  }
}

// Frames 1/64 s apart add up without rounding, so the comparison with one
// second and the carried remainder show exactly.
TEST(FpsCounterTest, RateIsRenewedPastEachSecondWithTheRemainderCarried) {
  fakeMilliseconds = 0.0;
  FpsCounter counter(FakeClock);
  EXPECT_EQ(counter.GetFps(), 0.0);
  TickEvery(counter, 15.625, 64);
  EXPECT_EQ(counter.GetFps(), 0.0) << "exactly one second is not past it";
  TickEvery(counter, 15.625, 1);
  EXPECT_EQ(counter.GetFps(), 65 / 1.015625);
  TickEvery(counter, 15.625, 63);
  EXPECT_EQ(counter.GetFps(), 65 / 1.015625) << "1/64 s carried plus 63 frames is one second";
  TickEvery(counter, 15.625, 1);
  EXPECT_EQ(counter.GetFps(), 64 / 1.015625);
}

// 0.025 s has no exact binary form: forty of them round to just over or
// under a second, so the rate arrives with the 40th or the 41st frame.
TEST(FpsCounterTest, FramesEvery25MillisecondsGiveForty) {
  fakeMilliseconds = 1000.0;
  FpsCounter counter(FakeClock);
  TickEvery(counter, 25.0, 39);
  EXPECT_EQ(counter.GetFps(), 0.0);
  TickEvery(counter, 25.0, 2);
  EXPECT_NEAR(counter.GetFps(), 40.0, 1e-9);
}

}  // namespace
}  // namespace ynx
