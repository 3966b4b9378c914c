#include "engine/scene/SphereBoundingVolume.h"

#include <algorithm>
#include <cmath>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/core/Log.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(SphereBoundingVolume, BoundingVolume)

SphereBoundingVolume::SphereBoundingVolume(const String& name) : BoundingVolume(name) {}

SphereBoundingVolume::SphereBoundingVolume(const Vector3& center, float radius)
    : center(center), radius(radius) {}

int32_t SphereBoundingVolume::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, BoundingVolume::Save(stream))
      .Field("Невозможно сохранить данные окружающего объёма. Имя[%s] ID[%d]", center, radius)
      .Status();
}

int32_t SphereBoundingVolume::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, BoundingVolume::Load(stream))
      .Field("Невозможно загрузить данные окружающего объёма. ID[%d] Имя[%s]", center, radius)
      .Status();
}

int32_t SphereBoundingVolume::GetVolumeType() const { return TYPE_SPHERE; }

const SphereBoundingVolume* SphereBoundingVolume::SphereOf(const BoundingVolume* volume,
                                                           const char* nullMessage) const {
  if (volume == nullptr) {
    LogError(nullMessage, GetName().CStr(), GetID());
    return nullptr;
  }
  if (volume->GetVolumeType() != TYPE_SPHERE) return nullptr;
  return static_cast<const SphereBoundingVolume*>(volume);
}

int32_t SphereBoundingVolume::ComputeFromVertices(const Vector3Buffer* positions) {
  if (positions == nullptr) {
    LogError("Указатель на вершины равен 0 при генерации. Имя[%s] ID[%d].", GetName().CStr(),
             GetID());
    return 3;
  }
  const Vector3* points = positions->GetElements();
  const int32_t count = positions->GetCount();
  if (points == nullptr || count <= 0) {
    LogError("Нет вершин в буффере при генерации объёма. Имя[%s] ID[%d].", GetName().CStr(),
             GetID());
    return 3;
  }
  FitPoints(points, count);
  return 0;
}

void SphereBoundingVolume::FitPoints(const Vector3* points, int32_t count) {
  Vector3 low = points[0];
  Vector3 high = points[0];
  for (int32_t i = 1; i < count; ++i) {
    low = {std::min(low.x, points[i].x), std::min(low.y, points[i].y),
           std::min(low.z, points[i].z)};
    high = {std::max(high.x, points[i].x), std::max(high.y, points[i].y),
            std::max(high.z, points[i].z)};
  }
  center = (low + high) * 0.5f;
  float largest = 0.0f;
  for (int32_t i = 0; i < count; ++i) {
    const Vector3 offset = points[i] - center;
    largest = std::max(largest, Vector3::Dot(offset, offset));
  }
  radius = std::sqrt(largest);
}

int32_t SphereBoundingVolume::CopyFrom(const BoundingVolume* volume) {
  const SphereBoundingVolume* other =
      SphereOf(volume, "Указатель на объём равен 0 при генерации. Имя[%s] ID[%d].");
  if (other == nullptr) return 3;
  center = other->center;
  radius = other->radius;
  return 0;
}

bool SphereBoundingVolume::IntersectRay(const Vector3& origin, const Vector3& direction,
                                        float& farT, float& nearT) const {
  const Vector3 offset = origin - center;
  const float b = Vector3::Dot(direction, offset);
  const float discriminant = b * b - (Vector3::Dot(offset, offset) - radius * radius);
  if (!(discriminant >= 0.0f)) return false;
  const float root = std::sqrt(discriminant);
  farT = -b + root;
  nearT = -b - root;
  return true;
}

bool SphereBoundingVolume::Intersects(const BoundingVolume* volume) const {
  if (volume == nullptr || volume->GetVolumeType() != TYPE_SPHERE) return false;
  const auto* other = static_cast<const SphereBoundingVolume*>(volume);
  const Vector3 offset = other->center - center;
  const float reach = radius + other->radius;
  return reach * reach >= Vector3::Dot(offset, offset);
}

int32_t SphereBoundingVolume::Merge(const BoundingVolume* volume) {
  const SphereBoundingVolume* other =
      SphereOf(volume, "Указатель на объём равен 0 при слиянии. Имя[%s] ID[%d].");
  if (other == nullptr) return 3;
  const Vector3 offset = other->center - center;
  const float squaredDistance = Vector3::Dot(offset, offset);
  const float radiusDifference = other->radius - radius;
  if (radiusDifference * radiusDifference >= squaredDistance) {
    // One contains the other; only a larger other replaces this one.
    if (radiusDifference > 0.0f) {
      center = other->center;
      radius = other->radius;
    }
    return 0;
  }
  const float distance = std::sqrt(squaredDistance);
  center = center + offset * ((radiusDifference + distance) / (2.0f * distance));
  radius = (distance + other->radius + radius) * 0.5f;
  return 0;
}

int32_t SphereBoundingVolume::TransformTo(BoundingVolume* target,
                                          const Transformation& transformation) const {
  if (target == nullptr) {
    LogError("Указатель на объём равен 0 при трансформации. Имя[%s] ID[%d].", GetName().CStr(),
             GetID());
    return 3;
  }
  if (target->GetVolumeType() != TYPE_SPHERE) return 3;
  // Written straight into the target: a temporary sphere would be an object
  // with an ID of its own, once per node and frame.
  static_cast<SphereBoundingVolume*>(target)->Set(
      transformation.TransformPoint(center),
      transformation.TransformVector({radius, 0.0f, 0.0f}).Length());
  return 0;
}

int32_t SphereBoundingVolume::WhichSide(const Plane& plane) const {
  const float distance = plane.SignedDistance(center);
  if (distance <= -radius) return -1;
  if (distance >= radius) return 1;
  return 0;
}

}  // namespace ynx
