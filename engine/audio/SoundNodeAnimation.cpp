#include "engine/audio/SoundNodeAnimation.h"

#include <new>

namespace ynx {

YNX_IMPLEMENT_CLASS(SoundNodeAnimation, Animation)

SoundNodeAnimation::SoundNodeAnimation(const String& name) : Animation(name) {}

Keyframe* SoundNodeAnimation::NewKeyframe() const { return new (std::nothrow) SoundKeyframe(); }

SoundKeyframe* SoundNodeAnimation::AddSoundKey(double time, bool play) {
  auto* key = static_cast<SoundKeyframe*>(AddKey(time));
  if (key != nullptr) key->play = play;
  return key;
}

}  // namespace ynx
