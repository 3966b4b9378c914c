#pragma once

#include <string>

#include "engine/core/Ptr.h"
#include "engine/io/Image.h"

namespace ynx {

// PNG files on disk through libpng, in the engine's row order (bottom row
// first). Colour with alpha reads as RGBA, colour as RGB, grey as grey (grey
// with alpha as RGBA); 16-bit files are reduced to 8 bits.
class PngFile {
 public:
  // Null, with the reason in `error`, when the file cannot be read.
  static Ptr<Image> Read(const std::string& path, std::string& error);
  // RGB, RGBA and grey images; false, with the reason, otherwise.
  static bool Write(const std::string& path, const Image& image, std::string& error);
};

}  // namespace ynx
