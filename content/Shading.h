#pragma once

#include <algorithm>

#include "content/Canvas.h"

namespace ynx::content {

// The two blends every painter here uses.

// 0 below edge0, 1 above edge1 (edges may be given in either order), a
// smooth step between.
inline float Smooth(float edge0, float edge1, float x) {
  const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
  return t * t * (3.0f - 2.0f * t);
}

// From a to b by t, alpha included.
inline Canvas::Rgba Mix(const Canvas::Rgba& a, const Canvas::Rgba& b, float t) {
  return Canvas::Rgba{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

}  // namespace ynx::content
