#pragma once

#include "content/ArchiveFolder.h"

namespace ynx::content {

// What grows and what is built of wood: moss and the garden's ground
// (tiling), the bridge's lacquered wood, the bamboo's stalk (tiling along
// its length) and leaves, grass blades and the maple's foliage (with
// alpha, for alpha-tested cards), and one falling maple leaf for the
// particles.
class PlantTextures {
 public:
  static void Make(ArchiveFolder& folder);

 private:
  static void MakeMoss(ArchiveFolder& folder);
  static void MakeGround(ArchiveFolder& folder);
  static void MakeWood(ArchiveFolder& folder);
  static void MakeBamboo(ArchiveFolder& folder);
  static void MakeGrass(ArchiveFolder& folder);
  static void MakeMaple(ArchiveFolder& folder);
};

}  // namespace ynx::content
