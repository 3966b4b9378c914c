// libFuzzer target: arbitrary bytes as a shader token stream (little-endian
// DWORDs), as a device would receive it. Whatever decodes must encode back
// to the same tokens and read back through text.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d9/shader/ShaderDecoder.h"
#include "tests/fuzz/ShaderRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ynx;
  std::vector<uint32_t> tokens(size / sizeof(uint32_t));
  if (!tokens.empty()) std::memcpy(tokens.data(), data, tokens.size() * sizeof(uint32_t));
  DecodedShader shader;
  std::string error;
  if (!ShaderDecoder::Decode(tokens.data(), tokens.size(), shader, error)) {
    if (error.empty() || !shader.instructions.empty()) __builtin_trap();
    return 0;
  }
  test::CheckShaderRoundTrip(tokens.data(), tokens.size(), shader);
  return 0;
}
