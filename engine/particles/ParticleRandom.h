#pragma once

#include <cstdint>

#include "engine/math/Color.h"
#include "engine/math/Vector3.h"

namespace ynx {

// The draws particles are made of, each one value of the engine's 15-bit
// generator, in float32 as the emission arithmetic runs. "x ± j" is x
// moved uniformly within [x − j, x + j]; colours and vectors draw once per
// component, in memory order.
class ParticleRandom {
 public:
  // rand() / 32767.
  static float Unit();
  // 2π · rand() / 32767.
  static float Angle();
  static float Jittered(float base, float jitter);
  static Color Jittered(const Color& base, const Color& jitter);
  static Vector3 Jittered(const Vector3& base, const Vector3& jitter);
};

}  // namespace ynx
