#include "engine/core/RendererBinding.h"

namespace ynx {

RendererBinding::~RendererBinding() { Release(); }

void RendererBinding::Release() {
  if (!owner) return;
  const Ptr<BindingOwner> keep = owner;
  keep->ReleaseBinding(*this);
  // An owner that did not reset the binding still loses it.
  Reset();
}

void RendererBinding::Reset() {
  owner = nullptr;
  rendererData = nullptr;
  changed = true;
}

}  // namespace ynx
