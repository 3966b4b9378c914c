#include "content/audio/SoundEffects.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "content/RandomStream.h"
#include "content/audio/Instruments.h"

namespace ynx::content {

namespace {

constexpr float TAU = 6.2831853f;

// A one-pole low-pass; the coefficient from the cut-off frequency.
class LowPass {
 public:
  LowPass(float cutoff, int rate) : k(1.0f - std::exp(-TAU * cutoff / static_cast<float>(rate))) {}
  float operator()(float in) { return state += (in - state) * k; }

 private:
  float k;
  float state = 0.0f;
};

int64_t Frames(float seconds) { return static_cast<int64_t>(seconds * SoundEffects::RATE); }

}  // namespace

SoundBuffer SoundEffects::Water() {
  // Six seconds: band-limited noise swelling and ebbing in whole cycles of
  // the loop, and many small bubbles.
  const float seconds = 6.0f;
  SoundBuffer water(1, RATE, Frames(seconds), true);
  RandomStream random(801);
  LowPass low(2600.0f, RATE);
  LowPass lower(500.0f, RATE);
  for (int64_t i = 0; i < water.Frames(); ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(RATE);
    const float noise = random.Range(-1.0f, 1.0f);
    const float band = low(noise) - lower(noise);
    const float swell = 0.7f + 0.2f * std::sin(TAU * t * 2.0f / seconds) + 0.1f * std::sin(TAU * t * 5.0f / seconds + 1.0f);
    water.At(i, 0) = band * 0.25f * swell;
  }
  for (int i = 0; i < 170; ++i) {
    const int64_t at = static_cast<int64_t>(random.Below(static_cast<uint32_t>(water.Frames())));
    water.Mix(Instruments::Bubble(random.Range(500.0f, 2200.0f), random.Range(0.02f, 0.07f), RATE), at,
              random.Range(0.05f, 0.3f), 0.0f);
  }
  water.Normalise(0.7f);
  return water;
}

SoundBuffer SoundEffects::Crickets() {
  // Eight seconds; three crickets, each chirping three or four pulses at
  // its own pitch and pace, every chirp period dividing the loop.
  const float seconds = 8.0f;
  SoundBuffer crickets(1, RATE, Frames(seconds), true);
  RandomStream random(811);
  struct Cricket {
    float pitch;
    float period;
    float level;
  };
  for (const Cricket& cricket : {Cricket{4300.0f, 0.8f, 1.0f}, Cricket{4700.0f, 0.5f, 0.6f}, Cricket{3900.0f, 1.0f, 0.45f}}) {
    const float offset = random.Range(0.0f, cricket.period);
    for (float start = offset; start < seconds + offset - 0.01f; start += cricket.period) {
      // Now and then one keeps quiet.
      if (random.Uniform() < 0.15f) continue;
      const int pulses = 3 + static_cast<int>(random.Below(2));
      for (int p = 0; p < pulses; ++p) {
        std::vector<float> pulse(static_cast<size_t>(Frames(0.016f)));
        for (size_t n = 0; n < pulse.size(); ++n) {
          const float t = static_cast<float>(n) / static_cast<float>(RATE);
          const float window = std::sin(3.14159265f * static_cast<float>(n) / static_cast<float>(pulse.size()));
          pulse[n] = std::sin(TAU * cricket.pitch * t) * window * window;
        }
        crickets.Mix(pulse, Frames(start + static_cast<float>(p) * 0.028f), cricket.level * 0.5f, 0.0f);
      }
    }
  }
  crickets.Normalise(0.6f);
  return crickets;
}

SoundBuffer SoundEffects::WindChime() {
  // Tubes tuned to the music's scale, struck in a little flurry.
  SoundBuffer chime(1, RATE, Frames(5.0f), false);
  RandomStream random(821);
  const int tubes[] = {86, 88, 91, 93, 95, 98};
  for (int strike = 0; strike < 7; ++strike) {
    const int tube = tubes[random.Below(6)];
    const float at = random.Range(0.0f, 2.0f) * (strike == 0 ? 0.0f : 1.0f);
    chime.Mix(Instruments::Bell(Instruments::NoteFrequency(tube), 3.0f, RATE, 0.9f), Frames(at),
              random.Range(0.4f, 1.0f), 0.0f);
  }
  chime.Normalise(0.7f);
  return chime;
}

SoundBuffer SoundEffects::Splash() {
  // A burst of dark noise, the plop of the body, then drops falling back.
  SoundBuffer splash(1, RATE, Frames(1.5f), false);
  RandomStream random(831);
  LowPass body(1800.0f, RATE);
  for (int64_t i = 0; i < splash.Frames(); ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(RATE);
    const float envelope = std::min(1.0f, t / 0.004f) * std::exp(-t / 0.09f);
    splash.At(i, 0) = body(random.Range(-1.0f, 1.0f)) * envelope * 1.6f;
  }
  splash.Mix(Instruments::Bubble(260.0f, 0.09f, RATE), 0, 0.7f, 0.0f);
  for (int i = 0; i < 10; ++i) {
    splash.Mix(Instruments::Bubble(random.Range(800.0f, 2000.0f), random.Range(0.02f, 0.05f), RATE),
               Frames(random.Range(0.12f, 0.9f)), random.Range(0.08f, 0.3f), 0.0f);
  }
  splash.Normalise(0.8f);
  return splash;
}

void SoundEffects::Make(ArchiveFolder& folder) {
  folder.SaveSound("Sounds\\water.ogg", Water(), 0.2f);
  folder.SaveSound("Sounds\\crickets.ogg", Crickets(), 0.2f);
  folder.SaveSound("Sounds\\wind_chime.ogg", WindChime(), 0.3f);
  folder.SaveSound("Sounds\\koi_splash.ogg", Splash(), 0.3f);
}

}  // namespace ynx::content
