#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/io/Image.h"

namespace ynx::content {

// A picture being painted: floats per channel as displayed, row 0 at the top as a
// painter sees it (Image keeps row 0 at the bottom; ToImage turns it).
class Canvas {
 public:
  struct Rgba {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 1.0f;
  };

  Canvas(int width, int height, Rgba fill = {0.0f, 0.0f, 0.0f, 1.0f});

  int Width() const { return width; }
  int Height() const { return height; }
  Rgba& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  const Rgba& At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  // With the coordinates wrapped round the edges.
  const Rgba& Wrapped(int x, int y) const;

  // Every pixel from its position in [0, 1) (pixel centres).
  void Paint(const std::function<Rgba(float u, float v)>& shader);
  // `colour` over the pixel with `coverage` times its alpha.
  void Blend(int x, int y, const Rgba& colour, float coverage);
  // Light added to the pixel (glows, stars).
  void Add(int x, int y, const Rgba& colour, float amount);
  // A disc with a soft rim of `soft` pixels; additive for glows.
  void Disc(float cx, float cy, float radius, const Rgba& colour, float soft, bool additive = false);
  // A stroke from (x0, y0) to (x1, y1) of the given width, soft-edged.
  void Line(float x0, float y0, float x1, float y1, float width, const Rgba& colour);
  // A box blur of radius r, `passes` times (three approach a Gaussian).
  void Blur(int radius, int passes = 3);
  // Box-filtered to a smaller size (for drawing large and keeping the edges
  // smooth).
  Canvas Reduced(int newWidth, int newHeight) const;

  // RGB, RGBA or grey (luminance) with 8 bits a channel, row 0 at the bottom.
  Ptr<Image> ToImage(int32_t format) const;

 private:
  int width;
  int height;
  std::vector<Rgba> pixels;
};

}  // namespace ynx::content
