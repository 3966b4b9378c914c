#include "engine/math/Matrix3.h"

namespace ynx {

Matrix3 Matrix3::FromAxes(const Vector3& u, const Vector3& v, const Vector3& w, bool asColumns) {
  if (asColumns) return {{u.x, v.x, w.x, u.y, v.y, w.y, u.z, v.z, w.z}};
  return {{u.x, u.y, u.z, v.x, v.y, v.z, w.x, w.y, w.z}};
}

Vector3 Matrix3::Transform(const Vector3& v) const {
  return {v.x * m[0] + v.y * m[3] + v.z * m[6], v.x * m[1] + v.y * m[4] + v.z * m[7],
          v.x * m[2] + v.y * m[5] + v.z * m[8]};
}

}  // namespace ynx
