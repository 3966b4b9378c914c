#pragma once

#include <cstdint>

namespace ynx {

// The engine's one pseudo-random sequence, the classic 15-bit linear
// congruential generator: state = state * 214013 + 2531011, each value
// bits 16 to 30 of the new state. Owned by the engine rather than the C
// library so that a seed replays the same sequence everywhere; engine start
// seeds it from the clock.
class Random {
 public:
  static constexpr int32_t MAX = 32767;

  static void Seed(uint32_t seed);
  // 0 to MAX.
  static int32_t Next();
};

}  // namespace ynx
