#pragma once

#include "engine/io/ImageCodec.h"

namespace ynx {

// Uncompressed Windows bitmaps: 24-bit (RGB) and 8-bit (grey; the colour
// table is skipped, the indexes are the grey levels). Rows are stored bottom
// first, as the engine keeps them.
class BMPImageCodec : public ImageCodec {
 public:
  static constexpr const char* NAME = "BMPImageCodec";

  BMPImageCodec();

  // 0; 3 for null arguments; 1 for a file it cannot read; 2 without memory.
  // A negative height (rows stored top first) is turned upright.
  int32_t Load(File* file, Image* image) override;
  // Formats RGB and grey only (3 otherwise). No colour table is written, not
  // even at 8 bits: our loader needs none, most viewers do.
  int32_t Save(File* file, Image* image) override;

 private:
  int32_t Decode(File& file, Image& image);
};

}  // namespace ynx
