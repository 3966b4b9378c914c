#include "engine/core/RendererBinding.h"

namespace ynx {

RendererBinding::~RendererBinding() = default;

void RendererBinding::Reset() {
  owner = nullptr;
  rendererData = nullptr;
  changed = true;
}

}  // namespace ynx
