#pragma once

#include "engine/animation/Keyframe.h"
#include "engine/math/Quaternion.h"
#include "engine/math/Vector3.h"

namespace ynx {

// A pose of a node: translation, rotation and scale. Streamed after the time
// as translation (3 floats), rotation x, y, z, w and scale: 48 bytes a key.
class NodeKeyframe : public Keyframe {
 public:
  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;

  Vector3 translation;
  Quaternion rotation;
  Vector3 scale{1.0f, 1.0f, 1.0f};
};

}  // namespace ynx
