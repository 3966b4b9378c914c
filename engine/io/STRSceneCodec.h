#pragma once

#include "engine/io/SceneCodec.h"

namespace ynx {

// Scene files: the engine's version as three 32-bit values, then the root as
// an object reference with everything reachable from it.
class STRSceneCodec : public SceneCodec {
 public:
  static constexpr const char* NAME = "STRSceneCodec";

  STRSceneCodec();

  // Files older than the engine are refused; newer ones are accepted.
  int32_t Load(File* file, Object** root) override;
  int32_t Save(File* file, Object* root) override;
};

}  // namespace ynx
