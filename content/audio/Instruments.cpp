#include "content/audio/Instruments.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "content/RandomStream.h"

namespace ynx::content {

namespace {

constexpr double TAU = 6.283185307179586;

size_t FrameCount(float seconds, int rate) { return static_cast<size_t>(std::max(0.0f, seconds) * static_cast<float>(rate)); }

// The last few milliseconds fade out, so that no note ends in a click.
void FadeTail(std::vector<float>& sound, int rate) {
  const size_t fade = std::min(sound.size(), static_cast<size_t>(rate / 50));
  for (size_t i = 0; i < fade; ++i) {
    sound[sound.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(fade);
  }
}

}  // namespace

float Instruments::NoteFrequency(int note) { return 440.0f * std::pow(2.0f, static_cast<float>(note - 69) / 12.0f); }

std::vector<float> Instruments::Pluck(float frequency, float seconds, int rate, uint32_t seed, float brightness,
                                      float sustain) {
  std::vector<float> out(FrameCount(seconds, rate));
  // The output is the delay line: each sample comes from the one a period
  // back. The averaging of two taps delays half a sample, so the line is
  // that much shorter, its fraction read between two samples.
  const double delay = static_cast<double>(rate) / frequency - 0.5;
  const size_t whole = static_cast<size_t>(delay);
  const double fraction = delay - static_cast<double>(whole);
  const double loss = 0.9955 + 0.0044 * sustain;
  RandomStream random(seed);
  double smoothed = 0.0;
  double previousTap = 0.0;
  for (size_t n = 0; n < out.size(); ++n) {
    if (n <= whole) {
      smoothed += (random.Range(-1.0f, 1.0f) - smoothed) * (0.15 + 0.85 * brightness);
      out[n] = static_cast<float>(smoothed);
      continue;
    }
    const double a = out[n - whole];
    const double b = out[n - whole - 1];
    const double tap = a + (b - a) * fraction;
    out[n] = static_cast<float>(loss * 0.5 * (tap + previousTap));
    previousTap = tap;
  }
  FadeTail(out, rate);
  return out;
}

std::vector<float> Instruments::Bell(float frequency, float seconds, int rate, float length) {
  static const float RATIOS[] = {1.0f, 2.0f, 2.76f, 5.40f, 8.93f};
  static const float LEVELS[] = {1.0f, 0.45f, 0.5f, 0.22f, 0.12f};
  static const float DECAYS[] = {3.0f, 2.0f, 1.6f, 0.8f, 0.45f};
  std::vector<float> out(FrameCount(seconds, rate));
  for (size_t p = 0; p < 5; ++p) {
    const double f = frequency * RATIOS[p];
    if (f * 2.0 >= rate) continue;
    const std::complex<double> step = std::polar(1.0, TAU * f / rate);
    const double fall = std::exp(-1.0 / (DECAYS[p] * length * rate));
    std::complex<double> phasor(0.0, 1.0);
    double level = LEVELS[p];
    for (size_t n = 0; n < out.size(); ++n) {
      // A 2 ms strike rather than a step.
      const double attack = std::min(1.0, static_cast<double>(n) / (0.002 * rate));
      out[n] += static_cast<float>(phasor.real() * level * attack);
      phasor *= step;
      level *= fall;
    }
  }
  FadeTail(out, rate);
  return out;
}

std::vector<float> Instruments::Pad(float frequency, float seconds, int rate, float detuneCents) {
  std::vector<float> out(FrameCount(seconds, rate));
  constexpr int HARMONICS = 7;
  // 1/k^1.6: a saw's roll-off and a soft low-pass in one.
  double weights[HARMONICS];
  for (int k = 0; k < HARMONICS; ++k) weights[k] = std::pow(static_cast<double>(k + 1), -1.6) / 3.0;
  for (int voice = -1; voice <= 1; ++voice) {
    const double f = frequency * std::pow(2.0, voice * detuneCents / 1200.0);
    const std::complex<double> step = std::polar(1.0, TAU * f / rate);
    std::complex<double> phasor = std::polar(1.0, 0.7 * (voice + 1));
    const int audible = std::min(HARMONICS, static_cast<int>(rate / (2.0 * f)));
    for (size_t n = 0; n < out.size(); ++n) {
      // Harmonics as powers of the phasor.
      std::complex<double> power = phasor;
      double sum = 0.0;
      for (int k = 0; k < audible; ++k) {
        sum += power.imag() * weights[k];
        power *= phasor;
      }
      out[n] += static_cast<float>(sum);
      phasor *= step;
      // Renormalise now and then against rounding drift.
      if ((n & 4095) == 0) phasor /= std::abs(phasor);
    }
  }
  // Swell over a third of the note, release over the last third.
  const double third = static_cast<double>(out.size()) / 3.0;
  for (size_t n = 0; n < out.size(); ++n) {
    const double t = static_cast<double>(n);
    double envelope = 1.0;
    if (t < third) envelope = 0.5 - 0.5 * std::cos(3.14159265 * t / third);
    if (t > 2.0 * third) envelope = 0.5 + 0.5 * std::cos(3.14159265 * (t - 2.0 * third) / third);
    out[n] *= static_cast<float>(envelope);
  }
  return out;
}

std::vector<float> Instruments::Bubble(float frequency, float seconds, int rate) {
  std::vector<float> out(FrameCount(seconds, rate));
  double phase = 0.0;
  for (size_t n = 0; n < out.size(); ++n) {
    const double t = static_cast<double>(n) / rate;
    const double f = frequency * (1.0 + 2.5 * t / seconds);
    phase += TAU * f / rate;
    const double envelope = std::min(1.0, t / 0.001) * std::exp(-t * 6.0 / seconds);
    out[n] = static_cast<float>(std::sin(phase) * envelope);
  }
  return out;
}

}  // namespace ynx::content
