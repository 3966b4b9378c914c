#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "engine/math/Quaternion.h"
#include "tests/math/MathExpectations.h"

namespace ynx {
namespace {

using test::AxisAngle;
using test::Near;
using test::RandomRotation;
using test::SameRotation;

constexpr float HALF_PI = std::numbers::pi_v<float> / 2;
constexpr float PI = std::numbers::pi_v<float>;

Quaternion Negated(const Quaternion& q) { return {-q.x, -q.y, -q.z, -q.w}; }

TEST(QuaternionTest, MultiplyIsTheHamiltonProduct) {
  const Quaternion i{1, 0, 0, 0}, j{0, 1, 0, 0}, k{0, 0, 1, 0};
  EXPECT_EQ(Quaternion::Multiply(i, j), k);
  EXPECT_EQ(Quaternion::Multiply(j, i), Negated(k));
  EXPECT_EQ(Quaternion::Multiply(j, k), i);
  EXPECT_EQ(Quaternion::Multiply(k, k), (Quaternion{0, 0, 0, -1}));
  const Quaternion q{1, 2, 3, 4};
  EXPECT_EQ(Quaternion::Multiply(q, Quaternion{}), q);
  EXPECT_EQ(Quaternion::Multiply(Quaternion{}, q), q);
}

// The convention every caller relies on: v·M(q), +X to +Z for a quarter
// turn about +Y.
TEST(QuaternionTest, QuarterTurnsMoveAxesAsDocumented) {
  const float s = std::sqrt(0.5f);
  EXPECT_TRUE(Near(Quaternion::ToMatrix3({0, s, 0, s}).Transform({1, 0, 0}), {0, 0, 1}));
  EXPECT_TRUE(Near(Quaternion::ToMatrix3({s, 0, 0, s}).Transform({0, 1, 0}), {0, 0, -1}));
  EXPECT_TRUE(Near(Quaternion::ToMatrix3({0, 0, s, s}).Transform({1, 0, 0}), {0, -1, 0}));
}

TEST(QuaternionTest, MultiplyTurnsByTheLeftOperandFirst) {
  std::mt19937 random(7);
  for (int i = 0; i < 20; ++i) {
    const Quaternion a = RandomRotation(random), b = RandomRotation(random);
    const Vector3 v{1, -2, 0.5f};
    const Vector3 chained =
        Quaternion::ToMatrix3(b).Transform(Quaternion::ToMatrix3(a).Transform(v));
    EXPECT_TRUE(Near(Quaternion::ToMatrix3(Quaternion::Multiply(a, b)).Transform(v), chained));
  }
}

TEST(QuaternionTest, ToMatrix4EmbedsTheRotation) {
  const Quaternion q = AxisAngle({0.6f, 0, 0.8f}, 1.0f);
  const Matrix3 rotation = Quaternion::ToMatrix3(q);
  const Matrix4 placed = Quaternion::ToMatrix4(q);
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      const float expected = row < 3 && column < 3 ? rotation.m[row * 3 + column]
                             : row == 3 && column == 3 ? 1.0f
                                                       : 0.0f;
      EXPECT_EQ(placed.m[row * 4 + column], expected) << row << ", " << column;
    }
  }
}

TEST(QuaternionTest, FromMatrix3InvertsToMatrix3) {
  const float s = std::sqrt(0.5f);
  // Half turns (trace -1) and turns just short of them drive each branch
  // with w near 0. The last two have a tiny second-largest component that
  // must not be picked to divide by.
  const Quaternion cases[] = {
      {1, 0, 0, 0},       {0, 1, 0, 0},       {0, 0, 1, 0},
      {s, s, 0, 0},       {0, s, s, 0},       {s, 0, s, 0},
      {0.6f, 0, 0.8f, 0}, AxisAngle({1, 0, 0}, PI - 0.01f),
      AxisAngle({0, 1, 0}, PI - 0.01f),       AxisAngle({0, 0, 1}, PI - 0.01f),
      AxisAngle({0, 0, 1}, HALF_PI),          Quaternion{},
      {1e-3f, 0, 1, 0},   {0, 1e-3f, 1, 0}};
  for (const Quaternion& q : cases) {
    EXPECT_TRUE(SameRotation(Quaternion::FromMatrix3(Quaternion::ToMatrix3(q)), q));
  }
  std::mt19937 random(11);
  for (int i = 0; i < 1000; ++i) {
    const Quaternion q = RandomRotation(random);
    EXPECT_TRUE(SameRotation(Quaternion::FromMatrix3(Quaternion::ToMatrix3(q)), q));
  }
}

TEST(QuaternionTest, SlerpFollowsTheShorterArcWithoutClampingT) {
  const Quaternion from{};
  const Quaternion to = AxisAngle({0, 0, 1}, HALF_PI);
  EXPECT_TRUE(Near(Quaternion::Slerp(0, from, to), from));
  EXPECT_TRUE(Near(Quaternion::Slerp(1, from, to), to));
  EXPECT_TRUE(Near(Quaternion::Slerp(0.5f, from, to), AxisAngle({0, 0, 1}, HALF_PI / 2)));
  EXPECT_TRUE(Near(Quaternion::Slerp(2, from, to), AxisAngle({0, 0, 1}, PI)));
  EXPECT_TRUE(Near(Quaternion::Slerp(-1, from, to), AxisAngle({0, 0, 1}, -HALF_PI)));
  // -to is the same rotation; the result must not take the long way round.
  EXPECT_TRUE(Near(Quaternion::Slerp(0.5f, from, Negated(to)), AxisAngle({0, 0, 1}, HALF_PI / 2)));
}

TEST(QuaternionTest, SlerpOfIndistinguishableOperandsIsTheFirst) {
  const Quaternion q{0.5f, -0.5f, 0.5f, 0.5f};
  // Within the threshold of the identity, but not equal to it.
  const Quaternion nearby = AxisAngle({0, 1, 0}, 2e-4f);
  ASSERT_NE(nearby, Quaternion{});
  for (float t : {-1.0f, 0.0f, 0.3f, 1.0f, 2.0f}) {
    EXPECT_EQ(Quaternion::Slerp(t, q, q), q) << t;
    EXPECT_EQ(Quaternion::Slerp(t, q, Negated(q)), q) << t;
    EXPECT_EQ(Quaternion::Slerp(t, Quaternion{}, nearby), Quaternion{}) << t;
  }
}

}  // namespace
}  // namespace ynx
