#include "engine/scene/ColorBuffer.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(ColorBuffer, Buffer)

ColorBuffer::ColorBuffer(int32_t count, Color* data) : TypedBuffer(count, data) {}

}  // namespace ynx
