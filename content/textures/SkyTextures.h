#pragma once

#include "content/ArchiveFolder.h"

namespace ynx::content {

// The sky dome (u round the horizon, tiling; v from the zenith at the top
// row to the horizon at the bottom) with stars and thin clouds, and the
// moon with its halo in alpha.
class SkyTextures {
 public:
  static void Make(ArchiveFolder& folder);

 private:
  static void MakeDome(ArchiveFolder& folder);
  static void MakeMoon(ArchiveFolder& folder);
};

}  // namespace ynx::content
