#pragma once

#include "engine/io/Image.h"

namespace ynx {

// Several pictures of one size and format stored one after the other: the
// slices of a volume, or the six faces of a cube map.
class VolumeImage : public Image {
  YNX_DECLARE_CLASS(VolumeImage);

 public:
  static constexpr uint32_t CUBE_FACES = 6;

  explicit VolumeImage(const String& name = String());
  // With a block of GetDataSize bytes (contents undefined).
  VolumeImage(const String& name, int32_t format, uint32_t width, uint32_t height, uint32_t depth);

  // As Image's, without the closing info line.
  int32_t Load(MemoryStream& stream) override;
  uint64_t GetDataSize() const override;

  uint32_t GetDepth() const { return depth; }

 protected:
  friend class ImageCodec;

  void SetDepth(uint32_t newDepth) { depth = newDepth; }
  // The depth follows the height in the stream.
  int32_t SaveHeight(MemoryStream& stream) const override;
  int32_t LoadHeight(MemoryStream& stream) override;

 private:
  uint32_t depth = 0;
};

}  // namespace ynx
