#include "engine/scene/BoundingVolume.h"

namespace ynx {

YNX_IMPLEMENT_ABSTRACT_CLASS(BoundingVolume, Object)

BoundingVolume::BoundingVolume(const String& name) : Object(name) {}

}  // namespace ynx
