#include "engine/particles/PointEmitter.h"

#include <algorithm>
#include <cmath>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/particles/ParticleRandom.h"
#include "engine/scene/Node.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(PointEmitter, Emitter)

PointEmitter::PointEmitter(const String& name) : Emitter(name) {}

int32_t PointEmitter::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, Emitter::Save(stream))
      .Field(SAVE_DATA, maxAngle, minAngle)
      .Status();
}

int32_t PointEmitter::Load(MemoryStream& stream) {
  float storedMax = 0.0f;
  float storedMin = 0.0f;
  FieldReader in(stream, *this, Emitter::Load(stream));
  if (!in.Field(LOAD_DATA, storedMax, storedMin)) return in.Status();
  // NaN lands on 0 in both.
  maxAngle = storedMax > 0.0f ? storedMax : 0.0f;
  maxAngle = std::max(maxAngle, minAngle);
  minAngle = storedMin > 0.0f ? std::min(storedMin, maxAngle) : 0.0f;
  return 0;
}

Vector3 PointEmitter::ConeDirection() const {
  const float theta = minAngle + ParticleRandom::Unit() * (maxAngle - minAngle);
  const float phi = ParticleRandom::Angle();
  return {std::sin(theta) * std::sin(phi), std::cos(theta), std::sin(theta) * std::cos(phi)};
}

void PointEmitter::Emit(Vector3& position, Vector3& direction) {
  direction = ConeDirection();
  if (node == nullptr) {
    position = Vector3{};
    return;
  }
  position = node->GetPosition();
  direction = node->GetWorldTransform().TransformVector(direction);
  direction.Normalize();
}

}  // namespace ynx
