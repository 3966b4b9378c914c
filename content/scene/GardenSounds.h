#pragma once

#include "content/ArchiveFolder.h"
#include "engine/scene/SceneNode.h"

namespace ynx::content {

// The sound nodes: the music ("Music", everywhere, looping), the water at
// the pond's inlet and crickets in the grass (placed, looping), and the
// wind chime under the bridge and a koi's splash, switched on and off by
// sound animations.
class GardenSounds {
 public:
  // False when a sound is missing from the folder.
  static bool Add(SceneNode* parent, ArchiveFolder& media);
};

}  // namespace ynx::content
