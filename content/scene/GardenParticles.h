#pragma once

#include "engine/math/Vector3.h"
#include "engine/render/SpriteParticleSystem.h"
#include "engine/render/Texture.h"
#include "engine/scene/Triangles.h"

namespace ynx::content {

// The garden's sprite particles: fireflies drifting over the water and
// maple leaves falling from the canopy's triangles.
class GardenParticles {
 public:
  // A cloud of blinking points round `centre`, `radius` metres across.
  static SpriteParticleSystem* Fireflies(const char* name, Texture* sprite, const Vector3& centre, float radius);
  // Drops thrown up from the pond's inlet and falling back.
  static SpriteParticleSystem* Spout(Texture* sprite, const Vector3& at);
  // Leaves let go from random points of `canopy`, whose vertices are
  // unshared (triangle t is vertices 3t..3t+2), and sink slowly.
  static SpriteParticleSystem* FallingLeaves(Texture* sprite, Triangles* canopy);
};

}  // namespace ynx::content
