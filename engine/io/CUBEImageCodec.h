#pragma once

#include "engine/io/ImageCodec.h"

namespace ynx {

// Cube maps: six targa pictures of one size and format back to back, in the
// order of the cube texture's faces, loaded into a VolumeImage of depth 6.
class CUBEImageCodec : public ImageCodec {
 public:
  static constexpr const char* NAME = "CUBEImageCodec";

  CUBEImageCodec();

  // 0; 3 for null arguments; 1 for an image that is not a VolumeImage or a
  // file it cannot read (faces that differ included); 2 without memory.
  int32_t Load(File* file, Image* image) override;
  // Each face as the targa codec writes it: 0; 1 for null arguments, an
  // image that is not a VolumeImage of depth 6 with pixels, or a failed
  // write; 3 for a format other than RGB and RGBA; 2 without memory.
  int32_t Save(File* file, Image* image) override;
};

}  // namespace ynx
