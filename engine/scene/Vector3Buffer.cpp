#include "engine/scene/Vector3Buffer.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(Vector3Buffer, Buffer)

Vector3Buffer::Vector3Buffer(int32_t count, Vector3* data) : TypedBuffer(count, data) {}

}  // namespace ynx
