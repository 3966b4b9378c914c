#pragma once

#include "engine/animation/Animation.h"
#include "engine/render/TextureKeyframe.h"

namespace ynx {

// A flip-book: an animation whose keys are textures.
class TextureAnimation : public Animation {
  YNX_DECLARE_CLASS(TextureAnimation);

 public:
  explicit TextureAnimation(const String& name = String());

  // Index must be below the key count.
  TextureKeyframe& GetTextureKey(int32_t index) const {
    return static_cast<TextureKeyframe&>(GetKey(index));
  }
  // Appends a page at the end; null without memory.
  TextureKeyframe* AddTextureKey(double time, Texture* texture);

 protected:
  Keyframe* NewKeyframe() const override;
};

}  // namespace ynx
