#pragma once

#include <cstdint>

namespace ynx::content {

// A seeded sequence of its own (SplitMix64), so that every generator owns
// its randomness and one change never shifts another's numbers.
class RandomStream {
 public:
  explicit RandomStream(uint64_t seed) : state(seed) {}

  uint64_t Next();
  // In [0, 1).
  float Uniform();
  // In [low, high).
  float Range(float low, float high) { return low + (high - low) * Uniform(); }
  // In [0, count).
  uint32_t Below(uint32_t count);

 private:
  uint64_t state;
};

}  // namespace ynx::content
