#pragma once

#include "engine/math/Vector3.h"
#include "engine/scene/TypedBuffer.h"

namespace ynx {

// A buffer of three-component vectors (positions, normals, tangents).
class Vector3Buffer : public TypedBuffer<Vector3> {
  YNX_DECLARE_CLASS(Vector3Buffer);

 public:
  // See TypedBuffer: adopts `data` when given, else allocates `count`.
  explicit Vector3Buffer(int32_t count = 0, Vector3* data = nullptr);
};

}  // namespace ynx
