#pragma once

#include "engine/particles/PointEmitter.h"

namespace ynx {

// A point emitter whose particles start anywhere within `radius` of the
// node's world position: the offset is neither rotated nor scaled by the
// node.
//
// Streamed after the point emitter's data: radius (float32).
class SphereVolumeEmitter : public PointEmitter {
  YNX_DECLARE_CLASS(SphereVolumeEmitter);

 public:
  explicit SphereVolumeEmitter(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;

  // The cone's two draws, then the offset's three: two angles and the
  // distance in 10000 steps.
  void Emit(Vector3& position, Vector3& direction) override;

  float GetRadius() const { return radius; }
  void SetRadius(float value) { radius = value; }

 private:
  float radius = 10.0f;
};

}  // namespace ynx
