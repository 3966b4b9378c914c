#include "engine/scene/StripLines.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(StripLines, GeometryNode)

StripLines::StripLines(const String& name) : GeometryNode(name) {}

int32_t StripLines::GetPrimitiveType() const { return PRIMITIVE_LINE_STRIP; }

}  // namespace ynx
