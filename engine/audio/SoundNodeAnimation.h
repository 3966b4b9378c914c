#pragma once

#include "engine/animation/Animation.h"
#include "engine/audio/SoundKeyframe.h"

namespace ynx {

// A sound's on/off track: an animation whose keys are sound keys.
class SoundNodeAnimation : public Animation {
  YNX_DECLARE_CLASS(SoundNodeAnimation);

 public:
  explicit SoundNodeAnimation(const String& name = String());

  // Index must be below the key count.
  SoundKeyframe& GetSoundKey(int32_t index) const { return static_cast<SoundKeyframe&>(GetKey(index)); }
  // Appends a key at the end; null without memory.
  SoundKeyframe* AddSoundKey(double time, bool play);

 protected:
  Keyframe* NewKeyframe() const override;
};

}  // namespace ynx
