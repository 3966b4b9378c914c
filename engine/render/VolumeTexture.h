#pragma once

#include "engine/render/BaseTexture.h"

namespace ynx {

// A texture made from a volume image. The renderer makes no device copy of
// it: binding one leaves the stage without a texture.
class VolumeTexture : public BaseTexture {
  YNX_DECLARE_CLASS(VolumeTexture);

 public:
  explicit VolumeTexture(const String& name = String());

 protected:
  const char* ImageType() const override { return "YNX.VolumeImage"; }
};

}  // namespace ynx
