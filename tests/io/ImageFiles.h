#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/core/Ptr.h"
#include "engine/io/Image.h"
#include "engine/io/MemoryFile.h"

namespace ynx::test {

// What the image and codec tests share: files from bytes and back, and
// pictures in which a flip, a shift or a channel swap shows.

inline std::unique_ptr<MemoryFile> MemoryFileOf(const char* name, const std::vector<uint8_t>& bytes) {
  auto file = std::make_unique<MemoryFile>(String(name));
  auto* copy = static_cast<uint8_t*>(std::malloc(bytes.size() + 1));
  if (!bytes.empty()) std::memcpy(copy, bytes.data(), bytes.size());
  file->SetSource(copy, static_cast<int32_t>(bytes.size()), true);
  return file;
}

inline std::string TempPath(const std::string& name) { return ::testing::TempDir() + name; }

inline std::vector<uint8_t> ReadDiskFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Every byte differs from its neighbours in row, column and channel.
inline uint8_t PatternByte(uint64_t index, uint32_t seed) {
  return static_cast<uint8_t>(index * 37 + (index >> 8) * 11 + seed * 101 + 5);
}

inline void FillPattern(Image& image, uint32_t seed = 0) {
  for (uint64_t i = 0; i < image.GetDataSize(); ++i) image.GetData()[i] = PatternByte(i, seed);
}

inline Ptr<Image> PatternImage(int32_t format, uint32_t width, uint32_t height, uint32_t seed = 0) {
  Ptr<Image> image(new Image(String("pattern"), format, width, height));
  FillPattern(*image, seed);
  return image;
}

inline std::vector<uint8_t> Pixels(const Image& image) {
  if (image.GetData() == nullptr) return {};
  return {image.GetData(), image.GetData() + image.GetDataSize()};
}

}  // namespace ynx::test
