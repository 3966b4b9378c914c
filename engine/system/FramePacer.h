#pragma once

#include <cstdint>

namespace ynx {

// Keeps a frame loop under a frame rate: each frame has a budget of
// 1/maxFps seconds, and the time the frame left of it is slept away on the
// monotonic clock (no spinning). Without a cap nothing waits.
class FramePacer {
 public:
  // 0 for no cap.
  void SetMaxFps(int32_t maxFps);
  int32_t GetMaxFps() const { return maxFps; }
  // Sleeps until the next frame is due. A frame that overran its budget
  // starts the count again from now instead of hurrying the next ones.
  void WaitForNextFrame();
  // Sleeps that many seconds (interrupted early by a signal, so that its
  // handler's work is seen at once); the next frame is due at once.
  void Sleep(double seconds);

 private:
  int32_t maxFps = 0;
  // Nanoseconds of CLOCK_MONOTONIC when the next frame is due; 0 before
  // the first frame.
  int64_t due = 0;
};

}  // namespace ynx
