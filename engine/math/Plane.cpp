#include "engine/math/Plane.h"

namespace ynx {

float Plane::SignedDistance(const Vector3& point) const { return Vector3::Dot(normal, point) - d; }

}  // namespace ynx
