#include "engine/math/Quaternion.h"

#include <cmath>

namespace ynx {

namespace {

// Operands of Slerp whose dot product is within this (2^-23) of 1 are
// treated as equal: sin θ would be too small to divide by.
constexpr float SLERP_THRESHOLD = 1.1920929e-7f;

}  // namespace

Quaternion Quaternion::Multiply(const Quaternion& a, const Quaternion& b) {
  return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
          a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
          a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
          a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

Matrix3 Quaternion::ToMatrix3(const Quaternion& q) {
  const float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
  const float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
  const float xw = q.x * q.w, yw = q.y * q.w, zw = q.z * q.w;
  return {{1 - 2 * yy - 2 * zz, 2 * xy - 2 * zw, 2 * xz + 2 * yw,
           2 * xy + 2 * zw, 1 - 2 * xx - 2 * zz, 2 * yz - 2 * xw,
           2 * xz - 2 * yw, 2 * yz + 2 * xw, 1 - 2 * xx - 2 * yy}};
}

Matrix4 Quaternion::ToMatrix4(const Quaternion& q) {
  const Matrix3 rotation = ToMatrix3(q);
  Matrix4 result = Matrix4::Identity();
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      result.m[row * 4 + column] = rotation.m[row * 3 + column];
    }
  }
  return result;
}

// Solves for the component with the largest magnitude first (w when the
// trace is positive, else the one of the largest diagonal term) and takes
// the other three from sums and differences of the off-diagonal terms, so
// the division is never by a small number.
Quaternion Quaternion::FromMatrix3(const Matrix3& matrix) {
  const float* m = matrix.m;
  const float trace = m[0] + m[4] + m[8];
  if (trace > 0.0f) {
    const float w = 0.5f * std::sqrt(trace + 1.0f);
    const float d = 4.0f * w;
    return {(m[7] - m[5]) / d, (m[2] - m[6]) / d, (m[3] - m[1]) / d, w};
  }
  if (m[4] < m[0] && m[0] > m[8]) {
    const float x = 0.5f * std::sqrt(m[0] - m[4] - m[8] + 1.0f);
    const float d = 4.0f * x;
    return {x, (m[3] + m[1]) / d, (m[6] + m[2]) / d, (m[7] - m[5]) / d};
  }
  if (m[4] >= m[0] && m[4] > m[8]) {
    const float y = 0.5f * std::sqrt(m[4] - m[0] - m[8] + 1.0f);
    const float d = 4.0f * y;
    return {(m[3] + m[1]) / d, y, (m[7] + m[5]) / d, (m[2] - m[6]) / d};
  }
  const float z = 0.5f * std::sqrt(m[8] - m[0] - m[4] + 1.0f);
  const float d = 4.0f * z;
  return {(m[6] + m[2]) / d, (m[7] + m[5]) / d, z, (m[3] - m[1]) / d};
}

Quaternion Quaternion::Slerp(float t, const Quaternion& a, const Quaternion& b) {
  float cosine = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
  Quaternion to = b;
  // q and -q are the same rotation; flipping b keeps to the shorter arc.
  if (cosine < 0.0f) {
    to = {-b.x, -b.y, -b.z, -b.w};
    cosine = -cosine;
  }
  // This test also keeps acos's argument below 1 when rounding pushes the
  // dot product of unit operands just past it.
  if (1.0f - cosine > SLERP_THRESHOLD) {
    const float angle = std::acos(cosine);
    const float sine = std::sin(angle);
    const float fa = std::sin((1.0f - t) * angle) / sine;
    const float fb = std::sin(t * angle) / sine;
    return {a.x * fa + to.x * fb, a.y * fa + to.y * fb, a.z * fa + to.z * fb,
            a.w * fa + to.w * fb};
  }
  return a;
}

}  // namespace ynx
