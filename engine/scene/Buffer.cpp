#include "engine/scene/Buffer.h"

namespace ynx {

YNX_IMPLEMENT_ABSTRACT_CLASS(Buffer, Object)

Buffer::Buffer(const String& name) : Object(name) {}

}  // namespace ynx
