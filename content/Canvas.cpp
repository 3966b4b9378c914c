#include "content/Canvas.h"

#include <algorithm>
#include <cmath>

#include "content/Shading.h"

namespace ynx::content {

namespace {

uint8_t Byte(float value) {
  const float scaled = std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f;
  return static_cast<uint8_t>(scaled);
}

}  // namespace

Canvas::Canvas(int width, int height, Rgba fill)
    : width(width), height(height), pixels(static_cast<size_t>(width) * height, fill) {}

const Canvas::Rgba& Canvas::Wrapped(int x, int y) const {
  x %= width;
  y %= height;
  return At(x < 0 ? x + width : x, y < 0 ? y + height : y);
}

void Canvas::Paint(const std::function<Rgba(float u, float v)>& shader) {
  for (int y = 0; y < height; ++y) {
    const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(height);
    for (int x = 0; x < width; ++x) {
      At(x, y) = shader((static_cast<float>(x) + 0.5f) / static_cast<float>(width), v);
    }
  }
}

void Canvas::Blend(int x, int y, const Rgba& colour, float coverage) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  const float k = std::clamp(coverage * colour.a, 0.0f, 1.0f);
  if (k <= 0.0f) return;
  // "Over" on straight alpha, so that see-through pictures keep clean
  // colours at their edges.
  Rgba& p = At(x, y);
  const float below = p.a * (1.0f - k);
  const float a = k + below;
  p.r = (colour.r * k + p.r * below) / a;
  p.g = (colour.g * k + p.g * below) / a;
  p.b = (colour.b * k + p.b * below) / a;
  p.a = a;
}

void Canvas::Add(int x, int y, const Rgba& colour, float amount) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  Rgba& p = At(x, y);
  p.r += colour.r * amount;
  p.g += colour.g * amount;
  p.b += colour.b * amount;
}

void Canvas::Disc(float cx, float cy, float radius, const Rgba& colour, float soft, bool additive) {
  const int x0 = static_cast<int>(std::floor(cx - radius - soft));
  const int x1 = static_cast<int>(std::ceil(cx + radius + soft));
  const int y0 = static_cast<int>(std::floor(cy - radius - soft));
  const int y1 = static_cast<int>(std::ceil(cy + radius + soft));
  for (int y = std::max(y0, 0); y <= std::min(y1, height - 1); ++y) {
    for (int x = std::max(x0, 0); x <= std::min(x1, width - 1); ++x) {
      const float d = std::hypot(static_cast<float>(x) + 0.5f - cx, static_cast<float>(y) + 0.5f - cy);
      const float coverage = 1.0f - Smooth(radius - soft * 0.5f, radius + soft * 0.5f + 1e-3f, d);
      if (coverage <= 0.0f) continue;
      if (additive) {
        Add(x, y, colour, coverage * colour.a);
      } else {
        Blend(x, y, colour, coverage);
      }
    }
  }
}

void Canvas::Line(float x0, float y0, float x1, float y1, float lineWidth, const Rgba& colour) {
  const float half = lineWidth * 0.5f;
  const int left = static_cast<int>(std::floor(std::min(x0, x1) - half - 1.0f));
  const int right = static_cast<int>(std::ceil(std::max(x0, x1) + half + 1.0f));
  const int top = static_cast<int>(std::floor(std::min(y0, y1) - half - 1.0f));
  const int bottom = static_cast<int>(std::ceil(std::max(y0, y1) + half + 1.0f));
  const float dx = x1 - x0;
  const float dy = y1 - y0;
  const float length2 = std::max(dx * dx + dy * dy, 1e-6f);
  for (int y = std::max(top, 0); y <= std::min(bottom, height - 1); ++y) {
    for (int x = std::max(left, 0); x <= std::min(right, width - 1); ++x) {
      const float px = static_cast<float>(x) + 0.5f - x0;
      const float py = static_cast<float>(y) + 0.5f - y0;
      const float t = std::clamp((px * dx + py * dy) / length2, 0.0f, 1.0f);
      const float d = std::hypot(px - t * dx, py - t * dy);
      const float coverage = std::clamp(half + 0.5f - d, 0.0f, 1.0f);
      if (coverage > 0.0f) Blend(x, y, colour, coverage);
    }
  }
}

void Canvas::Blur(int radius, int passes) {
  if (radius <= 0) return;
  std::vector<Rgba> line;
  const float scale = 1.0f / static_cast<float>(2 * radius + 1);
  auto run = [&](int count, const std::function<Rgba&(int)>& cell) {
    line.assign(static_cast<size_t>(count), Rgba{});
    for (int i = 0; i < count; ++i) line[static_cast<size_t>(i)] = cell(i);
    Rgba sum{0, 0, 0, 0};
    auto clampAt = [&](int i) -> const Rgba& { return line[static_cast<size_t>(std::clamp(i, 0, count - 1))]; };
    for (int i = -radius; i <= radius; ++i) {
      const Rgba& p = clampAt(i);
      sum.r += p.r; sum.g += p.g; sum.b += p.b; sum.a += p.a;
    }
    for (int i = 0; i < count; ++i) {
      cell(i) = Rgba{sum.r * scale, sum.g * scale, sum.b * scale, sum.a * scale};
      const Rgba& out = clampAt(i - radius);
      const Rgba& in = clampAt(i + radius + 1);
      sum.r += in.r - out.r; sum.g += in.g - out.g; sum.b += in.b - out.b; sum.a += in.a - out.a;
    }
  };
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = 0; y < height; ++y) run(width, [&](int x) -> Rgba& { return At(x, y); });
    for (int x = 0; x < width; ++x) run(height, [&](int y) -> Rgba& { return At(x, y); });
  }
}

Canvas Canvas::Reduced(int newWidth, int newHeight) const {
  Canvas result(newWidth, newHeight);
  const int fx = width / newWidth;
  const int fy = height / newHeight;
  const float scale = 1.0f / static_cast<float>(fx * fy);
  for (int y = 0; y < newHeight; ++y) {
    for (int x = 0; x < newWidth; ++x) {
      Rgba sum{0, 0, 0, 0};
      for (int j = 0; j < fy; ++j) {
        for (int i = 0; i < fx; ++i) {
          const Rgba& p = At(x * fx + i, y * fy + j);
          sum.r += p.r; sum.g += p.g; sum.b += p.b; sum.a += p.a;
        }
      }
      result.At(x, y) = Rgba{sum.r * scale, sum.g * scale, sum.b * scale, sum.a * scale};
    }
  }
  return result;
}

Ptr<Image> Canvas::ToImage(int32_t format) const {
  Ptr<Image> image(new Image(String(), format, static_cast<uint32_t>(width), static_cast<uint32_t>(height)));
  const int channels = Image::BytesPerPixel(format);
  uint8_t* out = image->GetData();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgba& p = At(x, height - 1 - y);
      if (format == Image::FORMAT_GREY) {
        *out++ = Byte(0.299f * p.r + 0.587f * p.g + 0.114f * p.b);
        continue;
      }
      *out++ = Byte(p.r);
      *out++ = Byte(p.g);
      *out++ = Byte(p.b);
      if (channels == 4) *out++ = Byte(p.a);
    }
  }
  return image;
}

}  // namespace ynx::content
