#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <ostream>
#include <random>

#include "engine/math/Matrix4.h"
#include "engine/math/Quaternion.h"
#include "engine/math/Vector3.h"

// Found by argument-dependent lookup, so failures print values, not bytes.
namespace ynx {

inline void PrintTo(const Vector3& v, std::ostream* out) {
  *out << "(" << v.x << ", " << v.y << ", " << v.z << ")";
}

inline void PrintTo(const Quaternion& q, std::ostream* out) {
  *out << "(" << q.x << ", " << q.y << ", " << q.z << ", " << q.w << ")";
}

inline void PrintTo(const Matrix4& matrix, std::ostream* out) {
  for (int i = 0; i < 16; ++i) *out << (i % 4 == 0 ? " | " : " ") << matrix.m[i];
}

}  // namespace ynx

namespace ynx::test {

constexpr float TOLERANCE = 1e-5f;

inline std::array<float, 3> Components(const Vector3& v) { return {v.x, v.y, v.z}; }
inline std::array<float, 4> Components(const Quaternion& q) { return {q.x, q.y, q.z, q.w}; }
inline std::array<float, 16> Components(const Matrix4& matrix) { return std::to_array(matrix.m); }

// Every component within the tolerance.
template <typename T>
::testing::AssertionResult Near(const T& actual, const T& expected, float tolerance = TOLERANCE) {
  const auto a = Components(actual);
  const auto e = Components(expected);
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!(std::fabs(a[i] - e[i]) <= tolerance)) {
      return ::testing::AssertionFailure() << ::testing::PrintToString(actual) << " differs from "
                                           << ::testing::PrintToString(expected) << " at " << i;
    }
  }
  return ::testing::AssertionSuccess();
}

// q and -q are the same rotation.
inline ::testing::AssertionResult SameRotation(const Quaternion& actual,
                                               const Quaternion& expected) {
  const Quaternion negated{-expected.x, -expected.y, -expected.z, -expected.w};
  if (Near(actual, expected) || Near(actual, negated)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << ::testing::PrintToString(actual) << " is not ±"
                                       << ::testing::PrintToString(expected);
}

// Turns by angle about a unit axis.
inline Quaternion AxisAngle(const Vector3& axis, float angle) {
  const float s = std::sin(angle / 2);
  return {axis.x * s, axis.y * s, axis.z * s, std::cos(angle / 2)};
}

// Evenly spread over all rotations, repeatable from the seed.
inline Quaternion RandomRotation(std::mt19937& random) {
  std::normal_distribution<float> normal;
  const Quaternion q{normal(random), normal(random), normal(random), normal(random)};
  const float length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
  return {q.x / length, q.y / length, q.z / length, q.w / length};
}

}  // namespace ynx::test
