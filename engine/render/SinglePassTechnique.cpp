#include "engine/render/SinglePassTechnique.h"

#include "engine/render/Renderer.h"

namespace ynx {

bool SinglePassTechnique::Create() {
  const Renderer* renderer = Renderer::GetCurrent();
  if (renderer == nullptr || !supports(*renderer)) return false;
  Pass* pass = makePass(effect);
  if (pass == nullptr) return false;
  AddPass(pass);
  return true;
}

bool SinglePassTechnique::HasShaders(const Renderer& renderer) { return renderer.HasShaders(); }

}  // namespace ynx
