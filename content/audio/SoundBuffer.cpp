#include "content/audio/SoundBuffer.h"

#include <algorithm>
#include <cmath>

namespace ynx::content {

SoundBuffer::SoundBuffer(int channels, int rate, int64_t frames, bool looping)
    : channels(channels), rate(rate), frames(frames), looping(looping),
      samples(static_cast<size_t>(frames * channels), 0.0f) {}

void SoundBuffer::Mix(const std::vector<float>& sound, int64_t start, float left, float right) {
  const float gains[2] = {left, right};
  for (size_t i = 0; i < sound.size(); ++i) {
    int64_t frame = start + static_cast<int64_t>(i);
    if (looping) {
      frame %= frames;
      if (frame < 0) frame += frames;
    } else if (frame < 0 || frame >= frames) {
      continue;
    }
    for (int channel = 0; channel < channels; ++channel) {
      At(frame, channel) += sound[i] * gains[std::min(channel, 1)];
    }
  }
}

void SoundBuffer::Normalise(float peak) {
  float loudest = 0.0f;
  for (float sample : samples) loudest = std::max(loudest, std::abs(sample));
  if (loudest <= 0.0f) return;
  const float scale = peak / loudest;
  for (float& sample : samples) sample *= scale;
}

}  // namespace ynx::content
