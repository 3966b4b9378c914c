#include "engine/scene/FloatBuffer.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(FloatBuffer, Buffer)

FloatBuffer::FloatBuffer(int32_t count, float* data) : TypedBuffer(count, data) {}

}  // namespace ynx
