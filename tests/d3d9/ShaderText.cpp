#include "tests/d3d9/ShaderText.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/d3d9/shader/ShaderAssembler.h"
#include "platform/d3d9/shader/ShaderDecoder.h"

namespace ynx::test {

std::string ShaderText::Hex(const std::vector<uint32_t>& tokens) {
  std::string text;
  for (const uint32_t token : tokens) {
    char word[12];
    std::snprintf(word, sizeof(word), " %08x", token);
    text += word;
  }
  return text;
}

DecodedShader ShaderText::Decode(const std::string& text) {
  std::vector<uint32_t> tokens;
  std::string errors;
  EXPECT_TRUE(ShaderAssembler::Assemble(text, tokens, errors)) << errors;
  DecodedShader shader;
  std::string error;
  EXPECT_TRUE(ShaderDecoder::Decode(tokens.data(), tokens.size(), shader, error)) << error;
  return shader;
}

}  // namespace ynx::test
