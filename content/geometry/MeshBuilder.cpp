#include "content/geometry/MeshBuilder.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx::content {

int32_t MeshBuilder::AddVertex(const Vector3& position, float u, float v) {
  positions.push_back(position);
  uvs.push_back(Vector2{u, v});
  return static_cast<int32_t>(positions.size()) - 1;
}

void MeshBuilder::AddTriangle(int32_t a, int32_t b, int32_t c) {
  indices.insert(indices.end(), {a, b, c});
}

void MeshBuilder::AddQuad(int32_t a, int32_t b, int32_t c, int32_t d) {
  AddTriangle(a, b, c);
  AddTriangle(a, c, d);
}

void MeshBuilder::Grid(int columns, int rows, float uScale, float vScale,
                       const std::function<Vector3(float u, float v)>& at) {
  const int32_t first = VertexCount();
  for (int row = 0; row <= rows; ++row) {
    const float v = static_cast<float>(row) / static_cast<float>(rows);
    for (int column = 0; column <= columns; ++column) {
      const float u = static_cast<float>(column) / static_cast<float>(columns);
      AddVertex(at(u, v), u * uScale, v * vScale);
    }
  }
  const int32_t stride = columns + 1;
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      const int32_t a = first + row * stride + column;
      AddQuad(a, a + 1, a + 1 + stride, a + stride);
    }
  }
}

void MeshBuilder::Lathe(const std::vector<Vector2>& profile, int segments, const Vector3& centre, float uScale,
                        float vScale) {
  const int rows = static_cast<int>(profile.size()) - 1;
  // Turning clockwise seen from above keeps the faces pointing out with v up.
  Grid(segments, rows, uScale, vScale, [&](float u, float v) {
    const size_t row = static_cast<size_t>(std::lround(v * static_cast<float>(rows)));
    const float angle = -u * 6.2831853f;
    const Vector2& p = profile[row];
    return Vector3{centre.x + p.x * std::cos(angle), centre.y + p.y, centre.z + p.x * std::sin(angle)};
  });
}

void MeshBuilder::Unshare() {
  std::vector<Vector3> newPositions;
  std::vector<Vector2> newUvs;
  for (int32_t index : indices) {
    newPositions.push_back(positions[static_cast<size_t>(index)]);
    newUvs.push_back(uvs[static_cast<size_t>(index)]);
  }
  positions = std::move(newPositions);
  uvs = std::move(newUvs);
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<int32_t>(i);
}

std::vector<Vector3> MeshBuilder::FaceNormals() const {
  // Unit face normals summed per corner, in double precision: the small
  // triangles at a koi's nose must count as much as the large ones.
  std::vector<double> sums(positions.size() * 3, 0.0);
  for (size_t t = 0; t + 2 < indices.size(); t += 3) {
    const Vector3& a = positions[static_cast<size_t>(indices[t])];
    const Vector3& b = positions[static_cast<size_t>(indices[t + 1])];
    const Vector3& c = positions[static_cast<size_t>(indices[t + 2])];
    const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
    const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
    const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (length < 1e-12) continue;
    for (size_t k = 0; k < 3; ++k) {
      double* sum = &sums[static_cast<size_t>(indices[t + k]) * 3];
      sum[0] += nx / length;
      sum[1] += ny / length;
      sum[2] += nz / length;
    }
  }
  std::vector<Vector3> normals(positions.size());
  for (size_t i = 0; i < positions.size(); ++i) {
    const double length = std::sqrt(sums[i * 3] * sums[i * 3] + sums[i * 3 + 1] * sums[i * 3 + 1] + sums[i * 3 + 2] * sums[i * 3 + 2]);
    if (length > 1e-12) {
      normals[i] = Vector3{static_cast<float>(sums[i * 3] / length), static_cast<float>(sums[i * 3 + 1] / length),
                           static_cast<float>(sums[i * 3 + 2] / length)};
    }
  }
  return normals;
}

void MeshBuilder::JoinSeams(Vector3* directions) const {
  // Vertices at one place (the seam of a lathe, a pole) share their
  // directions unless they meet at a hard edge; a vertex that only touches
  // degenerate triangles takes another's outright.
  std::map<std::tuple<long, long, long>, std::vector<size_t>> places;
  for (size_t i = 0; i < positions.size(); ++i) {
    const Vector3& p = positions[i];
    places[{std::lround(p.x * 1e4f), std::lround(p.y * 1e4f), std::lround(p.z * 1e4f)}].push_back(i);
  }
  std::vector<Vector3> joined(directions, directions + positions.size());
  for (const auto& [place, group] : places) {
    if (group.size() < 2) continue;
    for (size_t i : group) {
      Vector3 sum{};
      for (size_t j : group) {
        const float agreement = directions[i].x * directions[j].x + directions[i].y * directions[j].y + directions[i].z * directions[j].z;
        if (agreement > 0.5f) sum = sum + directions[j];
      }
      if (directions[i].Length() < 0.5f) {
        for (size_t j : group) {
          if (directions[j].Length() > 0.5f) sum = directions[j];
        }
      }
      sum.Normalize();
      joined[i] = sum;
    }
  }
  std::copy(joined.begin(), joined.end(), directions);
}

Ptr<Triangles> MeshBuilder::Build(const String& name, bool tangents) const {
  Ptr<Triangles> mesh(new Triangles(name));
  auto* vertices = new Vector3Buffer(VertexCount());
  std::copy(positions.begin(), positions.end(), vertices->GetElements());
  auto* coordinates = new Vector2Buffer(VertexCount());
  std::copy(uvs.begin(), uvs.end(), coordinates->GetElements());
  auto* triangleIndices = new IntBuffer(static_cast<int32_t>(indices.size()));
  std::copy(indices.begin(), indices.end(), triangleIndices->GetElements());
  mesh->SetVertices(vertices);
  mesh->SetTexCoords(0, coordinates);
  mesh->SetIndices(triangleIndices);
  auto* normals = new Vector3Buffer(VertexCount());
  const std::vector<Vector3> faceNormals = FaceNormals();
  std::copy(faceNormals.begin(), faceNormals.end(), normals->GetElements());
  mesh->SetNormals(normals);
  JoinSeams(normals->GetElements());
  if (tangents) {
    mesh->ComputeTangents(0);
    Vector3* along = mesh->GetTangents()->GetElements();
    JoinSeams(along);
    // Where the texture mapping says nothing (a tiny or degenerate corner),
    // any direction across the normal will do.
    for (int32_t i = 0; i < VertexCount(); ++i) {
      if (along[i].Length() > 0.5f) continue;
      const Vector3& n = normals->GetElements()[i];
      along[i] = Vector3::Cross(std::abs(n.y) < 0.9f ? Vector3{0.0f, 1.0f, 0.0f} : Vector3{1.0f, 0.0f, 0.0f}, n);
      along[i].Normalize();
    }
  }
  mesh->UpdateModelBound();
  return mesh;
}

}  // namespace ynx::content
