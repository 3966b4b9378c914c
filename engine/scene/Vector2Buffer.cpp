#include "engine/scene/Vector2Buffer.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(Vector2Buffer, Buffer)

Vector2Buffer::Vector2Buffer(int32_t count, Vector2* data) : TypedBuffer(count, data) {}

}  // namespace ynx
