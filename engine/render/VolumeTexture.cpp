#include "engine/render/VolumeTexture.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(VolumeTexture, BaseTexture)

VolumeTexture::VolumeTexture(const String& name) : BaseTexture(name) {}

}  // namespace ynx
