#include "platform/d3d9/shader/ShaderEncoder.h"

namespace ynx {

std::vector<uint32_t> ShaderEncoder::Encode(const DecodedShader& shader) {
  std::vector<uint32_t> tokens{shader.version};
  for (const DecodedShader::Instruction& instruction : shader.instructions) {
    EncodeInstruction(shader.version, instruction, tokens);
  }
  tokens.push_back(ShaderTokens::END_TOKEN);
  return tokens;
}

void ShaderEncoder::EncodeInstruction(uint32_t version, const DecodedShader::Instruction& instruction,
                                      std::vector<uint32_t>& tokens) {
  if (instruction.opcode == ShaderTokens::Opcode::PHASE) {
    tokens.push_back(ShaderTokens::PHASE_TOKEN);
    return;
  }
  const size_t start = tokens.size();
  tokens.push_back(0);  // the instruction token, once the length is known
  const bool relativeToken = ShaderTokens::VersionMajor(version) >= 2;
  if (instruction.opcode == ShaderTokens::Opcode::DCL) tokens.push_back(UsageToken(instruction));
  if (instruction.hasDestination) tokens.push_back(DestinationToken(instruction.destination));
  for (int i = 0; i < instruction.sourceCount && i < DecodedShader::MAX_SOURCES; ++i) {
    const DecodedShader::Source& source = instruction.sources[i];
    tokens.push_back(SourceToken(source));
    if (source.relative && relativeToken) tokens.push_back(RelativeToken(source));
  }
  for (int i = 0; i < instruction.literalCount && i < 4; ++i) tokens.push_back(instruction.literals[i]);
  const auto length = static_cast<uint32_t>(tokens.size() - start - 1);
  tokens[start] = ShaderTokens::InstructionToken(instruction.opcode, instruction.controls,
                                                 relativeToken ? length : 0, instruction.coissue);
}

uint32_t ShaderEncoder::DestinationToken(const DecodedShader::Destination& destination) {
  return ShaderTokens::PARAMETER_BIT | ShaderTokens::RegisterTypeBits(destination.type) |
         (destination.number & ShaderTokens::MAX_REGISTER_NUMBER) | (destination.writeMask & 0xFu) << 16 |
         (destination.modifiers & 0xFu) << 20 | (static_cast<uint32_t>(destination.shift) & 0xFu) << 24;
}

uint32_t ShaderEncoder::SourceToken(const DecodedShader::Source& source) {
  return ShaderTokens::PARAMETER_BIT | ShaderTokens::RegisterTypeBits(source.type) |
         (source.number & ShaderTokens::MAX_REGISTER_NUMBER) | (source.relative ? ShaderTokens::RELATIVE_BIT : 0) |
         static_cast<uint32_t>(source.swizzle) << 16 | (static_cast<uint32_t>(source.modifier) & 0xFu) << 24;
}

uint32_t ShaderEncoder::RelativeToken(const DecodedShader::Source& source) {
  return ShaderTokens::PARAMETER_BIT | ShaderTokens::RegisterTypeBits(source.relativeType) |
         static_cast<uint32_t>(source.relativeSwizzle) << 16;
}

uint32_t ShaderEncoder::UsageToken(const DecodedShader::Instruction& instruction) {
  return ShaderTokens::PARAMETER_BIT | (static_cast<uint32_t>(instruction.usage) & 0x1Fu) |
         (instruction.usageIndex & 0xFu) << 16 | (static_cast<uint32_t>(instruction.samplerType) & 0xFu) << 27;
}

}  // namespace ynx
