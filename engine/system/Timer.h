#pragma once

namespace ynx {

// Wall time between readings, in seconds, from a monotonic clock.
class Timer {
 public:
  // A clock in milliseconds; tests hand in their own.
  using Clock = double (*)();

  // CLOCK_MONOTONIC in milliseconds.
  static double MonotonicMilliseconds();

  explicit Timer(Clock now = MonotonicMilliseconds);

  // Starts over from now.
  void Reset();
  // Resumes a paused timer without counting the pause; otherwise starts over
  // from now.
  void Start();
  // Seconds since the previous reading (or construction, Reset, Start).
  double Elapsed();

 private:
  double start;     // ms of the clock at the last reset
  double pausedAt;  // ms of the clock when paused, 0 otherwise
  double last;      // ms of the clock at the last reading
  bool paused;
  Clock now;
};

}  // namespace ynx
