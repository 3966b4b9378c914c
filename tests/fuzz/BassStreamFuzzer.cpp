// libFuzzer target: arbitrary bytes as an Ogg Vorbis stream from memory,
// the way a sound node hands its file to the audio library. The first byte
// picks the flags (3D, loop, mono), the rest is the file. A stream that is
// refused must say why with a format error; one that is made is played and
// mixed for a while, must give finite samples, and is freed.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/bass/Bass.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started =
      YNX_BassUseLoopback(22050) && BASS_Init(-1, 22050, BASS_DEVICE_3D, nullptr, nullptr);
  if (!started || size < 2) return 0;

  const uint32_t flags = (data[0] & 1 ? BASS_SAMPLE_3D : 0) | (data[0] & 2 ? BASS_SAMPLE_LOOP : 0) |
                         (data[0] & 4 ? BASS_SAMPLE_MONO : 0);
  // A copy of exactly the file's size, so that any read past it is caught.
  const std::vector<uint8_t> file(data + 1, data + size);
  const HSTREAM stream = BASS_StreamCreateFile(1, file.data(), 0, static_cast<uint32_t>(file.size()), flags);
  if (stream == 0) {
    const int32_t error = BASS_ErrorGetCode();
    if (error != BASS_ERROR_FILEFORM && error != BASS_ERROR_FORMAT) __builtin_trap();
    return 0;
  }
  if (!BASS_ChannelPlay(stream, 0)) __builtin_trap();
  std::vector<float> mix(2 * 4096);
  for (int slice = 0; slice < 4; ++slice) {
    if (!YNX_BassRenderLoopback(mix.data(), 4096)) __builtin_trap();
    for (float sample : mix)
      if (!std::isfinite(sample)) __builtin_trap();
  }
  BASS_StreamFree(stream);
  if (BASS_ErrorGetCode() != BASS_OK) __builtin_trap();
  return 0;
}
