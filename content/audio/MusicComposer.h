#pragma once

#include "content/ArchiveFolder.h"
#include "content/audio/SoundBuffer.h"

namespace ynx::content {

// The music: a calm piece in a five-note scale (D E G A B) at 60 beats a
// minute, 36 bars (2:24) that loop without a seam: a plucked-string
// melody in two-bar phrases, a soft pad and a plucked bass through nine
// chords, a few bells, and a small room around it. It opens with four bars
// of pad and bass and ends with four, and every note ringing past the end
// sounds on at the start.
class MusicComposer {
 public:
  static constexpr int RATE = 44100;
  static constexpr int BARS = 36;

  static SoundBuffer Compose();
  static void Make(ArchiveFolder& folder);
};

}  // namespace ynx::content
