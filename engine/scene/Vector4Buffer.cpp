#include "engine/scene/Vector4Buffer.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(Vector4Buffer, Buffer)

Vector4Buffer::Vector4Buffer(int32_t count, Vector4* data) : TypedBuffer(count, data) {}

}  // namespace ynx
