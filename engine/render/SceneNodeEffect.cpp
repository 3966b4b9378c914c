#include "engine/render/SceneNodeEffect.h"

namespace ynx {

YNX_IMPLEMENT_ABSTRACT_CLASS(SceneNodeEffect, Effect)

SceneNodeEffect::SceneNodeEffect(const String& name) : Effect(name) {}

}  // namespace ynx
