#include "content/audio/Reverb.h"

#include <array>
#include <vector>

namespace ynx::content {

namespace {

// One delay line with feedback (comb) or with the all-pass arrangement.
struct Delay {
  std::vector<float> line;
  size_t at = 0;

  explicit Delay(size_t length) : line(length, 0.0f) {}

  float Comb(float in, float feedback, float& damped) {
    const float out = line[at];
    damped = out * 0.7f + damped * 0.3f;
    line[at] = in + damped * feedback;
    at = (at + 1) % line.size();
    return out;
  }

  float AllPass(float in) {
    const float delayed = line[at];
    const float out = delayed - 0.5f * in;
    line[at] = in + 0.5f * delayed;
    at = (at + 1) % line.size();
    return out;
  }
};

}  // namespace

void Reverb::Apply(SoundBuffer& sound, float wet, float decay) {
  // Lengths in samples at 44.1 kHz, mutually prime so echoes do not pile up.
  static const std::array<size_t, 4> COMBS = {1557, 1617, 1491, 1422};
  static const std::array<size_t, 2> ALLPASSES = {556, 441};
  const double scale = static_cast<double>(sound.Rate()) / 44100.0;
  const int rounds = sound.Looping() ? 2 : 1;
  for (int channel = 0; channel < sound.Channels(); ++channel) {
    const size_t spread = static_cast<size_t>(23 * channel);
    std::vector<Delay> combs;
    std::vector<float> damping(COMBS.size(), 0.0f);
    for (size_t length : COMBS) combs.emplace_back(static_cast<size_t>((length + spread) * scale));
    std::vector<Delay> allPasses;
    for (size_t length : ALLPASSES) allPasses.emplace_back(static_cast<size_t>((length + spread) * scale));
    std::vector<float> dry(static_cast<size_t>(sound.Frames()));
    for (int64_t i = 0; i < sound.Frames(); ++i) dry[static_cast<size_t>(i)] = sound.At(i, channel);
    for (int round = 0; round < rounds; ++round) {
      for (int64_t i = 0; i < sound.Frames(); ++i) {
        const float in = dry[static_cast<size_t>(i)] * 0.2f;
        float sum = 0.0f;
        for (size_t c = 0; c < combs.size(); ++c) sum += combs[c].Comb(in, decay, damping[c]);
        for (Delay& allPass : allPasses) sum = allPass.AllPass(sum);
        if (round == rounds - 1) sound.At(i, channel) = dry[static_cast<size_t>(i)] + wet * sum;
      }
    }
  }
}

}  // namespace ynx::content
