#include "engine/render/Effect.h"

namespace ynx {

YNX_IMPLEMENT_ABSTRACT_CLASS(Effect, Object)

Effect::Effect(const String& name) : NodeEffect(name) {}

void Effect::Update(double time) { UpdateControllers(time); }

void Effect::Enable() { enabled = true; }

void Effect::Disable() { enabled = false; }

}  // namespace ynx
