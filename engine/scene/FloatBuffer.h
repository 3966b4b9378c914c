#pragma once

#include <cstdint>

#include "engine/scene/TypedBuffer.h"

namespace ynx {

// A buffer of float-32 values (point sizes, skin data).
class FloatBuffer : public TypedBuffer<float> {
  YNX_DECLARE_CLASS(FloatBuffer);

 public:
  // See TypedBuffer: adopts `data` when given, else allocates `count`.
  explicit FloatBuffer(int32_t count = 0, float* data = nullptr);
};

}  // namespace ynx
