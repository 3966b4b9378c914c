#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

namespace ynx::test {

// A file's bytes, to compare with what the program embedded.
inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline std::string SourceFile(const std::string& relative) {
  return ReadFileBytes(std::string(YNX_SOURCE_DIR) + "/" + relative);
}

inline std::string AsString(const uint8_t* data, uint32_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

}  // namespace ynx::test
