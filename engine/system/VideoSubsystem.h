#pragma once

namespace ynx {

// SDL's video (and with it its event queue), started when the window layer
// first needs the display and ended with the input manager.
class VideoSubsystem {
 public:
  // False, with a log line, when there is no display to talk to.
  static bool Start();
  static bool IsStarted() { return started; }
  // Windows still open go with it.
  static void Stop();

 private:
  static inline bool started = false;
};

}  // namespace ynx
