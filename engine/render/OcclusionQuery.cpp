#include "engine/render/OcclusionQuery.h"

namespace ynx {

YNX_IMPLEMENT_ABSTRACT_CLASS(OcclusionQuery, Object)

OcclusionQuery::OcclusionQuery(const String& name) : Object(name) {}

}  // namespace ynx
