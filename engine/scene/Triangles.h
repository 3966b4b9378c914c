#pragma once

#include "engine/scene/GeometryNode.h"

namespace ynx {

// A triangle list: each index triple is one triangle. Builds its own
// normals and tangents from the positions, indices and texture coordinates.
//
// Hostile meshes are tolerated: triangles with an index outside the
// positions (or, for tangents, outside the texture coordinates) and
// triangles whose texture mapping is degenerate add nothing.
class Triangles : public GeometryNode {
  YNX_DECLARE_CLASS(Triangles);

 public:
  explicit Triangles(const String& name = String());

  int32_t GetPrimitiveType() const override;
  // Area-weighted face normals summed per corner, then normalised; replaces
  // the normals. Needs indices and positions.
  void ComputeNormals() override;
  // Tangents along the first texture coordinate of the set, summed per
  // corner and normalised; replaces the tangents. Needs indices, positions
  // and a set of 2-, 3- or 4-component vectors; any other set leaves the
  // old tangents.
  void ComputeTangents(int32_t texCoordSet) override;
};

}  // namespace ynx
