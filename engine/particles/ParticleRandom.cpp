#include "engine/particles/ParticleRandom.h"

#include "engine/core/Random.h"

namespace ynx {

namespace {
constexpr float TWO_PI = 6.28318530717959f;
constexpr float RANGE = static_cast<float>(Random::MAX);
}  // namespace

float ParticleRandom::Unit() { return static_cast<float>(Random::Next()) / RANGE; }

float ParticleRandom::Angle() { return TWO_PI * static_cast<float>(Random::Next()) / RANGE; }

float ParticleRandom::Jittered(float base, float jitter) {
  return base + (-jitter + Unit() * (2.0f * jitter));
}

Color ParticleRandom::Jittered(const Color& base, const Color& jitter) {
  Color result;
  result.red = Jittered(base.red, jitter.red);
  result.green = Jittered(base.green, jitter.green);
  result.blue = Jittered(base.blue, jitter.blue);
  result.alpha = Jittered(base.alpha, jitter.alpha);
  return result;
}

Vector3 ParticleRandom::Jittered(const Vector3& base, const Vector3& jitter) {
  Vector3 result;
  result.x = Jittered(base.x, jitter.x);
  result.y = Jittered(base.y, jitter.y);
  result.z = Jittered(base.z, jitter.z);
  return result;
}

}  // namespace ynx
