#include "engine/render/Texture.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(Texture, BaseTexture)

Texture::Texture(const String& name, Image* image, int32_t mipLevels)
    : BaseTexture(name, mipLevels) {
  SetImage(image);
}

}  // namespace ynx
