#include "engine/particles/SphereVolumeEmitter.h"

#include <cmath>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/core/Random.h"
#include "engine/particles/ParticleRandom.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(SphereVolumeEmitter, PointEmitter)

SphereVolumeEmitter::SphereVolumeEmitter(const String& name) : PointEmitter(name) {}

int32_t SphereVolumeEmitter::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, PointEmitter::Save(stream)).Field(SAVE_DATA, radius).Status();
}

int32_t SphereVolumeEmitter::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, PointEmitter::Load(stream)).Field(LOAD_DATA, radius).Status();
}

void SphereVolumeEmitter::Emit(Vector3& position, Vector3& direction) {
  PointEmitter::Emit(position, direction);
  const float a = ParticleRandom::Angle();
  const float b = ParticleRandom::Angle();
  Vector3 offset{std::sin(a) * std::cos(b), std::sin(a) * std::sin(b), std::cos(a)};
  offset.Normalize();
  const float distance = static_cast<float>(Random::Next() % 10000) * radius * 0.0001f;
  position = position + offset * distance;
}

}  // namespace ynx
