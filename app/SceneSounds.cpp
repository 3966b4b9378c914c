#include "app/SceneSounds.h"

#include "app/Settings.h"
#include "engine/audio/SoundLibrary.h"
#include "engine/audio/SoundNode.h"
#include "engine/core/Array.h"

namespace ynx {

void SceneSounds::ApplySettings(Object& scene, const Settings& settings) {
  if (!settings.sfx) {
    Array<Object*> sounds(16, 16);
    scene.CollectByType(SoundNode::Type(), sounds);
    for (uint32_t i = 0; i < sounds.Count(); ++i) {
      auto* node = static_cast<SoundNode*>(sounds[i]);
      if (node->GetName() == "Music") continue;
      // Also the channel's volume, keeping its frequency and pan.
      node->SetVolume(0);
      node->SetEnabled(false);
      if (node->GetChannel() != 0) SoundLibrary::Get().BASS_ChannelStop(node->GetChannel());
    }
  }
  // Only a sound node answers to the name: another object called "Music"
  // has no volume to turn down.
  auto* music = dynamic_cast<SoundNode*>(scene.FindByName(String("Music")));
  if (music != nullptr && !settings.music) music->SetVolume(0);
}

}  // namespace ynx
