#pragma once

#include <string>

#include "platform/d3d9/shader/DecodedShader.h"
#include "platform/d3d9/shader/ShaderModel.h"

namespace ynx {

// Decoded shaders back to assembly text in the assembler's own syntax, one
// instruction a line, so that assembling the text gives the same tokens.
// The one exception: def values that are not finite numbers are written
// "nan" or "inf", which the assembly syntax has no way to say.
class ShaderDisassembler {
 public:
  // The shader's version must be a supported one (as after decoding).
  static std::string Disassemble(const DecodedShader& shader);
  // One instruction without a line end, e.g. for messages.
  static std::string Line(const ShaderModel& model, const DecodedShader::Instruction& instruction);
};

}  // namespace ynx
