#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ynx::content {

// Float samples, channels interleaved. A looping buffer wraps what is added
// past its end round to its start, so that a note ringing over the end
// sounds again at the start and the loop has no seam.
class SoundBuffer {
 public:
  SoundBuffer(int channels, int rate, int64_t frames, bool looping);

  int Channels() const { return channels; }
  int Rate() const { return rate; }
  int64_t Frames() const { return frames; }
  bool Looping() const { return looping; }
  const std::vector<float>& Samples() const { return samples; }
  float& At(int64_t frame, int channel) { return samples[static_cast<size_t>(frame * channels + channel)]; }

  // A mono sound mixed in at `start` (a frame, may be negative for a
  // looping buffer), with a gain per channel; what falls outside a
  // non-looping buffer is dropped.
  void Mix(const std::vector<float>& sound, int64_t start, float left, float right);
  // Scales so that the loudest sample is `peak`.
  void Normalise(float peak);

 private:
  int channels;
  int rate;
  int64_t frames;
  bool looping;
  std::vector<float> samples;
};

}  // namespace ynx::content
