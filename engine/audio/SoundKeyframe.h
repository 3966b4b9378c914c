#pragma once

#include "engine/animation/Keyframe.h"

namespace ynx {

// A switch on a sound's track: from the key's time on the sound plays or
// is silent. Streamed after the time as the flag (one byte).
class SoundKeyframe : public Keyframe {
 public:
  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;

  bool play = true;
};

}  // namespace ynx
