#include "engine/io/VolumeImage.h"

#include "engine/core/MemoryStream.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(VolumeImage, Image)

VolumeImage::VolumeImage(const String& name) : Image(name) {}

VolumeImage::VolumeImage(const String& name, int32_t format, uint32_t width, uint32_t height,
                         uint32_t depth)
    : Image(name), depth(depth) {
  SetSize(width, height);
  SetFormat(format);
  AllocateData();
}

int32_t VolumeImage::Load(MemoryStream& stream) { return LoadContent(stream); }

uint64_t VolumeImage::GetDataSize() const {
  return DataSize(GetFormat(), GetWidth(), GetHeight(), depth);
}

int32_t VolumeImage::SaveHeight(MemoryStream& stream) const {
  if (Image::SaveHeight(stream) != 0) return stream.GetState();
  return stream.WriteUInt32(depth);
}

int32_t VolumeImage::LoadHeight(MemoryStream& stream) {
  if (Image::LoadHeight(stream) != 0) return stream.GetState();
  return stream.ReadUInt32(depth);
}

}  // namespace ynx
