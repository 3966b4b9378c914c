#pragma once

#include <type_traits>

#include "engine/math/Vector3.h"

namespace ynx {

// Row-major 3x3 matrix, m[row * 3 + column]. Row vectors multiply from the
// left, so a chain applying A then B is A·B.
struct Matrix3 {
  float m[9] = {};

  // The vectors become the columns when asColumns is set, else the rows.
  // Rows of a rotation are the images of the X, Y and Z axes.
  static Matrix3 FromAxes(const Vector3& u, const Vector3& v, const Vector3& w, bool asColumns);

  bool operator==(const Matrix3& other) const = default;

  // v·M.
  Vector3 Transform(const Vector3& v) const;
};

static_assert(sizeof(Matrix3) == 36 && std::is_trivially_copyable_v<Matrix3>);

}  // namespace ynx
