#pragma once

#include "engine/math/Color.h"
#include "engine/math/Vector3.h"

namespace ynx {

// One particle of a particle system, in world space; linked into the
// system's live list or its free list.
struct Particle {
  Vector3 position;
  Vector3 velocity;
  Vector3 acceleration;
  Color color;
  Color startColor;
  Color endColor;
  float size = 0.0f;
  float startSize = 0.0f;
  float endSize = 0.0f;
  float life = 0.0f;
  float age = 0.0f;
  Particle* next = nullptr;
};

}  // namespace ynx
