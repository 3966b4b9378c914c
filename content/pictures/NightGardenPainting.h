#pragma once

#include <cstdint>

#include "content/Canvas.h"

namespace ynx::content {

// The garden at night as a painting, for the pictures around the show: a
// starry sky with thin clouds and the moon, hills, bamboo on the left, the
// maple on the right, the pond with the moon's reflection, the bridge, a
// stone lantern and fireflies. Any size; what is drawn scales with the
// height, and the view is centred, so wider pictures show more at the
// sides.
class NightGardenPainting {
 public:
  explicit NightGardenPainting(uint32_t seed) : seed(seed) {}

  void Paint(Canvas& canvas) const;

 private:
  void PaintBackdrop(Canvas& canvas) const;
  void PaintBamboo(Canvas& canvas) const;
  void PaintMaple(Canvas& canvas) const;
  void PaintBridge(Canvas& canvas) const;
  void PaintLantern(Canvas& canvas) const;
  void PaintFireflies(Canvas& canvas) const;

  // Painting units: y in 0..1 down the picture, x in the same units from
  // the centre line; to pixels.
  static float PixelX(const Canvas& canvas, float x) {
    return static_cast<float>(canvas.Width()) * 0.5f + x * static_cast<float>(canvas.Height());
  }
  static float PixelY(const Canvas& canvas, float y) { return y * static_cast<float>(canvas.Height()); }
  static float Pixels(const Canvas& canvas, float size) { return size * static_cast<float>(canvas.Height()); }

  uint32_t seed;
};

}  // namespace ynx::content
