#pragma once

#include "engine/particles/Emitter.h"

namespace ynx {

class Node;

// Emits from its node's world position into a cone around the node's +Y
// axis: the polar angle drawn between minAngle and maxAngle, the azimuth
// anywhere. Without a node: from the origin, the cone untransformed.
//
// Streamed after the object data: maxAngle, minAngle (float32 each). The
// node is not stored: the owning system sets it.
class PointEmitter : public Emitter {
  YNX_DECLARE_CLASS(PointEmitter);

 public:
  explicit PointEmitter(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  // maxAngle becomes at least 0 and at least the minAngle held before the
  // load, then minAngle is clamped into [0, maxAngle].
  int32_t Load(MemoryStream& stream) override;

  // Draws the cone's polar angle, then its azimuth.
  void Emit(Vector3& position, Vector3& direction) override;

  // A unit direction in the cone, around +Y, untransformed.
  Vector3 ConeDirection() const;

  Node* GetNode() const { return node; }
  // Not counted: the node owns the emitter.
  void SetNode(Node* value) { node = value; }
  float GetMaxAngle() const { return maxAngle; }
  float GetMinAngle() const { return minAngle; }
  void SetAngles(float minimum, float maximum) {
    minAngle = minimum;
    maxAngle = maximum;
  }

 private:
  Node* node = nullptr;
  float maxAngle = 3.14159265358979f;
  float minAngle = 0.0f;
};

}  // namespace ynx
