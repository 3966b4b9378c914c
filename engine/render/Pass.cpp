#include "engine/render/Pass.h"

#include "engine/render/Renderer.h"

namespace ynx {

YNX_IMPLEMENT_ABSTRACT_CLASS(Pass, Object)

Pass::Pass() : Object(String()), stateBlock(new RenderStateBlock()) {}

Pass::~Pass() {
  if (binding.owner) {
    // Only renderers fill bindings; keep this one alive while it releases.
    const Ptr<BindingOwner> keep = binding.owner;
    static_cast<Renderer*>(keep.Get())->ReleasePass(this);
  }
}

void Pass::MarkDirty() { binding.changed = true; }

}  // namespace ynx
