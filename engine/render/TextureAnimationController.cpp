#include "engine/render/TextureAnimationController.h"

#include "engine/render/TextureAnimation.h"
#include "engine/render/TextureEffect.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(TextureAnimationController, AnimationController)

TextureAnimationController::TextureAnimationController(const String& name)
    : AnimationController(name) {}

void TextureAnimationController::Update(double time) {
  AnimationController::Update(time);
  Object* owner = GetOwner();
  if (!IsActive() || owner == nullptr || !owner->IsDerivedFrom(TextureEffect::Type())) return;
  auto* effect = static_cast<TextureEffect*>(owner);
  const Texture* before = effect->GetTexture();
  for (int32_t index = 0; index < GetStageCount(); ++index) {
    const BlendStage& stage = GetStage(index);
    const Animation* animation = stage.animation.Get();
    if (animation == nullptr || !animation->IsDerivedFrom(TextureAnimation::Type())) continue;
    const auto& pages = static_cast<const TextureAnimation&>(*animation);
    if (stage.key < 0 || stage.key >= pages.GetKeyCount()) continue;
    Texture* page = pages.GetTextureKey(stage.key).texture.Get();
    if (page != before) effect->SetTexture(page);
  }
}

}  // namespace ynx
