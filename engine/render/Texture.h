#pragma once

#include "engine/render/BaseTexture.h"

namespace ynx {

// A 2D texture of its image's size and format. As a render target it gets
// a depth surface of its own unless ownDepth is cleared (not streamed).
class Texture : public BaseTexture {
  YNX_DECLARE_CLASS(Texture);

 public:
  explicit Texture(const String& name = String(), Image* image = nullptr, int32_t mipLevels = 0);

  bool GetOwnDepth() const { return ownDepth; }
  void SetOwnDepth(bool value) { ownDepth = value; }

 private:
  bool ownDepth = true;
};

}  // namespace ynx
