#pragma once

#include <cstdint>
#include <vector>

namespace ynx::content {

// Voices for the music and the sound effects, each a mono note.
class Instruments {
 public:
  // A plucked string by Karplus-Strong: a burst of noise circulating in a
  // delay line one period long, averaged each round, so that the high
  // partials die first. `brightness` 0..1 filters the burst; `sustain`
  // 0..1 slows the decay.
  static std::vector<float> Pluck(float frequency, float seconds, int rate, uint32_t seed, float brightness,
                                  float sustain);
  // A struck bell or chime tube: inharmonic partials, each decaying on its
  // own; `length` stretches the decays.
  static std::vector<float> Bell(float frequency, float seconds, int rate, float length);
  // A soft pad note: a few detuned, gently filtered saw-like tones with a
  // slow swell and release.
  static std::vector<float> Pad(float frequency, float seconds, int rate, float detuneCents);
  // A bubble's "plip": a short sine that rises in pitch as it dies.
  static std::vector<float> Bubble(float frequency, float seconds, int rate);

  // Equal-tempered pitch of a MIDI note number.
  static float NoteFrequency(int note);
};

}  // namespace ynx::content
