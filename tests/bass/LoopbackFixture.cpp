#include "tests/bass/LoopbackFixture.h"

#include <cmath>

namespace ynx::test {

void LoopbackFixture::SetUp() {
  ASSERT_TRUE(YNX_BassUseLoopback(kRate));
  ASSERT_TRUE(BASS_Init(-1, kRate, BASS_DEVICE_3D, nullptr, nullptr)) << BASS_ErrorGetCode();
  ASSERT_TRUE(BASS_Set3DFactors(1.0f, 1.0f, 1.0f));
  // The configuration outlives Free, so a test that changed it must not
  // leak into the next.
  BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, 100);
  BASS_Apply3D();
}

void LoopbackFixture::TearDown() {
  BASS_Free();
  YNX_BassUseLoopback(0);
}

HSTREAM LoopbackFixture::Stream(uint32_t frames, uint32_t flags, int channels) {
  return Stream(frames, flags, std::vector<OggToneEncoder::Tone>(static_cast<size_t>(channels)));
}

HSTREAM LoopbackFixture::Stream(uint32_t frames, uint32_t flags, const std::vector<OggToneEncoder::Tone>& tones) {
  files.push_back(OggToneEncoder::Encode(kRate, frames, tones));
  const std::vector<uint8_t>& file = files.back();
  const HSTREAM stream = BASS_StreamCreateFile(1, file.data(), 0, static_cast<uint32_t>(file.size()), flags);
  EXPECT_NE(stream, 0u) << BASS_ErrorGetCode();
  return stream;
}

std::vector<float> LoopbackFixture::Render(int32_t frames) {
  std::vector<float> samples(2 * static_cast<size_t>(frames));
  EXPECT_TRUE(YNX_BassRenderLoopback(samples.data(), frames));
  return samples;
}

LoopbackFixture::Levels LoopbackFixture::LevelsOf(const std::vector<float>& samples, size_t firstFrame) {
  Levels levels;
  const size_t frames = samples.size() / 2;
  for (size_t frame = firstFrame; frame < frames; ++frame) {
    levels.left += samples[2 * frame] * samples[2 * frame];
    levels.right += samples[2 * frame + 1] * samples[2 * frame + 1];
  }
  const double count = frames > firstFrame ? static_cast<double>(frames - firstFrame) : 1.0;
  levels.left = std::sqrt(levels.left / count);
  levels.right = std::sqrt(levels.right / count);
  return levels;
}

LoopbackFixture::Levels LoopbackFixture::Measure(int32_t frames, int32_t skip) {
  return LevelsOf(Render(skip + frames), static_cast<size_t>(skip));
}

}  // namespace ynx::test
