#include "engine/render/CubeTexture.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(CubeTexture, BaseTexture)

CubeTexture::CubeTexture(const String& name, Image* image, int32_t mipLevels)
    : BaseTexture(name, mipLevels) {
  SetImage(image);
}

bool CubeTexture::HasFaces() const {
  const Image* image = GetImage();
  if (image == nullptr || image->GetData() == nullptr || image->GetWidth() == 0 ||
      image->GetWidth() != image->GetHeight()) {
    return false;
  }
  const uint64_t face = Image::DataSize(image->GetFormat(), image->GetWidth(), image->GetHeight());
  return face > 0 && image->GetDataSize() >= face * FACE_COUNT;
}

}  // namespace ynx
