#pragma once

#include <cstdint>
#include <vector>

namespace ynx::test {

// Ogg Vorbis files made by libvorbisenc, for the audio library's tests and
// benchmark: a sine tone per channel, with white noise over it if asked
// (which costs the decoder about what music does).
class OggToneEncoder {
 public:
  struct Tone {
    double frequency = 441.0;
    float amplitude = 0.5f;
    float noise = 0.0f;
  };

  // `frames` frames at `rate` Hz, one tone per channel (so the channel
  // count is tones.size()). A whole number of periods loops without a seam.
  static std::vector<uint8_t> Encode(long rate, uint32_t frames, const std::vector<Tone>& tones);
};

}  // namespace ynx::test
