#include "platform/d3d9/shader/ShaderDisassembler.h"

#include <bit>
#include <cstdio>
#include <iterator>

namespace ynx {

namespace {

using SourceModifier = ShaderTokens::SourceModifier;
using RegisterType = ShaderTokens::RegisterType;

std::string Swizzle(uint8_t swizzle) {
  static constexpr char LETTERS[] = "xyzw";
  std::string text;
  if (swizzle == ShaderTokens::ReplicateSwizzle(ShaderTokens::SwizzleComponent(swizzle, 0))) {
    return std::string(1, LETTERS[ShaderTokens::SwizzleComponent(swizzle, 0)]);
  }
  for (int i = 0; i < 4; ++i) text += LETTERS[ShaderTokens::SwizzleComponent(swizzle, i)];
  return text;
}

std::string Destination(const ShaderModel& model, const DecodedShader::Destination& destination) {
  std::string text = model.RegisterName(destination.type, destination.number);
  if (destination.writeMask != ShaderTokens::MASK_ALL) {
    text += '.';
    for (int i = 0; i < 4; ++i) {
      if (destination.writeMask & 1 << i) text += "xyzw"[i];
    }
  }
  return text;
}

std::string Source(const ShaderModel& model, const DecodedShader::Source& source) {
  std::string text;
  const SourceModifier modifier = source.modifier;
  if (modifier == SourceModifier::NEGATE || modifier == SourceModifier::BIAS_NEGATE ||
      modifier == SourceModifier::SIGN_NEGATE || modifier == SourceModifier::X2_NEGATE ||
      modifier == SourceModifier::ABS_NEGATE) {
    text += '-';
  } else if (modifier == SourceModifier::COMPLEMENT) {
    text += "1-";
  } else if (modifier == SourceModifier::NOT) {
    text += '!';
  }
  text += model.RegisterName(source.type, source.number);
  switch (modifier) {
    case SourceModifier::BIAS:
    case SourceModifier::BIAS_NEGATE: text += "_bias"; break;
    case SourceModifier::SIGN:
    case SourceModifier::SIGN_NEGATE: text += "_bx2"; break;
    case SourceModifier::X2:
    case SourceModifier::X2_NEGATE: text += "_x2"; break;
    case SourceModifier::DZ: text += "_dz"; break;
    case SourceModifier::DW: text += "_dw"; break;
    case SourceModifier::ABS:
    case SourceModifier::ABS_NEGATE: text += "_abs"; break;
    default: break;
  }
  if (source.relative) {
    text += '[' + model.RegisterName(source.relativeType, 0);
    if (source.relativeType == RegisterType::ADDRESS && (model.Major() == 1 || source.relativeSwizzle !=
                                                                                   ShaderTokens::IDENTITY_SWIZZLE)) {
      text += '.' + Swizzle(model.Major() == 1 ? 0 : source.relativeSwizzle);
    }
    text += ']';
  }
  if (source.swizzle != ShaderTokens::IDENTITY_SWIZZLE) text += '.' + Swizzle(source.swizzle);
  return text;
}

std::string Literal(ShaderModel::Literal kind, uint32_t value) {
  char text[32];
  if (kind == ShaderModel::Literal::FLOAT4) {
    std::snprintf(text, sizeof(text), "%.9g", static_cast<double>(std::bit_cast<float>(value)));
  } else if (kind == ShaderModel::Literal::INT4) {
    std::snprintf(text, sizeof(text), "%d", static_cast<int32_t>(value));
  } else {
    return value ? "true" : "false";
  }
  return text;
}

}  // namespace

std::string ShaderDisassembler::Line(const ShaderModel& model, const DecodedShader::Instruction& instruction) {
  static constexpr const char* USAGES[] = {"position", "blendweight", "blendindices", "normal",    "psize",
                                           "texcoord", "tangent",     "binormal",     "tessfactor", "positiont",
                                           "color",    "fog",         "depth",        "sample"};
  static constexpr const char* SAMPLERS[] = {"", "", "_2d", "_cube", "_volume"};
  const ShaderModel::InstructionInfo* info = model.Find(instruction.opcode, instruction.controls);
  if (info == nullptr) return "; unknown instruction";
  std::string text = instruction.coissue ? "+" : "";
  text += info->name;
  const DecodedShader::Destination& destination = instruction.destination;
  if (instruction.opcode == ShaderTokens::Opcode::DCL) {
    const auto usage = static_cast<size_t>(instruction.usage);
    const auto sampler = static_cast<size_t>(instruction.samplerType);
    if (!model.IsPixel() && usage < std::size(USAGES)) {
      text += std::string("_") + USAGES[usage];
      if (instruction.usageIndex != 0) text += std::to_string(instruction.usageIndex);
    } else if (destination.type == RegisterType::SAMPLER && sampler < std::size(SAMPLERS)) {
      text += SAMPLERS[sampler];
    }
  }
  if (destination.shift > 0) text += "_x" + std::to_string(1 << destination.shift);
  if (destination.shift < 0) text += "_d" + std::to_string(1 << -destination.shift);
  if (destination.modifiers & ShaderTokens::SATURATE) text += "_sat";
  if (destination.modifiers & ShaderTokens::PARTIAL_PRECISION) text += "_pp";
  if (destination.modifiers & ShaderTokens::CENTROID) text += "_centroid";

  const char* separator = " ";
  if (instruction.hasDestination) {
    text += separator + Destination(model, destination);
    separator = ", ";
  }
  for (int i = 0; i < instruction.sourceCount && i < DecodedShader::MAX_SOURCES; ++i) {
    text += separator + Source(model, instruction.sources[i]);
    separator = ", ";
  }
  for (int i = 0; i < instruction.literalCount && i < 4; ++i) {
    text += separator + Literal(info->literal, instruction.literals[i]);
    separator = ", ";
  }
  return text;
}

std::string ShaderDisassembler::Disassemble(const DecodedShader& shader) {
  const ShaderModel model(shader.version);
  std::string text = model.Name() + "\n";
  for (const DecodedShader::Instruction& instruction : shader.instructions) {
    text += Line(model, instruction) + "\n";
  }
  return text;
}

}  // namespace ynx
