#include <gtest/gtest.h>

#include "engine/math/Plane.h"
#include "engine/math/Vector2.h"
#include "engine/math/Vector3.h"
#include "engine/math/Vector4.h"
#include "tests/math/MathExpectations.h"

namespace ynx {
namespace {

using test::Near;

TEST(VectorTest, ArithmeticWorksComponentWise) {
  EXPECT_EQ((Vector2{1, 2} + Vector2{10, 20}), (Vector2{11, 22}));
  EXPECT_EQ((Vector2{1, 2} - Vector2{10, 20}), (Vector2{-9, -18}));
  EXPECT_EQ((Vector2{1, 2} * 3), (Vector2{3, 6}));
  EXPECT_EQ((Vector3{1, 2, 3} + Vector3{10, 20, 30}), (Vector3{11, 22, 33}));
  EXPECT_EQ((Vector3{1, 2, 3} - Vector3{10, 20, 30}), (Vector3{-9, -18, -27}));
  EXPECT_EQ((Vector3{1, 2, 3} * 3), (Vector3{3, 6, 9}));
  EXPECT_EQ(Vector3::Scale({1, 2, 3}, {4, 5, 6}), (Vector3{4, 10, 18}));
  EXPECT_EQ((Vector4{1, 2, 3, 4} + Vector4{10, 20, 30, 40}), (Vector4{11, 22, 33, 44}));
  EXPECT_EQ((Vector4{1, 2, 3, 4} - Vector4{10, 20, 30, 40}), (Vector4{-9, -18, -27, -36}));
  EXPECT_EQ((Vector4{1, 2, 3, 4} * 3), (Vector4{3, 6, 9, 12}));
}

TEST(VectorTest, DotCrossAndLength) {
  EXPECT_EQ(Vector3::Dot({1, 2, 3}, {-4, 5, 0.5f}), 7.5f);
  EXPECT_EQ(Vector3::Cross({1, 0, 0}, Vector3::UP), (Vector3{0, 0, 1}));
  EXPECT_EQ(Vector3::Cross(Vector3::UP, {0, 0, 1}), (Vector3{1, 0, 0}));
  EXPECT_EQ(Vector3::Cross({1, 2, 3}, {-4, 5, 0.5f}), (Vector3{-14, -12.5f, 13}));
  EXPECT_EQ((Vector3{3, 4, 12}).Length(), 13.0f);
}

TEST(VectorTest, NormalizeGivesUnitLength) {
  Vector3 v{3, 4, 0};
  v.Normalize();
  EXPECT_TRUE(Near(v, {0.6f, 0.8f, 0}));
  // Squared length 1.6e-7 is just long enough.
  Vector3 shortest{4e-4f, 0, 0};
  shortest.Normalize();
  EXPECT_TRUE(Near(shortest, {1, 0, 0}));
}

TEST(VectorTest, NormalizeZeroesVectorsTooShortForADirection) {
  // The last one's length (3e-4) is above the threshold, its square is not.
  for (Vector3 v : {Vector3{}, Vector3{1e-4f, 0, 0}, Vector3{0, -1e-4f, 1e-4f},
                    Vector3{3e-4f, 0, 0}}) {
    v.Normalize();
    EXPECT_EQ(v, Vector3{});
  }
}

TEST(PlaneTest, SignedDistanceIsPositiveOnTheNormalSide) {
  const Plane floor{Vector3::UP, 2};
  EXPECT_EQ(floor.SignedDistance({5, 3, -1}), 1.0f);
  EXPECT_EQ(floor.SignedDistance({-7, 2, 4}), 0.0f);
  EXPECT_EQ(floor.SignedDistance({0, 0, 0}), -2.0f);
  const Plane tilted{{0.6f, 0.8f, 0}, -1};
  EXPECT_NEAR(tilted.SignedDistance({3, 4, 9}), 6.0f, test::TOLERANCE);
}

}  // namespace
}  // namespace ynx
