#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/shader/DecodedShader.h"

namespace ynx {

// Writes instructions as tokens: the assembler's back end, and the way back
// from a decoded shader to the stream it came from. Encodes what it is
// given; ShaderModel::Check decides what is allowed.
class ShaderEncoder {
 public:
  // The whole stream: version token, instructions, end token.
  static std::vector<uint32_t> Encode(const DecodedShader& shader);
  // Appends one instruction as a shader of the given version writes it
  // (from 2.0 the instruction token counts the tokens that follow).
  static void EncodeInstruction(uint32_t version, const DecodedShader::Instruction& instruction,
                                std::vector<uint32_t>& tokens);

  static uint32_t DestinationToken(const DecodedShader::Destination& destination);
  static uint32_t SourceToken(const DecodedShader::Source& source);
  // The token after a relatively addressed source from 2.0 on: a0 or aL.
  static uint32_t RelativeToken(const DecodedShader::Source& source);
  // The token between dcl and its register.
  static uint32_t UsageToken(const DecodedShader::Instruction& instruction);
};

}  // namespace ynx
