#pragma once

#include "engine/math/Vector2.h"
#include "engine/scene/TypedBuffer.h"

namespace ynx {

// A buffer of two-component vectors (texture coordinates).
class Vector2Buffer : public TypedBuffer<Vector2> {
  YNX_DECLARE_CLASS(Vector2Buffer);

 public:
  // See TypedBuffer: adopts `data` when given, else allocates `count`.
  explicit Vector2Buffer(int32_t count = 0, Vector2* data = nullptr);
};

}  // namespace ynx
