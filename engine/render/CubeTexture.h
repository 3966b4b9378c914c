#pragma once

#include "engine/render/BaseTexture.h"

namespace ynx {

// Six square faces of the image's width and height, stored one after
// another in one image (faces 0..5).
class CubeTexture : public BaseTexture {
  YNX_DECLARE_CLASS(CubeTexture);

 public:
  static constexpr int32_t FACE_COUNT = 6;

  explicit CubeTexture(const String& name = String(), Image* image = nullptr,
                       int32_t mipLevels = 0);

  // Whether the image holds six square faces with their pixels.
  bool HasFaces() const;
};

}  // namespace ynx
