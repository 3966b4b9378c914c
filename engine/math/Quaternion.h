#pragma once

#include <type_traits>

#include "engine/math/Matrix3.h"
#include "engine/math/Matrix4.h"

namespace ynx {

// Rotation as a unit quaternion; the default is the identity.
//
// M(q) (ToMatrix3) is the matrix that turns column vectors by q. Engine
// vectors are rows, v·M(q), which turns the other way: for q a quarter turn
// about +Y, +X goes to +Z; about +X, +Y goes to -Z; about +Z, +X goes to -Y.
// Since M(a)·M(b) = M(a·b), turning by a and then by b is Multiply(a, b).
struct Quaternion {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float w = 1.0f;

  // Hamilton product a·b.
  static Quaternion Multiply(const Quaternion& a, const Quaternion& b);
  static Matrix3 ToMatrix3(const Quaternion& q);
  // M(q) in the upper left, no translation.
  static Matrix4 ToMatrix4(const Quaternion& q);
  // Inverse of ToMatrix3 for rotation matrices, up to the sign of the result.
  static Quaternion FromMatrix3(const Matrix3& matrix);
  // Along the shorter arc; t is not clamped. Operands too close to tell
  // apart (q and -q included) give a itself.
  static Quaternion Slerp(float t, const Quaternion& a, const Quaternion& b);

  bool operator==(const Quaternion& other) const = default;
};

static_assert(sizeof(Quaternion) == 16 && std::is_trivially_copyable_v<Quaternion>);

}  // namespace ynx
