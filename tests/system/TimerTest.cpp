#include <gtest/gtest.h>

#include <time.h>

#include "engine/system/Timer.h"

namespace ynx {
namespace {

double fakeMilliseconds = 0.0;
double FakeClock() { return fakeMilliseconds; }

TEST(TimerTest, ElapsedIsTheTimeSinceThePreviousReading) {
  fakeMilliseconds = 5000.0;
  Timer timer(FakeClock);
  fakeMilliseconds = 5250.0;
  EXPECT_EQ(timer.Elapsed(), 0.25);
  fakeMilliseconds = 5500.0;
  EXPECT_EQ(timer.Elapsed(), 0.25);
  EXPECT_EQ(timer.Elapsed(), 0.0);
}

TEST(TimerTest, ResetAndStartBeginANewReading) {
  fakeMilliseconds = 0.0;
  Timer timer(FakeClock);
  fakeMilliseconds = 400.0;
  timer.Reset();
  fakeMilliseconds = 500.0;
  EXPECT_DOUBLE_EQ(timer.Elapsed(), 0.1);
  fakeMilliseconds = 2000.0;
  timer.Start();
  fakeMilliseconds = 2125.0;
  EXPECT_EQ(timer.Elapsed(), 0.125);
}

TEST(TimerTest, RealClockCountsMilliseconds) {
  Timer timer;
  const double before = Timer::MonotonicMilliseconds();
  const timespec pause{0, 20 * 1000 * 1000};
  nanosleep(&pause, nullptr);
  const double after = Timer::MonotonicMilliseconds();
  EXPECT_GE(after - before, 20.0);
  EXPECT_LT(after - before, 5000.0);
  const double seconds = timer.Elapsed();
  EXPECT_GE(seconds, 0.02);
  EXPECT_LT(seconds, 5.0);
}

}  // namespace
}  // namespace ynx
