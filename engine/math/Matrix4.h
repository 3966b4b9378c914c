#pragma once

#include <type_traits>

#include "engine/math/Vector3.h"
#include "engine/math/Vector4.h"

namespace ynx {

// Row-major 4x4 matrix, m[row * 4 + column]. Row vectors multiply from the
// left (p' = p·M), so a placing matrix keeps its translation in row 3
// (m[12], m[13], m[14]) and a chain applying A then B is A·B.
struct Matrix4 {
  float m[16] = {};

  static Matrix4 Identity();
  // A·B.
  static Matrix4 Multiply(const Matrix4& a, const Matrix4& b);
  // The zero matrix when the determinant is too close to 0 to divide by:
  // callers can test for it instead of receiving infinities.
  static Matrix4 Inverse(const Matrix4& matrix);
  // Rows become columns: what vertex programs that transform with m4x4
  // (one dot product per register) need in their constant registers.
  static Matrix4 Transpose(const Matrix4& matrix);

  bool operator==(const Matrix4& other) const = default;

  // v·M.
  Vector4 Transform(const Vector4& v) const;
  // (p, 1)·M without the division by w: exact for placing matrices.
  Vector3 TransformPoint(const Vector3& p) const;
};

static_assert(sizeof(Matrix4) == 64 && std::is_trivially_copyable_v<Matrix4>);

}  // namespace ynx
