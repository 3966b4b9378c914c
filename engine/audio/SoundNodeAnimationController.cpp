#include "engine/audio/SoundNodeAnimationController.h"

#include "engine/audio/SoundLibrary.h"
#include "engine/audio/SoundNode.h"
#include "engine/audio/SoundNodeAnimation.h"

namespace ynx {
namespace {

SoundNode* SoundOwner(Object* owner) {
  return owner != nullptr && owner->IsDerivedFrom(SoundNode::Type()) ? static_cast<SoundNode*>(owner) : nullptr;
}

}  // namespace

YNX_IMPLEMENT_CLASS(SoundNodeAnimationController, AnimationController)

SoundNodeAnimationController::SoundNodeAnimationController(const String& name)
    : AnimationController(name) {}

void SoundNodeAnimationController::Update(double time) {
  AnimationController::Update(time);
  SoundNode* node = SoundOwner(GetOwner());
  if (!IsActive() || node == nullptr) return;
  bool play = true;
  for (int32_t index = 0; index < GetStageCount(); ++index) {
    const BlendStage& stage = GetStage(index);
    const Animation* animation = stage.animation.Get();
    if (animation == nullptr || !animation->IsDerivedFrom(SoundNodeAnimation::Type())) continue;
    const auto& track = static_cast<const SoundNodeAnimation&>(*animation);
    if (stage.key < 0 || stage.key >= track.GetKeyCount()) continue;
    play = track.GetSoundKey(stage.key).play;
  }
  const SoundLibrary::Entries& library = SoundLibrary::Get();
  const uint32_t channel = node->GetChannel();
  if (!play) {
    if (channel != 0) library.BASS_ChannelStop(channel);
    node->SetEnabled(false);
    return;
  }
  // Restarts only a sound that has ended or was stopped.
  if (channel != 0 && library.BASS_ChannelIsActive(channel) != BASS_ACTIVE_PLAYING) {
    library.BASS_ChannelPlay(channel, 1);
  }
  node->SetEnabled(true);
  if (channel != 0) library.BASS_ChannelPlay(channel, 0);
}

}  // namespace ynx
