#include "tests/fuzz/ShaderRoundTrip.h"

#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "platform/d3d9/shader/ShaderAssembler.h"
#include "platform/d3d9/shader/ShaderDisassembler.h"
#include "platform/d3d9/shader/ShaderEncoder.h"

namespace ynx::test {

void CheckShaderRoundTrip(const uint32_t* tokens, size_t count, const DecodedShader& shader) {
  if (shader.tokenCount < 2 || shader.tokenCount > count || tokens[0] != shader.version ||
      tokens[shader.tokenCount - 1] != ShaderTokens::END_TOKEN) {
    __builtin_trap();
  }
  // Each instruction where it was, so comment blocks between them do not matter.
  std::vector<uint32_t> encoded;
  bool finite = true;
  for (const DecodedShader::Instruction& instruction : shader.instructions) {
    const size_t before = encoded.size();
    ShaderEncoder::EncodeInstruction(shader.version, instruction, encoded);
    const size_t length = encoded.size() - before;
    if (instruction.tokenOffset + length > shader.tokenCount) __builtin_trap();
    for (size_t i = 0; i < length; ++i) {
      if (encoded[before + i] != tokens[instruction.tokenOffset + i]) __builtin_trap();
    }
    if (instruction.opcode == ShaderTokens::Opcode::DEF) {
      for (const uint32_t bits : instruction.literals) finite = finite && std::isfinite(std::bit_cast<float>(bits));
    }
  }
  if (encoded.size() + 2 + shader.commentTokens != shader.tokenCount) __builtin_trap();

  // Text has no spelling for NaN and infinity.
  if (!finite) return;
  std::vector<uint32_t> reassembled;
  std::string errors;
  if (!ShaderAssembler::Assemble(ShaderDisassembler::Disassemble(shader), reassembled, errors)) __builtin_trap();
  encoded.insert(encoded.begin(), shader.version);
  encoded.push_back(ShaderTokens::END_TOKEN);
  if (reassembled != encoded) __builtin_trap();
}

}  // namespace ynx::test
