#include "engine/scene/Points.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(Points, GeometryNode)

Points::Points(const String& name) : GeometryNode(name) {}

int32_t Points::GetPrimitiveType() const { return PRIMITIVE_POINTS; }

}  // namespace ynx
