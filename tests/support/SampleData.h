#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace ynx::test {

// Deterministic sample data of the kinds an archiver or a codec meets, the same on
// every run for the same seed: for archive round trips and benchmarks.
class SampleData {
 public:
  static std::vector<uint8_t> Random(size_t size, uint64_t seed);
  // Words, sentences and lines, with the skewed word counts of real text.
  static std::vector<uint8_t> Text(size_t size, uint64_t seed);
  // Raw 8-bit RGB: gradients, shapes and a little noise, like a photo.
  static std::vector<uint8_t> Picture(uint32_t width, uint32_t height, uint64_t seed);
  // Little-endian 32-bit floats of a smooth signal with noise.
  static std::vector<uint8_t> Floats(size_t count, uint64_t seed);
  // Interleaved PCM, 8-bit unsigned or 16-bit signed little-endian: a mix
  // of sines per channel and some noise.
  static std::vector<uint8_t> Pcm(size_t frames, int bits, int channels, uint64_t seed);
  // Random blocks, many of them near copies of blocks 300 KB to just under
  // 1 MB back, so that matches reach far and the window wraps.
  static std::vector<uint8_t> FarRepeats(size_t size, uint64_t seed);

  static bool Write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
  static std::vector<uint8_t> Read(const std::filesystem::path& path);
};

}  // namespace ynx::test
