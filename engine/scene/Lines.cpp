#include "engine/scene/Lines.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(Lines, GeometryNode)

Lines::Lines(const String& name) : GeometryNode(name) {}

int32_t Lines::GetPrimitiveType() const { return PRIMITIVE_LINES; }

}  // namespace ynx
