#pragma once

#include <cstdint>

#include "engine/core/Object.h"
#include "engine/math/Plane.h"
#include "engine/math/Transformation.h"
#include "engine/math/Vector3.h"

namespace ynx {

class Vector3Buffer;

// A volume that encloses a node, for view culling, bound propagation and
// back-to-front sorting. Spheres are the only kind; the operations taking a
// second volume fail with 3 for a null one or one of another kind.
class BoundingVolume : public Object {
  YNX_DECLARE_CLASS(BoundingVolume);

 public:
  static constexpr int32_t TYPE_SPHERE = 0;

  explicit BoundingVolume(const String& name = String());

  virtual int32_t GetVolumeType() const = 0;
  // Fits the volume around the positions: 0, or 3 (logged) for a null
  // buffer or one without data, which leaves the volume unchanged.
  virtual int32_t ComputeFromVertices(const Vector3Buffer* positions) = 0;
  virtual int32_t CopyFrom(const BoundingVolume* volume) = 0;
  // For a ray with a unit direction: false and nothing written when it
  // misses; otherwise the far and the near ray parameters.
  virtual bool IntersectRay(const Vector3& origin, const Vector3& direction, float& farT,
                            float& nearT) const = 0;
  // Touching counts; false for a null volume.
  virtual bool Intersects(const BoundingVolume* volume) const = 0;
  // Grows this volume to contain the other one too.
  virtual int32_t Merge(const BoundingVolume* volume) = 0;
  // Writes this volume, carried by the transformation, into the target.
  virtual int32_t TransformTo(BoundingVolume* target,
                              const Transformation& transformation) const = 0;
  // -1 entirely on the outer side of the plane, +1 entirely on the inner
  // side (the side its normal points to), 0 across it.
  virtual int32_t WhichSide(const Plane& plane) const = 0;
  virtual Vector3 GetCenter() const = 0;
};

}  // namespace ynx
