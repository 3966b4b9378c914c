#pragma once

#include <type_traits>

#include "engine/math/Vector3.h"

namespace ynx {

// The points p with Dot(normal, p) = d. The side the normal points to is
// the inside, as culling against a set of planes expects.
struct Plane {
  Vector3 normal;
  float d = 0.0f;

  // Positive inside, negative outside; a true distance only for a unit normal.
  float SignedDistance(const Vector3& point) const;
};

static_assert(sizeof(Plane) == 16 && std::is_trivially_copyable_v<Plane>);

}  // namespace ynx
