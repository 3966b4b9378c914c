#include "content/RandomStream.h"

namespace ynx::content {

uint64_t RandomStream::Next() {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

float RandomStream::Uniform() { return static_cast<float>(Next() >> 40) * (1.0f / 16777216.0f); }

uint32_t RandomStream::Below(uint32_t count) {
  return count == 0 ? 0 : static_cast<uint32_t>((Next() >> 32) % count);
}

}  // namespace ynx::content
