// Bounding spheres (fit, merge, transform, ray and plane tests) and the
// geometry nodes' derived data: world bounds, normals and tangents.

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <string>

#include "engine/scene/FloatBuffer.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Lines.h"
#include "engine/scene/Points.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/StripLines.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "tests/support/CapturedLog.h"

namespace ynx {
namespace {

Vector3Buffer* Positions(std::initializer_list<Vector3> points) {
  auto* buffer = new Vector3Buffer(static_cast<int32_t>(points.size()));
  std::copy(points.begin(), points.end(), buffer->GetElements());
  return buffer;
}

IntBuffer* Indices(std::initializer_list<int32_t> values) {
  auto* buffer = new IntBuffer(static_cast<int32_t>(values.size()));
  std::copy(values.begin(), values.end(), buffer->GetElements());
  return buffer;
}

void ExpectNear(const Vector3& actual, const Vector3& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-5f);
  EXPECT_NEAR(actual.y, expected.y, 1e-5f);
  EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

TEST(SphereTest, FitMergeAndTransform) {
  SphereBoundingVolume sphere;
  const Ptr<Vector3Buffer> two(Positions({{0, 0, 0}, {2, 0, 0}}));
  ASSERT_EQ(sphere.ComputeFromVertices(two.Get()), 0);
  EXPECT_EQ(sphere.GetCenter(), (Vector3{1, 0, 0}));
  EXPECT_EQ(sphere.GetRadius(), 1.0f);

  SphereBoundingVolume unit({0, 0, 0}, 1);
  const SphereBoundingVolume apart({3, 0, 0}, 1);
  ASSERT_EQ(unit.Merge(&apart), 0);
  EXPECT_EQ(unit.GetCenter(), (Vector3{1.5f, 0, 0}));
  EXPECT_EQ(unit.GetRadius(), 2.5f);

  SphereBoundingVolume small({0, 0, 0}, 1);
  const SphereBoundingVolume large({0, 0, 0}, 5);
  small.Merge(&large);
  EXPECT_EQ(small.GetRadius(), 5.0f) << "a larger sphere around it replaces it";
  SphereBoundingVolume big({0, 0, 0}, 5);
  const SphereBoundingVolume inside({1, 0, 0}, 1);
  big.Merge(&inside);
  EXPECT_EQ(big.GetCenter(), (Vector3{0, 0, 0})) << "a smaller sphere inside changes nothing";
  EXPECT_EQ(big.GetRadius(), 5.0f);

  // The radius follows the X scale only.
  const SphereBoundingVolume model({1, 0, 0}, 2);
  SphereBoundingVolume world;
  model.TransformTo(&world, Transformation({0, 5, 0}, {}, {2, 1, 1}));
  EXPECT_EQ(world.GetCenter(), (Vector3{2, 5, 0}));
  EXPECT_EQ(world.GetRadius(), 4.0f);
  model.TransformTo(&world, Transformation({}, {}, {1, 3, 1}));
  EXPECT_EQ(world.GetRadius(), 2.0f);
}

TEST(SphereTest, RaysPlanesAndOverlap) {
  const SphereBoundingVolume sphere({0, 0, 5}, 1);
  float farT = -1, nearT = -1;
  ASSERT_TRUE(sphere.IntersectRay({0, 0, 0}, {0, 0, 1}, farT, nearT));
  EXPECT_FLOAT_EQ(farT, 6.0f);
  EXPECT_FLOAT_EQ(nearT, 4.0f);
  farT = nearT = -1;
  EXPECT_FALSE(sphere.IntersectRay({0, 3, 0}, {0, 0, 1}, farT, nearT));
  EXPECT_EQ(farT, -1.0f) << "a miss writes nothing";

  const Plane ground{{0, 1, 0}, 0};
  EXPECT_EQ(SphereBoundingVolume({0, 1, 0}, 1).WhichSide(ground), 1) << "touching from inside";
  EXPECT_EQ(SphereBoundingVolume({0, -1, 0}, 1).WhichSide(ground), -1);
  EXPECT_EQ(SphereBoundingVolume({0, 0.5f, 0}, 1).WhichSide(ground), 0);

  const SphereBoundingVolume touching({0, 0, 7}, 1);
  const SphereBoundingVolume beyond({0, 0, 7.1f}, 1);
  EXPECT_TRUE(sphere.Intersects(&touching)) << "touching counts";
  EXPECT_FALSE(sphere.Intersects(&beyond));
  EXPECT_FALSE(sphere.Intersects(nullptr));
}

TEST(SphereTest, NullAndEmptyArgumentsAreRefused) {
  test::CapturedLog log;
  SphereBoundingVolume sphere({1, 2, 3}, 4);
  const Ptr<Vector3Buffer> empty(new Vector3Buffer());
  EXPECT_EQ(sphere.ComputeFromVertices(nullptr), 3);
  EXPECT_EQ(sphere.ComputeFromVertices(empty.Get()), 3);
  EXPECT_EQ(sphere.CopyFrom(nullptr), 3);
  EXPECT_EQ(sphere.Merge(nullptr), 3);
  EXPECT_EQ(sphere.TransformTo(nullptr, Transformation()), 3);
  EXPECT_EQ(sphere.GetRadius(), 4.0f) << "the sphere stays as it was";
  const std::string id = std::to_string(sphere.GetID());
  for (const char* text :
       {"Указатель на вершины равен 0 при генерации.", "Нет вершин в буффере при генерации объёма.",
        "Указатель на объём равен 0 при генерации.", "Указатель на объём равен 0 при слиянии.",
        "Указатель на объём равен 0 при трансформации."}) {
    EXPECT_TRUE(log.Contains(std::string("ERROR. ") + text + " Имя[] ID[" + id + "]."));
  }
}

TEST(GeometryTest, WorldBoundFollowsTheNodeAndPrimitiveTypes) {
  Ptr<Triangles> mesh(new Triangles());
  mesh->SetVertices(Positions({{-1, 0, 0}, {1, 0, 0}}));
  mesh->UpdateModelBound();
  Transformation place({0, 0, 10}, {}, {2, 1, 1});
  mesh->SetLocalTransform(place);
  mesh->UpdateRecursive(0.0, false);
  const auto* world = static_cast<SphereBoundingVolume*>(mesh->GetWorldBound());
  EXPECT_EQ(world->GetCenter(), (Vector3{0, 0, 10}));
  EXPECT_EQ(world->GetRadius(), 2.0f) << "twice the model radius";

  EXPECT_EQ(Points().GetPrimitiveType(), GeometryNode::PRIMITIVE_POINTS);
  EXPECT_EQ(Lines().GetPrimitiveType(), GeometryNode::PRIMITIVE_LINES);
  EXPECT_EQ(StripLines().GetPrimitiveType(), GeometryNode::PRIMITIVE_LINE_STRIP);
  EXPECT_EQ(mesh->GetPrimitiveType(), GeometryNode::PRIMITIVE_TRIANGLES);
}

TEST(GeometryTest, NormalsAndTangentsOfATriangleMesh) {
  Ptr<Triangles> mesh(new Triangles());
  // Two triangles of the square (0..2, 0..2) in the XY plane, and one of
  // them again with an index past the end: it adds nothing.
  mesh->SetVertices(Positions({{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}}));
  mesh->SetIndices(Indices({0, 2, 1, 0, 3, 2, 0, 9, 1, 5}));
  Ptr<Vector2Buffer> uv(new Vector2Buffer(4));
  const Vector2 coordinates[] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  std::copy(std::begin(coordinates), std::end(coordinates), uv->GetElements());
  mesh->SetTexCoords(0, uv.Get());
  mesh->RebuildDerivedData(true, true);

  ASSERT_NE(mesh->GetNormals(), nullptr);
  ASSERT_EQ(mesh->GetNormals()->GetCount(), 4);
  for (int32_t i = 0; i < 4; ++i) ExpectNear(mesh->GetNormals()->GetElements()[i], {0, 0, -1});
  ASSERT_NE(mesh->GetTangents(), nullptr);
  for (int32_t i = 0; i < 4; ++i) ExpectNear(mesh->GetTangents()->GetElements()[i], {1, 0, 0});
  EXPECT_TRUE(mesh->GetNormals()->IsChanged());

  // A set of single floats has no direction: the old tangents stay.
  Vector3Buffer* tangents = mesh->GetTangents();
  Ptr<FloatBuffer> scalars(new FloatBuffer(4));
  mesh->SetTexCoords(0, scalars.Get());
  mesh->ComputeTangents(0);
  EXPECT_EQ(mesh->GetTangents(), tangents);
  mesh->ComputeTangents(8);
  EXPECT_EQ(mesh->GetTangents(), tangents);

  // Degenerate texture mapping: every corner shares one coordinate.
  Ptr<Vector2Buffer> flat(new Vector2Buffer(4));
  mesh->SetTexCoords(0, flat.Get());
  mesh->ComputeTangents(0);
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(mesh->GetTangents()->GetElements()[i], (Vector3{}));

  mesh->SetVertices(Positions({{0, 0, 0}}));
  EXPECT_EQ(mesh->GetTangents(), nullptr) << "new positions drop the tangents";
}

}  // namespace
}  // namespace ynx
