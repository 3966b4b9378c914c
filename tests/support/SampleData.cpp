#include "tests/support/SampleData.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace ynx::test {

namespace {

// splitmix64: small, fast and the same everywhere.
class Random64 {
 public:
  explicit Random64(uint64_t seed) : state(seed) {}
  uint64_t Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t limit) { return static_cast<uint32_t>(Next() % limit); }
  // Roughly normal, mean 0, deviation 1.
  double Gauss() {
    double sum = 0;
    for (int i = 0; i < 4; ++i) sum += static_cast<double>(Next() >> 11) / 9007199254740992.0;
    return (sum - 2.0) * 1.7320508;
  }

 private:
  uint64_t state;
};

}  // namespace

std::vector<uint8_t> SampleData::Random(size_t size, uint64_t seed) {
  Random64 random(seed);
  std::vector<uint8_t> bytes(size);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random.Next() >> 56);
  return bytes;
}

std::vector<uint8_t> SampleData::Text(size_t size, uint64_t seed) {
  Random64 random(seed);
  static const char* const SYLLABLES[] = {"an", "ber", "co", "da", "el", "fi", "gor", "ha", "is", "jo", "ka",
                                          "lum", "mer", "no", "or", "pa", "qui", "re", "sta", "ti", "un", "ve",
                                          "wen", "xa", "yo", "zu", "the", "ing", "tion", "al"};
  std::vector<std::string> words;
  for (int index = 0; index < 600; ++index) {
    std::string word;
    for (uint32_t count = 1 + random.Below(3); count > 0; --count) word += SYLLABLES[random.Below(30)];
    words.push_back(word);
  }
  std::string text;
  size_t line = 0;
  bool capital = true;
  while (text.size() < size) {
    // Squaring favours the first words, as real word counts do.
    const double pick = static_cast<double>(random.Below(1u << 20)) / (1u << 20);
    std::string word = words[static_cast<size_t>(pick * pick * pick * words.size())];
    if (capital) word[0] = static_cast<char>(word[0] - 'a' + 'A');
    capital = false;
    text += word;
    line += word.size() + 1;
    const uint32_t roll = random.Below(100);
    if (roll < 8) {
      text += '.';
      capital = true;
    } else if (roll < 12) {
      text += ',';
    }
    if (line > 70) {
      text += '\n';
      line = 0;
    } else {
      text += ' ';
    }
  }
  text.resize(size);
  return {text.begin(), text.end()};
}

std::vector<uint8_t> SampleData::Picture(uint32_t width, uint32_t height, uint64_t seed) {
  Random64 random(seed);
  std::vector<uint8_t> pixels(size_t{width} * height * 3);
  const double cx = width * 0.6, cy = height * 0.4, radius = std::min(width, height) * 0.2;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const double jitter = random.Gauss() * 3.0;
      const bool inBox = (x / 64 + y / 80) % 3 == 0 && x % 64 > 10 && y % 80 > 15;
      const double dx = x - cx, dy = y - cy;
      const bool inDisc = dx * dx + dy * dy < radius * radius;
      const double channel[3] = {
          110 + 70 * std::sin(x * 0.012) + 30 * std::cos(y * 0.021),
          120 + 60 * std::cos(x * 0.008 + y * 0.006),
          100 + 50 * std::sin(y * 0.016) + 20 * std::sin((x + y) * 0.04),
      };
      for (int c = 0; c < 3; ++c) {
        double value = channel[c] + jitter;
        if (inBox) value = 255 - value * 0.5;
        if (inDisc) value = value * 0.4 + (c == 0 ? 120 : 20);
        pixels[(size_t{y} * width + x) * 3 + c] = static_cast<uint8_t>(std::clamp(value, 0.0, 255.0));
      }
    }
  }
  return pixels;
}

std::vector<uint8_t> SampleData::Floats(size_t count, uint64_t seed) {
  Random64 random(seed);
  std::vector<uint8_t> bytes(count * 4);
  for (size_t index = 0; index < count; ++index) {
    const double t = static_cast<double>(index) * 0.001;
    const auto value = static_cast<float>(std::sin(t * 3.0) * std::exp(-t * 0.01) + 0.25 * std::cos(t * 17.0) +
                                          random.Gauss() * 0.001);
    std::memcpy(bytes.data() + index * 4, &value, 4);
  }
  return bytes;
}

std::vector<uint8_t> SampleData::Pcm(size_t frames, int bits, int channels, uint64_t seed) {
  Random64 random(seed);
  const int bytesPerSample = bits / 8;
  std::vector<uint8_t> bytes(frames * static_cast<size_t>(channels * bytesPerSample));
  size_t at = 0;
  for (size_t frame = 0; frame < frames; ++frame) {
    for (int channel = 0; channel < channels; ++channel) {
      const double t = static_cast<double>(frame) / 22050.0;
      const double tone = 0.45 * std::sin(6.2831853 * (220.0 + 110.0 * channel) * t) +
                          0.25 * std::sin(6.2831853 * (331.0 + 50.0 * channel) * t + channel) +
                          0.12 * std::sin(6.2831853 * 1250.0 * t) * std::sin(6.2831853 * 0.5 * t);
      const double sample = tone + random.Gauss() * 0.004;
      if (bits == 8) {
        bytes[at++] = static_cast<uint8_t>(std::clamp(128.0 + sample * 127.0, 0.0, 255.0));
      } else {
        const auto value = static_cast<int16_t>(std::clamp(sample * 32767.0, -32768.0, 32767.0));
        bytes[at++] = static_cast<uint8_t>(value & 0xFF);
        bytes[at++] = static_cast<uint8_t>((value >> 8) & 0xFF);
      }
    }
  }
  return bytes;
}

std::vector<uint8_t> SampleData::FarRepeats(size_t size, uint64_t seed) {
  Random64 random(seed);
  constexpr size_t BLOCK = 8192;
  static const size_t DISTANCES[] = {300000, 480000, 730000, 1040000};
  std::vector<uint8_t> bytes;
  bytes.reserve(size + BLOCK);
  while (bytes.size() < size) {
    const size_t distance = DISTANCES[random.Below(4)];
    if (bytes.size() >= distance && random.Below(3) != 0) {
      const size_t from = bytes.size() - distance;
      for (size_t index = 0; index < BLOCK; ++index) {
        // A changed byte now and then, so that copies are near, not exact.
        const uint8_t byte = random.Below(500) == 0 ? static_cast<uint8_t>(random.Next()) : bytes[from + index];
        bytes.push_back(byte);
      }
    } else {
      for (size_t index = 0; index < BLOCK; ++index) bytes.push_back(static_cast<uint8_t>(random.Next() >> 56));
    }
  }
  bytes.resize(size);
  return bytes;
}

bool SampleData::Write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

std::vector<uint8_t> SampleData::Read(const std::filesystem::path& path) {
  std::vector<uint8_t> bytes;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return bytes;
  uint8_t chunk[65536];
  for (size_t count; (count = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.insert(bytes.end(), chunk, chunk + count);
  std::fclose(file);
  return bytes;
}

}  // namespace ynx::test
