#pragma once

#include "engine/particles/ParticleRandom.h"

namespace ynx {

// A particle parameter as the system holds it: a base value and the
// symmetric jitter each new particle draws around it.
template <typename T>
struct Spread {
  T base;
  T jitter;

  // base ± jitter, one draw per component.
  T Draw() const { return ParticleRandom::Jittered(base, jitter); }
};

}  // namespace ynx
