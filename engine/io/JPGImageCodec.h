#pragma once

#include "engine/io/ImageCodec.h"

namespace ynx {

// JPEG files through libjpeg: grey (1 component) and colour (3 components)
// pictures. The file's first row is the top one, so rows are reversed on the
// way in and out.
class JPGImageCodec : public ImageCodec {
 public:
  static constexpr const char* NAME = "JPGImageCodec";

  JPGImageCodec();

  // 0; 3 for null arguments; 1 for a file it cannot read (CMYK, damaged or
  // cut short: libjpeg's own message is logged as a warning); 2 without
  // memory.
  int32_t Load(File* file, Image* image) override;
  // At the codec's quality (50 unless set): RGB as a colour file, grey as a
  // grey one (so that it loads back as grey). 0; 3 for other formats; 1 for
  // null arguments, an image without pixels, a failed encoding or a failed
  // write.
  int32_t Save(File* file, Image* image) override;

  // libjpeg's 1..100, clamped; content tools trade size for fidelity per
  // picture.
  void SetQuality(int32_t value) { quality = value < 1 ? 1 : value > 100 ? 100 : value; }
  int32_t GetQuality() const { return quality; }

 private:
  int32_t quality = 50;
};

}  // namespace ynx
