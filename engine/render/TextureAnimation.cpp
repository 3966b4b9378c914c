#include "engine/render/TextureAnimation.h"

#include <new>

namespace ynx {

YNX_IMPLEMENT_CLASS(TextureAnimation, Animation)

TextureAnimation::TextureAnimation(const String& name) : Animation(name) {}

Keyframe* TextureAnimation::NewKeyframe() const { return new (std::nothrow) TextureKeyframe(); }

TextureKeyframe* TextureAnimation::AddTextureKey(double time, Texture* texture) {
  auto* key = static_cast<TextureKeyframe*>(AddKey(time));
  if (key != nullptr) key->texture = texture;
  return key;
}

}  // namespace ynx
