#include "tests/support/JpegEncoder.h"

#include <cstdlib>

namespace ynx::test {

std::vector<uint8_t> JpegEncoder::Encode(uint32_t width, uint32_t height, J_COLOR_SPACE space, int components,
                                         const std::vector<uint8_t>& pixels, const Options& options) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* bytes = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &bytes, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = components;
  info.in_color_space = space;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, options.quality, TRUE);
  info.arith_code = options.arithmetic ? TRUE : FALSE;
  if (!options.scans.empty()) {
    info.scan_info = options.scans.data();
    info.num_scans = static_cast<int>(options.scans.size());
  }
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < height) {
    auto* row = const_cast<uint8_t*>(pixels.data() + size_t{info.next_scanline} * width * components);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> file(bytes, bytes + size);
  std::free(bytes);
  return file;
}

}  // namespace ynx::test
