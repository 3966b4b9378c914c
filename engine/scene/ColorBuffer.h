#pragma once

#include "engine/math/Color.h"
#include "engine/scene/TypedBuffer.h"

namespace ynx {

// A buffer of colours (red, green, blue, alpha).
class ColorBuffer : public TypedBuffer<Color> {
  YNX_DECLARE_CLASS(ColorBuffer);

 public:
  // See TypedBuffer: adopts `data` when given, else allocates `count`.
  explicit ColorBuffer(int32_t count = 0, Color* data = nullptr);
};

}  // namespace ynx
