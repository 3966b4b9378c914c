#include "engine/math/Matrix4.h"

#include <cmath>

namespace ynx {

namespace {

// Determinants at or below this magnitude (2^-23) count as singular.
constexpr float MIN_DETERMINANT = 1.1920929e-7f;

}  // namespace

Matrix4 Matrix4::Identity() { return {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}; }

Matrix4 Matrix4::Multiply(const Matrix4& a, const Matrix4& b) {
  Matrix4 result;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[row * 4 + k] * b.m[k * 4 + column];
      result.m[row * 4 + column] = sum;
    }
  }
  return result;
}

Matrix4 Matrix4::Transpose(const Matrix4& matrix) {
  Matrix4 result;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      result.m[column * 4 + row] = matrix.m[row * 4 + column];
    }
  }
  return result;
}

// Cofactor expansion along the top two rows against the bottom two: the
// twelve 2x2 minors below give every cofactor and the determinant.
Matrix4 Matrix4::Inverse(const Matrix4& matrix) {
  const float* a = matrix.m;
  const float s0 = a[0] * a[5] - a[4] * a[1];
  const float s1 = a[0] * a[6] - a[4] * a[2];
  const float s2 = a[0] * a[7] - a[4] * a[3];
  const float s3 = a[1] * a[6] - a[5] * a[2];
  const float s4 = a[1] * a[7] - a[5] * a[3];
  const float s5 = a[2] * a[7] - a[6] * a[3];
  const float c0 = a[8] * a[13] - a[12] * a[9];
  const float c1 = a[8] * a[14] - a[12] * a[10];
  const float c2 = a[8] * a[15] - a[12] * a[11];
  const float c3 = a[9] * a[14] - a[13] * a[10];
  const float c4 = a[9] * a[15] - a[13] * a[11];
  const float c5 = a[10] * a[15] - a[14] * a[11];

  const float determinant = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
  if (std::fabs(determinant) <= MIN_DETERMINANT) return {};
  const float f = 1.0f / determinant;

  return {{
      (a[5] * c5 - a[6] * c4 + a[7] * c3) * f,
      (-a[1] * c5 + a[2] * c4 - a[3] * c3) * f,
      (a[13] * s5 - a[14] * s4 + a[15] * s3) * f,
      (-a[9] * s5 + a[10] * s4 - a[11] * s3) * f,

      (-a[4] * c5 + a[6] * c2 - a[7] * c1) * f,
      (a[0] * c5 - a[2] * c2 + a[3] * c1) * f,
      (-a[12] * s5 + a[14] * s2 - a[15] * s1) * f,
      (a[8] * s5 - a[10] * s2 + a[11] * s1) * f,

      (a[4] * c4 - a[5] * c2 + a[7] * c0) * f,
      (-a[0] * c4 + a[1] * c2 - a[3] * c0) * f,
      (a[12] * s4 - a[13] * s2 + a[15] * s0) * f,
      (-a[8] * s4 + a[9] * s2 - a[11] * s0) * f,

      (-a[4] * c3 + a[5] * c1 - a[6] * c0) * f,
      (a[0] * c3 - a[1] * c1 + a[2] * c0) * f,
      (-a[12] * s3 + a[13] * s1 - a[14] * s0) * f,
      (a[8] * s3 - a[9] * s1 + a[10] * s0) * f,
  }};
}

Vector4 Matrix4::Transform(const Vector4& v) const {
  return {v.x * m[0] + v.y * m[4] + v.z * m[8] + v.w * m[12],
          v.x * m[1] + v.y * m[5] + v.z * m[9] + v.w * m[13],
          v.x * m[2] + v.y * m[6] + v.z * m[10] + v.w * m[14],
          v.x * m[3] + v.y * m[7] + v.z * m[11] + v.w * m[15]};
}

Vector3 Matrix4::TransformPoint(const Vector3& p) const {
  const Vector4 result = Transform({p.x, p.y, p.z, 1.0f});
  return {result.x, result.y, result.z};
}

}  // namespace ynx
