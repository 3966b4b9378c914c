#pragma once

#include "engine/core/Ptr.h"
#include "engine/particles/PointEmitter.h"

namespace ynx {

class Triangles;

// A point emitter whose particles start on the surface of a triangle mesh:
// a random triangle t, read as the positions 3t, 3t + 1 and 3t + 2 (not
// through the indices), and a random point on it, carried into the world
// by the mesh's world transformation, as is the cone.
//
// Streamed after the point emitter's data: the triangles as a reference.
class TrianglesEmitter : public PointEmitter {
  YNX_DECLARE_CLASS(TrianglesEmitter);

 public:
  explicit TrianglesEmitter(const String& name = String());
  ~TrianglesEmitter() override;

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  // Draws t, three weights, then the cone. Without triangles, with fewer
  // than three indices or with a triangle t whose positions lie past the
  // end of the position buffer (a mesh sharing its vertices): the origin
  // and +Y, with no further draws.
  void Emit(Vector3& position, Vector3& direction) override;

  Triangles* GetTriangles() const { return triangles.Get(); }
  void SetTriangles(Triangles* value);

 private:
  Ptr<Triangles> triangles;
};

}  // namespace ynx
