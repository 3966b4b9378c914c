#pragma once

#include <cstdint>

#include "content/Canvas.h"

namespace ynx::content {

// The full moon: a pale disc darkened at the limb, with grey seas, and a
// halo around it, either added to what is there (a painting's sky) or as
// alpha on a see-through canvas (the moon's own texture).
class MoonFace {
 public:
  enum class Halo { Added, Alpha };

  static void Paint(Canvas& canvas, float cx, float cy, float radius, uint32_t seed, Halo halo);
};

}  // namespace ynx::content
