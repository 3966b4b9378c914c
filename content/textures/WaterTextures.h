#pragma once

#include "content/ArchiveFolder.h"

namespace ynx::content {

// The pond's surface as a flip-book of FRAMES pictures that loops without a
// jump (every wave completes whole cycles over the loop and tiles across
// the picture), see-through so that the bed shows, with the moon's glints
// on the crests; and the caustic light on the bed, tiling.
class WaterTextures {
 public:
  static constexpr int FRAMES = 20;

  static void Make(ArchiveFolder& folder);

 private:
  static void MakeRipples(ArchiveFolder& folder);
  static void MakeCaustics(ArchiveFolder& folder);
};

}  // namespace ynx::content
