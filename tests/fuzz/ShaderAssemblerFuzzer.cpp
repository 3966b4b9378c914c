// libFuzzer target: arbitrary bytes as shader assembly text. Whatever
// assembles must decode and come back token for token; whatever does not
// must say why in a bounded error text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9/shader/ShaderAssembler.h"
#include "platform/d3d9/shader/ShaderDecoder.h"
#include "tests/fuzz/ShaderRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ynx;
  std::vector<uint32_t> tokens;
  std::string errors;
  const int32_t result = AssembleShader(reinterpret_cast<const char*>(data), size, tokens, errors);
  // At most MAX_ERRORS lines of a bounded length, and a last count line.
  if (errors.size() > (ShaderAssembler::MAX_ERRORS + 1) * 512) __builtin_trap();
  if (result != ShaderAssembler::RESULT_OK) {
    if (!tokens.empty() || errors.empty()) __builtin_trap();
    return 0;
  }
  if (!errors.empty()) __builtin_trap();
  DecodedShader shader;
  std::string error;
  if (!ShaderDecoder::Decode(tokens.data(), tokens.size(), shader, error)) __builtin_trap();
  if (shader.tokenCount != tokens.size() || shader.commentTokens != 0) __builtin_trap();
  test::CheckShaderRoundTrip(tokens.data(), tokens.size(), shader);
  return 0;
}
