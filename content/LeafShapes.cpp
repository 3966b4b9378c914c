#include "content/LeafShapes.h"

#include <algorithm>
#include <cmath>

namespace ynx::content {

namespace {

constexpr float PI = 3.14159265f;

Canvas::Rgba Lighter(const Canvas::Rgba& c, float amount) {
  return Canvas::Rgba{c.r + (1.0f - c.r) * amount, c.g + (1.0f - c.g) * amount, c.b + (1.0f - c.b) * amount, c.a};
}

}  // namespace

void LeafShapes::Blade(Canvas& canvas, float baseX, float baseY, float tipX, float tipY, float width, float bend,
                       const Canvas::Rgba& colour) {
  const float dx = tipX - baseX;
  const float dy = tipY - baseY;
  const float length = std::max(std::hypot(dx, dy), 1.0f);
  // The left-hand normal of the straight line, for the bend.
  const float nx = dy / length;
  const float ny = -dx / length;
  const int steps = std::max(8, static_cast<int>(length / 2.0f));
  float px = baseX;
  float py = baseY;
  for (int i = 1; i <= steps; ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(steps);
    const float curve = bend * t * t;
    const float x = baseX + dx * t + nx * curve;
    const float y = baseY + dy * t + ny * curve;
    const float profile = std::pow(std::sin(PI * std::min(1.0f, 0.15f + t * 0.85f)), 0.8f) * (t < 0.33f ? 0.75f + 0.75f * t : 1.0f);
    canvas.Line(px, py, x, y, std::max(0.8f, width * profile), colour);
    px = x;
    py = y;
  }
  canvas.Line(baseX, baseY, baseX + dx * 0.85f + nx * bend * 0.72f, baseY + dy * 0.85f + ny * bend * 0.72f,
              std::max(0.6f, width * 0.08f), Lighter(colour, 0.25f));
}

void LeafShapes::Maple(Canvas& canvas, float cx, float cy, float radius, float angle, const Canvas::Rgba& colour) {
  const int x0 = std::max(0, static_cast<int>(cx - radius * 1.3f));
  const int x1 = std::min(canvas.Width() - 1, static_cast<int>(cx + radius * 1.3f));
  const int y0 = std::max(0, static_cast<int>(cy - radius * 1.3f));
  const int y1 = std::min(canvas.Height() - 1, static_cast<int>(cy + radius * 1.3f));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const float px = static_cast<float>(x) + 0.5f - cx;
      const float py = static_cast<float>(y) + 0.5f - cy;
      // Rotate into the leaf's frame: stem along +y.
      const float lx = px * std::cos(angle) + py * std::sin(angle);
      const float ly = -px * std::sin(angle) + py * std::cos(angle);
      const float r = std::hypot(lx, ly);
      const float theta = std::atan2(lx, -ly);  // 0 at the top lobe
      // Five lobes, pointed, none where the stem is.
      const float lobes = std::pow(std::abs(std::cos(theta * 2.5f)), 1.4f);
      const float teeth = 0.04f * std::abs(std::sin(theta * 22.0f));
      const float stemGap = std::clamp((PI - std::abs(theta)) / 0.7f, 0.0f, 1.0f);
      const float edge = radius * (0.62f + 0.38f * lobes - teeth) * (0.7f + 0.3f * stemGap);
      const float cover = std::clamp(edge - r + 0.5f, 0.0f, 1.0f);
      if (cover <= 0.0f) continue;
      // Veins from the centre to each lobe tip, a little lighter.
      const float vein = std::pow(std::abs(std::cos(theta * 2.5f)), 40.0f) * (r < edge * 0.9f ? 1.0f : 0.0f);
      const float shade = 0.85f + 0.15f * (r / std::max(edge, 1.0f));
      Canvas::Rgba c{colour.r * shade, colour.g * shade, colour.b * shade, colour.a};
      canvas.Blend(x, y, Lighter(c, 0.2f * vein), cover);
    }
  }
  const float sx = -std::sin(angle);
  const float sy = std::cos(angle);
  canvas.Line(cx, cy, cx + sx * radius * 1.1f, cy + sy * radius * 1.1f, std::max(0.8f, radius * 0.06f),
              Canvas::Rgba{colour.r * 0.7f, colour.g * 0.7f, colour.b * 0.6f, colour.a});
}

}  // namespace ynx::content
