#include "engine/particles/TrianglesEmitter.h"

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/core/Random.h"
#include "engine/particles/ParticleRandom.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(TrianglesEmitter, PointEmitter)

TrianglesEmitter::TrianglesEmitter(const String& name) : PointEmitter(name) {}

TrianglesEmitter::~TrianglesEmitter() = default;

int32_t TrianglesEmitter::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, PointEmitter::Save(stream)).Field(SAVE_DATA, triangles).Status();
}

int32_t TrianglesEmitter::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, PointEmitter::Load(stream)).Field(LOAD_DATA, triangles).Status();
}

void TrianglesEmitter::ReleaseReferences() {
  triangles = nullptr;
  PointEmitter::ReleaseReferences();
}

void TrianglesEmitter::VisitReferences(const std::function<void(Object*)>& visit) const {
  PointEmitter::VisitReferences(visit);
  if (triangles) visit(triangles.Get());
}

void TrianglesEmitter::SetTriangles(Triangles* value) { triangles = value; }

void TrianglesEmitter::Emit(Vector3& position, Vector3& direction) {
  position = Vector3{};
  direction = Vector3::UP;
  if (!triangles) return;
  const IntBuffer* indices = triangles->GetIndices();
  const Vector3Buffer* vertices = triangles->GetVertices();
  const int32_t triangleCount = indices != nullptr ? indices->GetCount() / 3 : 0;
  if (triangleCount == 0 || vertices == nullptr) return;
  const int32_t t = Random::Next() % triangleCount;
  // 3t + 2 cannot overflow: t is below a third of an int32 count.
  if (3 * t + 2 >= vertices->GetCount()) return;
  const Vector3* corner = vertices->GetElements() + 3 * t;
  const float u = ParticleRandom::Unit();
  const float v = ParticleRandom::Unit();
  const float w = ParticleRandom::Unit();
  const Vector3 p1 = corner[0] + (corner[1] - corner[0]) * u;
  const Vector3 p2 = corner[0] + (corner[2] - corner[0]) * v;
  const Transformation& world = triangles->GetWorldTransform();
  position = world.TransformPoint(p1 + (p2 - p1) * w);
  direction = world.TransformVector(ConeDirection());
  direction.Normalize();
}

}  // namespace ynx
