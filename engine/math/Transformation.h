#pragma once

#include <cstdint>
#include <type_traits>

#include "engine/math/Matrix4.h"
#include "engine/math/Quaternion.h"
#include "engine/math/Vector3.h"

namespace ynx {

class MemoryStream;

// Scale, then rotation, then translation: the placement of a scene node.
//
// Two flags let the common cases skip work. identity means the whole
// transformation is the identity, whatever the components hold; rotationFree
// means the rotation is the identity. A flag may only be true when it holds,
// so anything that writes a component must clear the flags it may break: the
// setters do so, and code writing the members directly must do it itself.
struct Transformation {
  Vector3 scale{1.0f, 1.0f, 1.0f};
  Quaternion rotation;
  Vector3 translation;
  bool identity = true;
  bool rotationFree = true;

  // The identity, both flags set.
  Transformation() = default;
  // Both flags cleared, even for identity components.
  Transformation(const Vector3& translation, const Quaternion& rotation, const Vector3& scale);

  // The world transformation of a child placed by local under parent: local
  // applies first. Scales combine component-wise, which is exact only while
  // the parent's scale is uniform.
  static Transformation Compose(const Transformation& local, const Transformation& parent);

  // Clears identity.
  void SetScale(const Vector3& value);
  // Clears both flags.
  void SetRotation(const Quaternion& value);
  // Clears identity.
  void SetTranslation(const Vector3& value);

  // Scale and rotation only: directions are not moved by translation.
  Vector3 TransformVector(const Vector3& v) const;
  Vector3 TransformPoint(const Vector3& p) const;
  // The same mapping as a matrix, p·ToMatrix4() = TransformPoint(p). Built
  // from the components alone; the flags play no part.
  Matrix4 ToMatrix4() const;

  // Scale, rotation (x, y, z, w), translation: 40 bytes, no flags. Both
  // return the first failing stream state, or 0. A failed Load leaves the
  // transformation as it was; a successful one clears both flags.
  int32_t Save(MemoryStream& stream) const;
  int32_t Load(MemoryStream& stream);
};

static_assert(std::is_trivially_copyable_v<Transformation>);

}  // namespace ynx
