#include "engine/particles/Emitter.h"

namespace ynx {

YNX_IMPLEMENT_ABSTRACT_CLASS(Emitter, Object)

Emitter::Emitter(const String& name) : Object(name) {}

}  // namespace ynx
