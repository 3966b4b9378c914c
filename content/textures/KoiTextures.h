#pragma once

#include "content/ArchiveFolder.h"

namespace ynx::content {

// Three koi skins: red on white, gold, and black with red and white. u runs
// from the head (0) to the tail (1), v round the body from the back (0)
// over the belly (0.5) to the back again (1); scales in offset rows.
class KoiTextures {
 public:
  static void Make(ArchiveFolder& folder);
};

}  // namespace ynx::content
