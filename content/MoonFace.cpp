#include "content/MoonFace.h"

#include <algorithm>
#include <cmath>

#include "content/Noise.h"
#include "content/Shading.h"

namespace ynx::content {

void MoonFace::Paint(Canvas& canvas, float cx, float cy, float radius, uint32_t seed, Halo halo) {
  const Noise maria(seed, 16);
  const Canvas::Rgba haloColour{0.55f, 0.6f, 0.75f, 1.0f};
  const int reach = static_cast<int>(radius * 7.0f);
  const int top = std::max(0, static_cast<int>(cy) - reach);
  const int bottom = std::min(canvas.Height(), static_cast<int>(cy) + reach);
  const int left = std::max(0, static_cast<int>(cx) - reach);
  const int right = std::min(canvas.Width(), static_cast<int>(cx) + reach);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const float d = std::hypot(static_cast<float>(x) + 0.5f - cx, static_cast<float>(y) + 0.5f - cy) / radius;
      if (d > 1.0f) {
        const float glow = 0.35f * std::exp(-(d - 1.0f) * 1.6f) + 0.10f * std::exp(-(d - 1.0f) * 0.35f);
        if (halo == Halo::Added) {
          canvas.Add(x, y, haloColour, glow);
        } else {
          canvas.Blend(x, y, haloColour, glow);
        }
      }
      const float cover = Smooth(1.0f + 1.0f / radius, 1.0f - 1.0f / radius, d);
      if (cover > 0.0f) {
        const float u = (static_cast<float>(x) - cx) / radius;
        const float v = (static_cast<float>(y) - cy) / radius;
        const float sea = Smooth(0.5f, 0.75f, maria.Fractal(u * 1.6f + 4.0f, v * 1.6f + 4.0f, 4));
        const float limb = 1.0f - 0.18f * d * d;
        canvas.Blend(x, y, Canvas::Rgba{0.98f * limb - 0.16f * sea, 0.96f * limb - 0.15f * sea, 0.86f * limb - 0.10f * sea},
                     cover);
      }
    }
  }
}

}  // namespace ynx::content
