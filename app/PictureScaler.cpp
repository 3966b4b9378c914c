#include "app/PictureScaler.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "engine/core/Log.h"
#include "engine/io/Image.h"

namespace ynx {
namespace {

// For every destination pixel along one axis, the source pixels under a
// tent as wide as a destination pixel but never narrower than a source
// pixel.
struct Taps {
  uint32_t count = 0;
  std::vector<int32_t> first;
  // `count` per destination pixel, summing to 1; indexes past the edges
  // are clamped to it.
  std::vector<float> weights;
};

Taps MakeTaps(uint32_t source, uint32_t target) {
  const double scale = static_cast<double>(source) / target;
  const double radius = std::max(1.0, scale);
  Taps taps;
  taps.count = 2 * static_cast<uint32_t>(std::ceil(radius)) + 1;
  taps.first.resize(target);
  taps.weights.resize(static_cast<size_t>(target) * taps.count);
  for (uint32_t d = 0; d < target; ++d) {
    const double centre = (d + 0.5) * scale - 0.5;
    const int32_t first = static_cast<int32_t>(std::floor(centre - radius)) + 1;
    float* weights = &taps.weights[static_cast<size_t>(d) * taps.count];
    double sum = 0.0;
    for (uint32_t k = 0; k < taps.count; ++k) {
      weights[k] = static_cast<float>(std::max(0.0, 1.0 - std::fabs(first + k - centre) / radius));
      sum += weights[k];
    }
    for (uint32_t k = 0; k < taps.count; ++k) weights[k] = static_cast<float>(weights[k] / sum);
    taps.first[d] = first;
  }
  return taps;
}

uint32_t Clamp(int64_t index, uint32_t size) {
  return static_cast<uint32_t>(std::clamp<int64_t>(index, 0, int64_t{size} - 1));
}

}  // namespace

PictureScaler::PictureScaler(const Image& picture) {
  const int32_t bytes = Image::BytesPerPixel(picture.GetFormat());
  if (picture.GetData() == nullptr || bytes <= 0) return;
  sourceWidth = picture.GetWidth();
  sourceHeight = picture.GetHeight();
  source.resize(static_cast<size_t>(sourceWidth) * sourceHeight * 3);
  uint8_t* out = source.data();
  for (uint32_t y = 0; y < sourceHeight; ++y) {
    const uint8_t* in =
        picture.GetData() + static_cast<size_t>(sourceHeight - 1 - y) * sourceWidth * bytes;
    for (uint32_t x = 0; x < sourceWidth; ++x, in += bytes) {
      for (int32_t c = 0; c < 3; ++c) *out++ = in[bytes >= 3 ? c : 0];
    }
  }
}

std::vector<uint8_t> PictureScaler::Scale(uint32_t width, uint32_t height) const {
  std::vector<uint8_t> scaled;
  if (source.empty() || width == 0 || height == 0) return scaled;
  const size_t rowFloats = static_cast<size_t>(width) * 3;
  std::unique_ptr<float[]> rows(new (std::nothrow) float[rowFloats * sourceHeight]);
  try {
    scaled.resize(rowFloats * height);
  } catch (const std::bad_alloc&) {
    rows.reset();
  }
  if (!rows) {
    LogError("Недостаточно памяти для картинки %ux%u.", width, height);
    return {};
  }

  // Across first, at the source's height, then down to the target's.
  const Taps across = MakeTaps(sourceWidth, width);
  for (uint32_t y = 0; y < sourceHeight; ++y) {
    const uint8_t* in = &source[static_cast<size_t>(y) * sourceWidth * 3];
    float* out = &rows[y * rowFloats];
    for (uint32_t x = 0; x < width; ++x, out += 3) {
      const float* weights = &across.weights[static_cast<size_t>(x) * across.count];
      out[0] = out[1] = out[2] = 0.0f;
      for (uint32_t k = 0; k < across.count; ++k) {
        const uint8_t* pixel = in + Clamp(int64_t{across.first[x]} + k, sourceWidth) * 3;
        for (int c = 0; c < 3; ++c) out[c] += weights[k] * pixel[c];
      }
    }
  }
  const Taps down = MakeTaps(sourceHeight, height);
  uint8_t* out = scaled.data();
  for (uint32_t y = 0; y < height; ++y) {
    const float* weights = &down.weights[static_cast<size_t>(y) * down.count];
    for (uint32_t x = 0; x < width; ++x, out += 3) {
      float level[3] = {};
      for (uint32_t k = 0; k < down.count; ++k) {
        const float* in =
            &rows[Clamp(int64_t{down.first[y]} + k, sourceHeight) * rowFloats + x * 3];
        for (int c = 0; c < 3; ++c) level[c] += weights[k] * in[c];
      }
      for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(std::clamp(level[c], 0.0f, 255.0f) + 0.5f);
    }
  }
  return scaled;
}

}  // namespace ynx
