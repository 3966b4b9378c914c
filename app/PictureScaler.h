#pragma once

#include <cstdint>
#include <vector>

namespace ynx {

class Image;

// A still picture kept for showing at whatever size a window gives it:
// shrinking averages, enlarging interpolates.
class PictureScaler {
 public:
  PictureScaler() = default;
  // The engine keeps the bottom row first, windows the top one; grey
  // spreads to all three channels, alpha is dropped. An image without
  // pixels leaves the scaler empty.
  explicit PictureScaler(const Image& picture);

  bool IsEmpty() const { return source.empty(); }
  // The picture at that size, three bytes a pixel, top row first; empty
  // when the scaler is, or when memory runs out (logged).
  std::vector<uint8_t> Scale(uint32_t width, uint32_t height) const;

 private:
  // Top row first, three bytes a pixel.
  std::vector<uint8_t> source;
  uint32_t sourceWidth = 0;
  uint32_t sourceHeight = 0;
};

}  // namespace ynx
