// libFuzzer target: a 16-byte ShaderKey, then a shader token stream
// (little-endian DWORDs). Whatever the decoder accepts goes through the
// translator's analysis and translation; they must agree, refuse only with
// a reason, and give the same program for a key and its masked form.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d9/shader/ShaderDecoder.h"
#include "platform/d3d9/shader/ShaderTranslator.h"

namespace {

constexpr size_t KEY_BYTES = 16;

ynx::ShaderKey KeyFrom(const uint8_t* data) {
  const auto word = [&](size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, data + at, sizeof(value));
    return value;
  };
  ynx::ShaderKey key;
  key.clipPlanes = data[0];
  key.shadowSamplers = static_cast<uint16_t>(data[1] | data[2] << 8);
  key.projection = word(3);
  key.textureKinds = word(7);
  key.fog = data[11];
  key.fogFromW = data[12];
  key.alphaFunction = data[13];
  key.pointSprite = data[14];
  key.flatColors = data[15];
  return key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ynx;
  if (size < KEY_BYTES) return 0;
  const ShaderKey key = KeyFrom(data);
  std::vector<uint32_t> tokens((size - KEY_BYTES) / sizeof(uint32_t));
  if (!tokens.empty()) std::memcpy(tokens.data(), data + KEY_BYTES, tokens.size() * sizeof(uint32_t));
  DecodedShader shader;
  std::string error;
  if (!ShaderDecoder::Decode(tokens.data(), tokens.size(), shader, error)) return 0;

  ShaderInterface interface;
  std::string analysisError;
  const bool accepted = ShaderTranslator::Analyze(shader, interface, analysisError);
  std::string source;
  ShaderInterface translated;
  const bool done = ShaderTranslator::Translate(shader, key, source, translated, error);
  if (accepted != done) __builtin_trap();
  if (!done) {
    if (error.empty() || error != analysisError || !source.empty()) __builtin_trap();
    return 0;
  }
  if (source.rfind("#version 450\n", 0) != 0 || translated.pixel != shader.IsPixelShader()) __builtin_trap();
  // State outside the shader's key mask must not change its program.
  std::string masked;
  if (!ShaderTranslator::Translate(shader, key.Masked(interface.keyMask), masked, translated, error) || masked != source) {
    __builtin_trap();
  }
  return 0;
}
