#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

#include "engine/core/MemoryStream.h"
#include "engine/math/Transformation.h"
#include "tests/math/MathExpectations.h"

namespace ynx {
namespace {

using test::AxisAngle;
using test::Near;
using test::RandomRotation;

constexpr float HALF_PI = std::numbers::pi_v<float> / 2;

void ExpectSame(const Transformation& actual, const Transformation& expected) {
  EXPECT_EQ(actual.scale, expected.scale);
  EXPECT_EQ(actual.rotation, expected.rotation);
  EXPECT_EQ(actual.translation, expected.translation);
  EXPECT_EQ(actual.identity, expected.identity);
  EXPECT_EQ(actual.rotationFree, expected.rotationFree);
}

// Non-uniform scale, an arbitrary rotation and a translation.
Transformation General() {
  return {{10, -20, 30}, AxisAngle({0.6f, 0, 0.8f}, 1.2f), {2, 3, 0.5f}};
}

TEST(TransformationTest, FlagsOverrideTheComponents) {
  Transformation t;
  t.scale = {2, 2, 2};
  t.translation = {1, 1, 1};
  EXPECT_EQ(t.TransformPoint({1, 2, 3}), (Vector3{1, 2, 3}));

  Transformation unturned({1, 2, 3}, AxisAngle({0, 1, 0}, HALF_PI), {2, 2, 2});
  unturned.rotationFree = true;
  EXPECT_EQ(unturned.TransformVector({1, 0, 0}), (Vector3{2, 0, 0}));
  EXPECT_EQ(unturned.TransformPoint({1, 0, 0}), (Vector3{3, 2, 3}));
}

TEST(TransformationTest, WritersClearTheFlagsTheyMayBreak) {
  const Transformation built({0, 0, 0}, Quaternion{}, {1, 1, 1});
  EXPECT_FALSE(built.identity);
  EXPECT_FALSE(built.rotationFree);

  Transformation t;
  t.SetScale({2, 2, 2});
  EXPECT_FALSE(t.identity);
  EXPECT_TRUE(t.rotationFree);
  t = Transformation();
  t.SetTranslation({1, 0, 0});
  EXPECT_FALSE(t.identity);
  EXPECT_TRUE(t.rotationFree);
  t = Transformation();
  t.SetRotation(AxisAngle({0, 1, 0}, 1));
  EXPECT_FALSE(t.identity);
  EXPECT_FALSE(t.rotationFree);
}

TEST(TransformationTest, ScalesThenRotatesThenTranslates) {
  const Transformation t({10, 20, 30}, AxisAngle({0, 1, 0}, HALF_PI), {2, 3, 4});
  EXPECT_TRUE(Near(t.TransformVector({1, 0, 0}), {0, 0, 2}));
  EXPECT_TRUE(Near(t.TransformPoint({1, 0, 0}), {10, 20, 32}));
  EXPECT_TRUE(Near(t.TransformPoint({0, 1, 0}), {10, 23, 30}));
}

TEST(TransformationTest, MatrixMapsPointsLikeTheTransformation) {
  const Transformation t = General();
  const Matrix4 matrix = t.ToMatrix4();
  for (const Vector3& p : {Vector3{}, Vector3{1, 0, 0}, Vector3{-3, 5, 7}, Vector3{0.5f, 2, -1}}) {
    EXPECT_TRUE(Near(matrix.TransformPoint(p), t.TransformPoint(p), 1e-4f));
  }
}

TEST(TransformationTest, ComposingWithTheIdentityCopiesTheOtherOperand) {
  Transformation moved;
  moved.SetTranslation({1, 2, 3});
  ExpectSame(Transformation::Compose(Transformation(), moved), moved);
  ExpectSame(Transformation::Compose(moved, Transformation()), moved);
  ExpectSame(Transformation::Compose(General(), Transformation()), General());

  Transformation flaggedIdentity;
  flaggedIdentity.scale = {5, 5, 5};
  ExpectSame(Transformation::Compose(flaggedIdentity, General()), General());
}

TEST(TransformationTest, ComposedChildMatchesApplyingLocalThenParent) {
  std::mt19937 random(3);
  const Quaternion r = RandomRotation(random), p = RandomRotation(random);
  // The parent's scale is uniform: only then is the composition exact.
  const Transformation parent({1, -2, 3}, p, {2, 2, 2});
  Transformation turned({4, 5, -6}, r, {1, 3, 0.5f});
  Transformation moved;
  moved.SetTranslation({4, 5, -6});
  moved.SetScale({1, 3, 0.5f});
  Transformation parentMoved;
  parentMoved.SetTranslation({1, -2, 3});

  const Transformation world = Transformation::Compose(turned, parent);
  EXPECT_EQ(world.rotation, Quaternion::Multiply(r, p));
  EXPECT_FALSE(world.identity);
  EXPECT_FALSE(world.rotationFree);
  EXPECT_TRUE(Near(Matrix4::Multiply(turned.ToMatrix4(), parent.ToMatrix4()), world.ToMatrix4(),
                   1e-4f));
  EXPECT_EQ(Transformation::Compose(moved, parent).rotation, p);
  EXPECT_EQ(Transformation::Compose(turned, parentMoved).rotation, r);

  const std::pair<Transformation, Transformation> pairs[] = {
      {turned, parent}, {moved, parent}, {turned, parentMoved}};
  for (const auto& [local, outer] : pairs) {
    const Transformation composed = Transformation::Compose(local, outer);
    for (const Vector3& v : {Vector3{1, 0, 0}, Vector3{-2, 0.5f, 3}}) {
      EXPECT_TRUE(Near(composed.TransformPoint(v), outer.TransformPoint(local.TransformPoint(v)),
                       1e-4f));
    }
  }
}

TEST(TransformationTest, ComposedScaleIsComponentWiseEvenUnderRotation) {
  const Transformation parent({0, 0, 0}, AxisAngle({0, 1, 0}, HALF_PI), {1, 2, 3});
  const Transformation local({0, 0, 0}, Quaternion{}, {2, 3, 4});
  EXPECT_EQ(Transformation::Compose(local, parent).scale, (Vector3{2, 6, 12}));
}

// Values whose bytes are easy to check by hand.
Transformation Golden() { return {{-2, 4, 0.1f}, {0.5f, -0.5f, 0.5f, 0.5f}, {1, 2, 0.5f}}; }

const std::vector<uint8_t> GOLDEN_BYTES = {
    0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x3F,  // scale
    0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x00, 0xBF,                          // rotation x, y
    0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x00, 0x3F,                          // rotation z, w
    0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x80, 0x40, 0xCD, 0xCC, 0xCC, 0x3D,  // translation
};

TEST(TransformationTest, SavesScaleRotationTranslationAsFortyBytes) {
  MemoryStream stream;
  ASSERT_EQ(Golden().Save(stream), 0);
  ASSERT_EQ(stream.GetPosition(), 40);
  EXPECT_EQ(std::vector<uint8_t>(stream.GetData(), stream.GetData() + 40), GOLDEN_BYTES);
}

TEST(TransformationTest, LoadRestoresComponentsAndClearsFlags) {
  MemoryStream golden(GOLDEN_BYTES.data(), 40);
  Transformation loaded;
  ASSERT_EQ(loaded.Load(golden), 0);
  ExpectSame(loaded, Golden());

  MemoryStream written;
  ASSERT_EQ(General().Save(written), 0);
  MemoryStream reread(written.GetData(), written.GetPosition());
  ASSERT_EQ(loaded.Load(reread), 0);
  ExpectSame(loaded, General());
}

TEST(TransformationTest, StreamFailuresAreReported) {
  MemoryStream truncated(GOLDEN_BYTES.data(), 20);
  Transformation t;
  EXPECT_NE(t.Load(truncated), 0);
  ExpectSame(t, Transformation());

  // Room for the scale only, and no growing.
  MemoryStream full(20, 0);
  EXPECT_NE(Golden().Save(full), 0);
  EXPECT_EQ(full.GetPosition(), 12);
}

}  // namespace
}  // namespace ynx
