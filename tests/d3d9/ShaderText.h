#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9/shader/DecodedShader.h"

namespace ynx::test {

// Shader texts and tokens as the suites compare and build them.
class ShaderText {
 public:
  // " xxxxxxxx" per token: a readable difference when two streams differ.
  static std::string Hex(const std::vector<uint32_t>& tokens);
  // Assembled and decoded, each step expected to succeed.
  static DecodedShader Decode(const std::string& text);
};

}  // namespace ynx::test
