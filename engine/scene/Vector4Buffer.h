#pragma once

#include "engine/math/Vector4.h"
#include "engine/scene/TypedBuffer.h"

namespace ynx {

// A buffer of four-component vectors (skin weights and indices, texture coordinates).
class Vector4Buffer : public TypedBuffer<Vector4> {
  YNX_DECLARE_CLASS(Vector4Buffer);

 public:
  // See TypedBuffer: adopts `data` when given, else allocates `count`.
  explicit Vector4Buffer(int32_t count = 0, Vector4* data = nullptr);
};

}  // namespace ynx
