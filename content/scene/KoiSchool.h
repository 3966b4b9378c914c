#pragma once

#include <vector>

#include "engine/render/Texture.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"

namespace ynx::content {

// The koi: skinned bodies whose spines sway by a skeleton animation (a
// swimming beat that cross-fades into a turn and back), carried round the
// pond along node-animation paths.
class KoiSchool {
 public:
  // One koi per skin, named "Koi1", "Koi2", ... (the carrier nodes that
  // cameras can follow), swimming in a pond of `pondRadius` round the
  // origin of `parent`, whose transformation must be the identity (skinned
  // bodies are computed in world space).
  static void Add(SceneNode* parent, Light* moon, const std::vector<Texture*>& skins, float pondRadius);
};

}  // namespace ynx::content
