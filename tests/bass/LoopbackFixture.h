#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/bass/Bass.h"
#include "tests/support/OggToneEncoder.h"

namespace ynx::test {

// The audio library on an in-process loopback device at 44,100 Hz with 3D
// on and factors (1, 1, 1), as the screensaver runs it; freed after each
// test. Tones are kept here so that the streams' bytes outlive them.
class LoopbackFixture : public ::testing::Test {
 public:
  static constexpr long kRate = 44100;

  struct Levels {
    double left = 0;
    double right = 0;
    double Mean() const { return (left + right) / 2; }
  };

 protected:
  void SetUp() override;
  void TearDown() override;

  // A stream from memory of one tone per channel (441 Hz, amplitude 0.5
  // unless said otherwise).
  HSTREAM Stream(uint32_t frames, uint32_t flags, int channels = 1);
  HSTREAM Stream(uint32_t frames, uint32_t flags, const std::vector<OggToneEncoder::Tone>& tones);
  // Renders `frames` stereo frames, interleaved.
  std::vector<float> Render(int32_t frames);
  // Root mean square per side over `frames` rendered frames, after the
  // first `skip` (the decoder's start-up) are thrown away.
  Levels Measure(int32_t frames, int32_t skip = 2048);
  static Levels LevelsOf(const std::vector<float>& samples, size_t firstFrame);

 private:
  std::vector<std::vector<uint8_t>> files;
};

}  // namespace ynx::test
