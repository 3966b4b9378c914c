#pragma once

#include <cstdint>
#include <memory>

#include "engine/io/ImageCodec.h"

namespace ynx {

// Truevision targa files of 24 bits (RGB) and 32 bits (RGBA), uncompressed
// (type 2) or run-length encoded (type 10).
class TGAImageCodec : public ImageCodec {
 public:
  static constexpr const char* NAME = "TGAImageCodec";

  // One picture as read from a file.
  struct Picture {
    std::unique_ptr<uint8_t[]> pixels;
    uint32_t width = 0;
    uint32_t height = 0;
    int32_t format = 0;
  };

  TGAImageCodec();

  // 0; 3 for null arguments; 1 for a file it cannot read; 2 without memory.
  int32_t Load(File* file, Image* image) override;
  // An uncompressed bottom-origin file: 0; 1 for null arguments, an image
  // without pixels or one too large for the format, or a failed write; 3 for
  // a format other than RGB and RGBA; 2 without memory.
  int32_t Save(File* file, Image* image) override;

  // Reads one picture from the position of a file open for reading: 0; 1 for
  // bad data or a picture larger than maxSize bytes; 2 without memory.
  //
  // A bottom-origin file (descriptor bit 0x20 clear) gets its BGR(A) pixels
  // turned into RGB(A). A top-origin one keeps its rows and bytes exactly as
  // in the file, so its row 0 is the top row and red and blue stay exchanged:
  // that is how the engine has always read such files, and content relies on
  // it. The colour map of a file is not skipped.
  static int32_t ReadPicture(File& file, uint64_t maxSize, Picture& picture);
  // Writes `count` pictures of the image's size and format, one after the
  // other from its pixels, as a new file: what Save returns.
  static int32_t WritePictures(File& file, const Image& image, uint32_t count);

 private:
  // Whether the image can be written: 0, 3 for its format, 1 for no pixels or
  // a dimension outside 1..65535.
  static int32_t CheckWritable(const Image& image);
  // Writes the header and pixels of one picture to a file open for writing:
  // 0, or 2 without memory.
  static int32_t WritePicture(File& file, const Image& image, const uint8_t* pixels);
};

}  // namespace ynx
