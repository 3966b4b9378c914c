#pragma once

#include "content/audio/SoundBuffer.h"

namespace ynx::content {

// A small room of the Schroeder kind: four parallel feedback combs and two
// all-passes per channel, with slightly different lengths left and right.
// A looping buffer is run through twice and the second round kept, so the
// reverberation of its end carries into its start.
class Reverb {
 public:
  static void Apply(SoundBuffer& sound, float wet, float decay);
};

}  // namespace ynx::content
