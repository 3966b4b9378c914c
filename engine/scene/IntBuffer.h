#pragma once

#include <cstdint>

#include "engine/scene/TypedBuffer.h"

namespace ynx {

// A buffer of vertex indices.
class IntBuffer : public TypedBuffer<int32_t> {
  YNX_DECLARE_CLASS(IntBuffer);

 public:
  // See TypedBuffer: adopts `data` when given, else allocates `count`.
  explicit IntBuffer(int32_t count = 0, int32_t* data = nullptr);
};

}  // namespace ynx
