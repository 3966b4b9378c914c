#include "engine/render/Technique.h"

#include "engine/render/Renderer.h"

namespace ynx {

Technique::~Technique() = default;

int32_t Technique::ApplyPass(int32_t index) {
  Renderer* renderer = Renderer::GetCurrent();
  if (renderer == nullptr || index < 0 || index >= GetPassCount()) return 1;
  Pass* pass = GetPass(index);
  renderer->SetCurrentPass(pass);
  renderer->ApplyPass(pass);
  const int32_t result = pass->Apply();
  if (result != 0) renderer->AbandonPass(pass);
  return result;
}

}  // namespace ynx
