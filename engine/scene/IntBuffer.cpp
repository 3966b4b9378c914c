#include "engine/scene/IntBuffer.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(IntBuffer, Buffer)

IntBuffer::IntBuffer(int32_t count, int32_t* data) : TypedBuffer(count, data) {}

}  // namespace ynx
