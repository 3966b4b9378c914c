#pragma once

#include "engine/scene/BoundingVolume.h"

namespace ynx {

// A sphere: centre and radius. Streamed after the object data as the centre
// (three floats) and the radius.
class SphereBoundingVolume : public BoundingVolume {
  YNX_DECLARE_CLASS(SphereBoundingVolume);

 public:
  explicit SphereBoundingVolume(const String& name = String());
  SphereBoundingVolume(const Vector3& center, float radius);

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;

  int32_t GetVolumeType() const override;
  // Centre of the axis-aligned box around the positions; radius to the
  // farthest position from that centre.
  int32_t ComputeFromVertices(const Vector3Buffer* positions) override;
  // The same fit over the first `count` (at least 1) of `points`.
  void FitPoints(const Vector3* points, int32_t count);
  int32_t CopyFrom(const BoundingVolume* volume) override;
  bool IntersectRay(const Vector3& origin, const Vector3& direction, float& farT,
                    float& nearT) const override;
  bool Intersects(const BoundingVolume* volume) const override;
  int32_t Merge(const BoundingVolume* volume) override;
  // The radius follows the scale along X only: non-uniform scales are not
  // bounded exactly, which the shipped scenes do not use.
  int32_t TransformTo(BoundingVolume* target, const Transformation& transformation) const override;
  int32_t WhichSide(const Plane& plane) const override;
  Vector3 GetCenter() const override { return center; }

  float GetRadius() const { return radius; }
  void Set(const Vector3& newCenter, float newRadius) {
    center = newCenter;
    radius = newRadius;
  }

 private:
  // The sphere behind a volume of the same kind, or null (logged with the
  // given message) for a null volume.
  const SphereBoundingVolume* SphereOf(const BoundingVolume* volume, const char* nullMessage) const;

  Vector3 center;
  float radius = 0.0f;
};

}  // namespace ynx
