#include "platform/d3d9/shader/ShaderDecoder.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/d3d9/shader/ShaderModel.h"

namespace ynx {

namespace {

using Opcode = ShaderTokens::Opcode;
using RegisterType = ShaderTokens::RegisterType;

// Bits a usage token may carry: usage, usage index, sampler type.
constexpr uint32_t USAGE_TOKEN_BITS = 0x8000001Fu | 0x000F0000u | 0x78000000u;
// Bits that must be clear in destination and source tokens (bit 13 is
// relative addressing, which only sources of vertex shaders have here).
constexpr uint32_t DESTINATION_RESERVED = 0x0000E000u;
constexpr uint32_t SOURCE_RESERVED = 0x0000C000u;

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08x", value);
  return text;
}

// The operand tokens of one instruction, read in turn. `position` follows
// the token being read, so that a failure names it.
struct TokenCursor {
  const uint32_t* tokens;
  size_t limit;
  size_t& position;
  size_t next;
  std::string& error;

  bool Take(uint32_t& token) {
    position = next;
    if (next >= limit) {
      error = "the instruction runs past the end of the stream";
      return false;
    }
    token = tokens[next++];
    return true;
  }

  bool Parameter(uint32_t reserved, uint32_t& token) {
    if (!Take(token)) return false;
    if ((token & ShaderTokens::PARAMETER_BIT) == 0 || (token & reserved) != 0) {
      error = "invalid parameter token " + Hex(token);
      return false;
    }
    return true;
  }
};

// The instruction token itself: its fields into `instruction`, and what the
// model says of the instruction; null with `error` set when either refuses.
const ShaderModel::InstructionInfo* ReadOpcode(const ShaderModel& model, uint32_t token,
                                               DecodedShader::Instruction& instruction, std::string& error) {
  const auto opcode = static_cast<Opcode>(ShaderTokens::OpcodeOf(token));
  instruction.opcode = opcode;
  if (opcode == Opcode::PHASE && token != ShaderTokens::PHASE_TOKEN) {
    error = "invalid phase token " + Hex(token);
    return nullptr;
  }
  if (token & ShaderTokens::PREDICATED_BIT) {
    error = "predicated instructions are not available in " + model.Name();
    return nullptr;
  }
  if (token & 0x20000000u) {
    error = "invalid instruction token " + Hex(token);
    return nullptr;
  }
  instruction.controls = static_cast<uint8_t>(ShaderTokens::ControlsOf(token));
  instruction.coissue = (token & ShaderTokens::COISSUE_BIT) != 0;
  if (model.Major() < 2 && ShaderTokens::LengthOf(token) != 0) {
    error = "length field set in a " + model.Name() + " instruction";
    return nullptr;
  }
  const ShaderModel::InstructionInfo* info = model.Find(opcode, instruction.controls);
  if (info == nullptr) model.Check(instruction, error);  // says which opcode the model lacks
  return info;
}

// The usage token of a dcl.
bool ReadUsage(TokenCursor& cursor, DecodedShader::Instruction& instruction) {
  uint32_t value = 0;
  if (!cursor.Take(value)) return false;
  if ((value & ShaderTokens::PARAMETER_BIT) == 0 || (value & ~USAGE_TOKEN_BITS) != 0) {
    cursor.error = "invalid dcl usage token " + Hex(value);
    return false;
  }
  instruction.usage = static_cast<ShaderTokens::Usage>(value & 0x1F);
  instruction.usageIndex = static_cast<uint8_t>(value >> 16 & 0xF);
  instruction.samplerType = static_cast<ShaderTokens::SamplerType>(value >> 27 & 0xF);
  return true;
}

// A source token, and in models 2 and up the relative address token that
// follows a relatively addressed one.
bool ReadSource(TokenCursor& cursor, bool counted, DecodedShader::Source& source) {
  uint32_t value = 0;
  if (!cursor.Parameter(SOURCE_RESERVED, value)) return false;
  source.type = ShaderTokens::RegisterTypeOf(value);
  source.number = ShaderTokens::RegisterNumberOf(value);
  source.swizzle = ShaderTokens::SwizzleOf(value);
  source.modifier = ShaderTokens::SourceModifierOf(value);
  source.relative = (value & ShaderTokens::RELATIVE_BIT) != 0;
  if (!source.relative || !counted) return true;
  if (!cursor.Take(value)) return false;
  const uint32_t fixed = value & ~0x00FF0000u;
  if (fixed != (ShaderTokens::PARAMETER_BIT | ShaderTokens::RegisterTypeBits(RegisterType::ADDRESS)) &&
      fixed != (ShaderTokens::PARAMETER_BIT | ShaderTokens::RegisterTypeBits(RegisterType::LOOP))) {
    cursor.error = "invalid relative address token " + Hex(value);
    return false;
  }
  source.relativeType = ShaderTokens::RegisterTypeOf(value);
  source.relativeSwizzle = ShaderTokens::SwizzleOf(value);
  return true;
}

// Reads the instruction whose token is at `position` (inside `limit`). On
// success `position` moves past it; on failure it names the offending token.
bool ReadInstruction(const ShaderModel& model, const uint32_t* tokens, size_t limit, size_t& position,
                     DecodedShader::Instruction& instruction, std::string& error) {
  const size_t start = position;
  const uint32_t token = tokens[start];
  instruction.tokenOffset = start;
  const ShaderModel::InstructionInfo* info = ReadOpcode(model, token, instruction, error);
  if (info == nullptr) return false;

  const bool counted = model.Major() >= 2;
  TokenCursor cursor{tokens, limit, position, start + 1, error};
  if (instruction.opcode == Opcode::DCL && !ReadUsage(cursor, instruction)) return false;
  if (info->destination != ShaderModel::Operand::NONE) {
    uint32_t value = 0;
    if (!cursor.Parameter(DESTINATION_RESERVED, value)) return false;
    instruction.hasDestination = true;
    DecodedShader::Destination& destination = instruction.destination;
    destination.type = ShaderTokens::RegisterTypeOf(value);
    destination.number = ShaderTokens::RegisterNumberOf(value);
    destination.writeMask = ShaderTokens::WriteMaskOf(value);
    destination.modifiers = ShaderTokens::ResultModifiersOf(value);
    destination.shift = ShaderTokens::ShiftOf(value);
  }
  instruction.sourceCount = info->sourceCount;
  for (int i = 0; i < info->sourceCount; ++i) {
    if (!ReadSource(cursor, counted, instruction.sources[i])) return false;
  }
  const int literals = info->literal == ShaderModel::Literal::BOOL1 ? 1
                       : info->literal == ShaderModel::Literal::NONE ? 0
                                                                      : 4;
  for (int i = 0; i < literals; ++i) {
    if (!cursor.Take(instruction.literals[i])) return false;
  }
  instruction.literalCount = static_cast<uint8_t>(literals);

  position = start;
  const uint32_t length = ShaderTokens::LengthOf(token);
  if (counted && cursor.next - start - 1 != length) {
    error = "the length field says " + std::to_string(length) + " tokens, the operands take " +
            std::to_string(cursor.next - start - 1);
    return false;
  }
  if (!model.Check(instruction, error)) return false;
  position = cursor.next;
  return true;
}

void CollectDeclarations(DecodedShader& shader) {
  for (const DecodedShader::Instruction& instruction : shader.instructions) {
    if (instruction.opcode == Opcode::DCL) {
      DecodedShader::Declaration declaration;
      declaration.type = instruction.destination.type;
      declaration.number = instruction.destination.number;
      declaration.writeMask = instruction.destination.writeMask;
      declaration.modifiers = instruction.destination.modifiers;
      declaration.usage = instruction.usage;
      declaration.usageIndex = instruction.usageIndex;
      declaration.samplerType = instruction.samplerType;
      shader.declarations.push_back(declaration);
    } else if (instruction.opcode == Opcode::DEF || instruction.opcode == Opcode::DEFI ||
               instruction.opcode == Opcode::DEFB) {
      DecodedShader::Definition definition;
      definition.type = instruction.destination.type;
      definition.number = instruction.destination.number;
      definition.values = instruction.literals;
      shader.definitions.push_back(definition);
    }
  }
}

}  // namespace

