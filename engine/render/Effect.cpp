#include "engine/render/Effect.h"

namespace ynx {

YNX_IMPLEMENT_ABSTRACT_CLASS(Effect, Object)

Effect::Effect(const String& name) : NodeEffect(name) {}

Effect::~Effect() = default;

void Effect::Update(double time) { UpdateControllers(time); }

void Effect::Enable() { enabled = true; }

void Effect::Disable() { enabled = false; }

int32_t Effect::PassCount() {
  if (activeTechnique == nullptr) {
    for (const std::unique_ptr<Technique>& technique : techniques) {
      if (!technique->Create()) continue;
      activeTechnique = technique.get();
      MarkPassesDirty();
      break;
    }
    if (activeTechnique == nullptr) return 0;
  }
  return activeTechnique->GetPassCount();
}

int32_t Effect::ApplyPass(int32_t index) {
  return activeTechnique != nullptr ? activeTechnique->ApplyPass(index) : 1;
}

void Effect::AddTechnique(Technique* technique) {
  // Short of memory, the effect goes without it.
  if (technique == nullptr) return;
  techniques.emplace(techniques.begin(), technique);
}

void Effect::MarkPassesDirty() {
  if (activeTechnique == nullptr) return;
  for (int32_t index = 0; index < activeTechnique->GetPassCount(); ++index) {
    activeTechnique->GetPass(index)->MarkDirty();
  }
}

}  // namespace ynx
