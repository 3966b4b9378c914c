#pragma once

#include "content/Canvas.h"

namespace ynx::content {

// Leaves drawn as filled outlines with a lighter midrib, for the leaf and
// sprite textures. Positions and sizes in pixels.
class LeafShapes {
 public:
  // A long pointed leaf (bamboo, a grass blade) from `base` to `tip`,
  // widest a third of the way, bending by `bend` pixels to its left.
  static void Blade(Canvas& canvas, float baseX, float baseY, float tipX, float tipY, float width, float bend,
                    const Canvas::Rgba& colour);
  // A maple leaf of five lobes with its stem down at `angle` (radians,
  // 0 = the stem points down the picture).
  static void Maple(Canvas& canvas, float cx, float cy, float radius, float angle, const Canvas::Rgba& colour);
};

}  // namespace ynx::content
