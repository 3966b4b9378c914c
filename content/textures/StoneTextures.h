#pragma once

#include "content/ArchiveFolder.h"

namespace ynx::content {

// Stone of the garden, all tiling: the lanterns' granite, the rocks (colour
// and a grey height map that the normal-map controller turns into normals
// at run time), the path's flagstones (colour and height, for parallax) and
// the pebbles of the pond bed.
class StoneTextures {
 public:
  static void Make(ArchiveFolder& folder);

 private:
  static void MakeGranite(ArchiveFolder& folder);
  static void MakeRock(ArchiveFolder& folder);
  static void MakePath(ArchiveFolder& folder);
  static void MakePondBed(ArchiveFolder& folder);
};

}  // namespace ynx::content
