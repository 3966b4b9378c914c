#pragma once

#include <cstdint>
#include <memory>

#include "engine/io/Codec.h"

namespace ynx {

class Image;

// Converts between image files and Image.
class ImageCodec : public Codec {
 public:
  using Codec::Codec;

  int32_t GetKind() const override { return KIND_IMAGE; }
  virtual int32_t Load(File* file, Image* image) = 0;
  virtual int32_t Save(File* file, Image* image) = 0;

 protected:
  // A whole picture at once, so that an image's size always matches its
  // block. The depth applies to a VolumeImage; a flat picture gives one of
  // depth 1.
  static void SetPicture(Image& image, uint32_t width, uint32_t height, uint32_t depth,
                         int32_t format, std::unique_ptr<uint8_t[]> block);
  // Bytes between the position of a file open for reading and its end.
  static int64_t Remaining(File& file);
  // Reads past count bytes: 0, or 1 when fewer remain (nothing is read then).
  static int32_t Skip(File& file, int64_t count);
};

}  // namespace ynx