bool ShaderDecoder::Decode(const uint32_t* tokens, size_t count, DecodedShader& shader, std::string& error) {
  shader = DecodedShader{};
  if (tokens == nullptr || count == 0) {
    error = "empty token stream";
    return false;
  }
  if (!ShaderModel::IsSupported(tokens[0])) {
    error = "token 0: unsupported shader model " + ShaderModel::VersionName(tokens[0]);
    return false;
  }
  const ShaderModel model(tokens[0]);
  const size_t limit = std::min(count, MAX_TOKENS);
  DecodedShader result;
  result.version = tokens[0];
  size_t position = 1;
  std::string reason;
  for (;;) {
    if (position >= limit) {
      error = count > MAX_TOKENS ? "no end token in the first " + std::to_string(MAX_TOKENS) + " tokens"
                                 : "no end token";
      return false;
    }
    const uint32_t token = tokens[position];
    if (token == ShaderTokens::END_TOKEN) break;
    if (ShaderTokens::IsComment(token)) {
      const size_t length = ShaderTokens::CommentLength(token);
      if (length >= limit - position) {
        error = "token " + std::to_string(position) + ": the comment runs past the end of the stream";
        return false;
      }
      result.commentTokens += length + 1;
      position += length + 1;
      continue;
    }
    if (token & ShaderTokens::PARAMETER_BIT) {
      error = "token " + std::to_string(position) + ": expected an instruction, found " + Hex(token);
      return false;
    }
    DecodedShader::Instruction instruction;
    if (!ReadInstruction(model, tokens, limit, position, instruction, reason)) {
      error = "token " + std::to_string(position) + ": " + reason;
      return false;
    }
    result.instructions.push_back(instruction);
  }
  result.tokenCount = position + 1;
  CollectDeclarations(result);
  shader = std::move(result);
  return true;
}

}  // namespace ynx
