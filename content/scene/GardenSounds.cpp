#include "content/scene/GardenSounds.h"

#include <memory>

#include "engine/animation/AnimationFrame.h"
#include "engine/audio/SoundKeyframe.h"
#include "engine/audio/SoundLibrary.h"
#include "engine/audio/SoundNode.h"
#include "engine/audio/SoundNodeAnimation.h"
#include "engine/audio/SoundNodeAnimationController.h"

namespace ynx::content {

namespace {

struct Placed {
  const char* name;
  const char* file;
  Vector3 at;
  int32_t volume;
  // 0 for the music, which is not placed.
  float minDistance;
  // 0 for a sound that loops; else heard from `on` to `off` of each cycle.
  double period;
  double on, off;
};

// Plays from `on` to `off` (parts of the cycle) once every `period` seconds.
void Trigger(SoundNode* sound, double period, double on, double off) {
  auto* track = new SoundNodeAnimation(sound->GetName() + String(" track"));
  track->AddSoundKey(0.0, false);
  track->AddSoundKey(on, true);
  track->AddSoundKey(off, false);
  auto* controller = new SoundNodeAnimationController(sound->GetName() + String(" trigger"));
  controller->AddAnimation(track);
  AnimationFrame cycle;
  cycle.animation = track;
  controller->AddFrame(cycle);
  controller->SetPeriod(period);
  sound->AttachController(controller);
}

}  // namespace

bool GardenSounds::Add(SceneNode* parent, ArchiveFolder& media) {
  const Placed sounds[] = {
      {"Music", "Sounds\\music.ogg", Vector3{}, 70, 0.0f, 0.0, 0.0, 0.0},
      {"PondInlet", "Sounds\\water.ogg", Vector3{-2.9f, 0.1f, 1.6f}, 80, 2.0f, 0.0, 0.0, 0.0},
      {"CricketsWest", "Sounds\\crickets.ogg", Vector3{-6.5f, 0.2f, -2.0f}, 60, 3.0f, 0.0, 0.0, 0.0},
      {"CricketsEast", "Sounds\\crickets.ogg", Vector3{6.0f, 0.2f, 3.5f}, 55, 3.0f, 0.0, 0.0, 0.0},
      {"CricketsSouth", "Sounds\\crickets.ogg", Vector3{1.0f, 0.2f, -6.0f}, 50, 3.0f, 0.0, 0.0, 0.0},
      {"WindChime", "Sounds\\wind_chime.ogg", Vector3{0.0f, 0.6f, 0.4f}, 70, 2.5f, 23.0, 0.3, 0.55},
      {"KoiSplash", "Sounds\\koi_splash.ogg", Vector3{1.2f, 0.0f, -1.0f}, 75, 2.0f, 31.0, 0.7, 0.8},
  };
  // Nothing is heard here: each node only records its file. A stream
  // stands in for the missing audio library, which would refuse every
  // sound with a warning.
  const SoundLibrary::Entries saved = SoundLibrary::Get();
  SoundLibrary::Entries silent = saved;
  silent.BASS_StreamCreateFile = [](int32_t, const void*, uint32_t, uint32_t, uint32_t) -> uint32_t { return 1; };
  SoundLibrary::Install(silent);
  bool ok = true;
  for (const Placed& placed : sounds) {
    const std::unique_ptr<MemoryFile> file = media.ReadBack(placed.file);
    auto* sound = new SoundNode(String(placed.name));
    const bool music = placed.minDistance == 0.0f;
    ok = ok && file && sound->LoadSound(file.get(), !music) == 0;
    sound->SetVolume(placed.volume);
    if (!music) sound->SetMinDistance(placed.minDistance);
    sound->SetLocalTransform(Transformation(placed.at, Quaternion{}, Vector3{1.0f, 1.0f, 1.0f}));
    if (placed.period > 0.0) {
      Trigger(sound, placed.period, placed.on, placed.off);
    } else {
      sound->SetLooping(true);
    }
    parent->AppendChild(sound);
  }
  SoundLibrary::Install(saved);
  return ok;
}

}  // namespace ynx::content
