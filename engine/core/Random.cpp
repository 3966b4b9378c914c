#include "engine/core/Random.h"

namespace ynx {
namespace {

// Until seeded the sequence starts as after Seed(1).
uint32_t state = 1;

}  // namespace

void Random::Seed(uint32_t seed) { state = seed; }

int32_t Random::Next() {
  state = state * 214013u + 2531011u;
  return static_cast<int32_t>((state >> 16) & 0x7FFFu);
}

}  // namespace ynx
