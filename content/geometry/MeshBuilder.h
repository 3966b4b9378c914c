#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/core/String.h"
#include "engine/math/Vector2.h"
#include "engine/math/Vector3.h"
#include "engine/scene/Triangles.h"

namespace ynx::content {

// Collects a triangle list and turns it into an engine mesh. Triangles wind
// so that Cross(b - a, c - a) points out of the surface, which is the normal
// the engine computes for them.
class MeshBuilder {
 public:
  int32_t AddVertex(const Vector3& position, float u, float v);
  void AddTriangle(int32_t a, int32_t b, int32_t c);
  // a, b, c, d round the quad, counter-clockwise seen from outside.
  void AddQuad(int32_t a, int32_t b, int32_t c, int32_t d);
  // A grid of (columns + 1) x (rows + 1) vertices from `at(u, v)`, u and v
  // in 0..1, scaled by uScale and vScale into the texture coordinates;
  // counter-clockwise seen from outside when u runs right and v up.
  void Grid(int columns, int rows, float uScale, float vScale, const std::function<Vector3(float u, float v)>& at);
  // A surface of revolution round the y axis through `centre`: each profile
  // point is (radius, height) from the bottom up; u round, v up the profile.
  void Lathe(const std::vector<Vector2>& profile, int segments, const Vector3& centre, float uScale, float vScale);
  // Gives every triangle three vertices of its own, in order: triangle t is
  // vertices 3t to 3t + 2 (what the triangle emitter reads).
  void Unshare();

  int32_t VertexCount() const { return static_cast<int32_t>(positions.size()); }
  int32_t TriangleCount() const { return static_cast<int32_t>(indices.size() / 3); }
  const std::vector<Vector3>& Positions() const { return positions; }

  // Positions, texture set 0, indices, normals (face normals averaged per
  // corner and across seams), and tangents along u when asked; the model
  // bound fitted.
  Ptr<Triangles> Build(const String& name, bool tangents) const;

 private:
  std::vector<Vector3> FaceNormals() const;
  // Per-vertex normals or tangents made to agree where vertices coincide.
  void JoinSeams(Vector3* directions) const;

  std::vector<Vector3> positions;
  std::vector<Vector2> uvs;
  std::vector<int32_t> indices;
};

}  // namespace ynx::content
