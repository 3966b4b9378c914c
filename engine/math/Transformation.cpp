#include "engine/math/Transformation.h"

#include <bit>

#include "engine/core/MemoryStream.h"

namespace ynx {

// The stream writes memory as it is; the file format is little-endian.
static_assert(std::endian::native == std::endian::little);

Transformation::Transformation(const Vector3& translation, const Quaternion& rotation,
                               const Vector3& scale)
    : scale(scale),
      rotation(rotation),
      translation(translation),
      identity(false),
      rotationFree(false) {}

Transformation Transformation::Compose(const Transformation& local,
                                       const Transformation& parent) {
  if (local.identity) return parent;
  if (parent.identity) return local;
  Quaternion rotation;
  if (local.rotationFree) {
    rotation = parent.rotation;
  } else if (parent.rotationFree) {
    rotation = local.rotation;
  } else {
    rotation = Quaternion::Multiply(local.rotation, parent.rotation);
  }
  return {parent.TransformPoint(local.translation), rotation,
          Vector3::Scale(local.scale, parent.scale)};
}

void Transformation::SetScale(const Vector3& value) {
  scale = value;
  identity = false;
}

void Transformation::SetRotation(const Quaternion& value) {
  rotation = value;
  identity = false;
  rotationFree = false;
}

void Transformation::SetTranslation(const Vector3& value) {
  translation = value;
  identity = false;
}

Vector3 Transformation::TransformVector(const Vector3& v) const {
  if (identity) return v;
  const Vector3 scaled = Vector3::Scale(v, scale);
  if (rotationFree) return scaled;
  return Quaternion::ToMatrix3(rotation).Transform(scaled);
}

Vector3 Transformation::TransformPoint(const Vector3& p) const {
  if (identity) return p;
  return TransformVector(p) + translation;
}

Matrix4 Transformation::ToMatrix4() const {
  Matrix4 result = Quaternion::ToMatrix4(rotation);
  const float factors[3] = {scale.x, scale.y, scale.z};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) result.m[row * 4 + column] *= factors[row];
  }
  result.m[12] = translation.x;
  result.m[13] = translation.y;
  result.m[14] = translation.z;
  return result;
}

int32_t Transformation::Save(MemoryStream& stream) const {
  int32_t state = stream.WriteBlock(scale);
  if (state == 0) state = stream.WriteBlock(rotation);
  if (state == 0) state = stream.WriteBlock(translation);
  return state;
}

int32_t Transformation::Load(MemoryStream& stream) {
  Transformation loaded;
  int32_t state = stream.ReadBlock(loaded.scale);
  if (state == 0) state = stream.ReadBlock(loaded.rotation);
  if (state == 0) state = stream.ReadBlock(loaded.translation);
  if (state != 0) return state;
  *this = Transformation(loaded.translation, loaded.rotation, loaded.scale);
  return 0;
}

}  // namespace ynx
