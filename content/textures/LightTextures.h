#pragma once

#include "content/ArchiveFolder.h"

namespace ynx::content {

// What gives light in the garden: the lanterns' paper windows (lit from
// behind, fibres and a lattice), and the fireflies' glow sprite.
class LightTextures {
 public:
  static void Make(ArchiveFolder& folder);
};

}  // namespace ynx::content
