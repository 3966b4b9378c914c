#pragma once

#include "content/ArchiveFolder.h"
#include "content/audio/SoundBuffer.h"

namespace ynx::content {

// The garden's sounds, mono for positional playing: water trickling at the
// pond's inlet and crickets (both loop without a seam), a wind chime and a
// koi's splash (both played once when triggered).
class SoundEffects {
 public:
  static constexpr int RATE = 44100;

  static SoundBuffer Water();
  static SoundBuffer Crickets();
  static SoundBuffer WindChime();
  static SoundBuffer Splash();

  static void Make(ArchiveFolder& folder);
};

}  // namespace ynx::content
