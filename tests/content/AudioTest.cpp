#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "content/audio/Instruments.h"
#include "content/audio/Reverb.h"
#include "content/audio/SoundBuffer.h"

namespace ynx {
namespace {

using content::Instruments;
using content::SoundBuffer;

constexpr int RATE = 44100;

// The period of a steady tone, in samples: the lag near `guess` where the
// signal best matches itself, refined between samples.
double Period(const std::vector<float>& sound, double guess) {
  const size_t from = RATE / 10;
  const size_t span = RATE / 4;
  auto match = [&](int lag) {
    double sum = 0.0;
    for (size_t i = from; i < from + span; ++i) sum += sound[i] * sound[i + static_cast<size_t>(lag)];
    return sum;
  };
  int best = static_cast<int>(guess * 0.9);
  for (int lag = best; lag <= static_cast<int>(guess * 1.1) + 1; ++lag) {
    if (match(lag) > match(best)) best = lag;
  }
  const double left = match(best - 1);
  const double centre = match(best);
  const double right = match(best + 1);
  return best + 0.5 * (left - right) / (left - 2.0 * centre + right);
}

// The plucked string sounds at its note: the loop's averaging delays half a
// sample and the line's fraction is read between samples, which matters
// most for high notes (a short line).
TEST(ContentInstruments, PlucksAreInTune) {
  for (const int note : {45, 62, 74, 86}) {
    const float frequency = Instruments::NoteFrequency(note);
    const std::vector<float> pluck = Instruments::Pluck(frequency, 1.0f, RATE, 5, 0.6f, 0.9f);
    const double period = Period(pluck, RATE / frequency);
    const double cents = 1200.0 * std::log2(RATE / period / frequency);
    EXPECT_LT(std::abs(cents), 3.0) << "note " << note;
  }
}

// A looping sound's room carries its end into its start; a one-shot's
// reverberation is cut at its end.
TEST(ContentReverb, ALoopsTailRingsOnAtItsStart) {
  for (const bool looping : {true, false}) {
    SoundBuffer sound(1, RATE, RATE / 2, looping);
    sound.At(sound.Frames() - 10, 0) = 1.0f;
    content::Reverb::Apply(sound, 0.5f, 0.8f);
    double start = 0.0;
    for (int64_t i = 0; i < RATE / 10; ++i) start += std::abs(sound.At(i, 0));
    if (looping) {
      EXPECT_GT(start, 0.01);
    } else {
      EXPECT_EQ(start, 0.0);
    }
  }
}

}  // namespace
}  // namespace ynx
