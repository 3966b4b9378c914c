#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

// After cstdio, whose FILE it uses.
#include <jpeglib.h>

namespace ynx::test {

// JPEG files made by libjpeg itself, for codec tests and benchmarks.
class JpegEncoder {
 public:
  struct Options {
    int quality = 90;
    // Arithmetic coding instead of Huffman.
    bool arithmetic = false;
    // A scan script (progressive and the like); empty: libjpeg's default.
    std::vector<jpeg_scan_info> scans;
  };

  // `pixels` holds rows top first, with as many components per pixel as
  // the colour space has.
  static std::vector<uint8_t> Encode(uint32_t width, uint32_t height, J_COLOR_SPACE space, int components,
                                     const std::vector<uint8_t>& pixels, const Options& options);
  static std::vector<uint8_t> Encode(uint32_t width, uint32_t height, J_COLOR_SPACE space, int components,
                                     const std::vector<uint8_t>& pixels) {
    return Encode(width, height, space, components, pixels, Options{});
  }
};

}  // namespace ynx::test
