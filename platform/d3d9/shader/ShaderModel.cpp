#include "platform/d3d9/shader/ShaderModel.h"

#include <cstdio>
#include <initializer_list>
#include <iterator>
#include <utility>

namespace ynx {

namespace {

using Opcode = ShaderTokens::Opcode;
using RegisterType = ShaderTokens::RegisterType;
using SourceModifier = ShaderTokens::SourceModifier;
using Operand = ShaderModel::Operand;
using Literal = ShaderModel::Literal;
using Info = ShaderModel::InstructionInfo;

// Model rows, in the order of the tables below.
enum Model : int { VS_1_1, VS_2_0, PS_1_1, PS_1_2, PS_1_3, PS_1_4, PS_2_0, MODEL_COUNT };

constexpr uint8_t Bit(Model model) { return static_cast<uint8_t>(1u << model); }
constexpr uint8_t VS = Bit(VS_1_1) | Bit(VS_2_0);
constexpr uint8_t PS_1_1_TO_1_3 = Bit(PS_1_1) | Bit(PS_1_2) | Bit(PS_1_3);
constexpr uint8_t PS_1_2_TO_1_3 = Bit(PS_1_2) | Bit(PS_1_3);
constexpr uint8_t PS_1 = PS_1_1_TO_1_3 | Bit(PS_1_4);
constexpr uint8_t PS = PS_1 | Bit(PS_2_0);
constexpr uint8_t ALL = VS | PS;
constexpr uint8_t FLOAT_2 = VS | Bit(PS_2_0);               // vertex shaders and ps_2_0
constexpr uint8_t MODEL_2 = Bit(VS_2_0) | Bit(PS_2_0);
constexpr uint8_t CMP_MODELS = PS_1_2_TO_1_3 | Bit(PS_1_4) | Bit(PS_2_0);

constexpr Operand N = Operand::NONE;
constexpr Operand W = Operand::WRITE;
constexpr Operand R = Operand::READ;
constexpr Operand TW = Operand::TEXTURE_WRITE;
constexpr Operand TR = Operand::TEXTURE_READ;

constexpr Info Op(const char* name, Opcode opcode, uint8_t models, Operand destination, uint8_t sourceCount,
                  std::array<Operand, 3> sources, bool coissuable = false, Literal literal = Literal::NONE,
                  uint8_t controls = 0) {
  return {name, opcode, controls, models, destination, sourceCount, sources, literal, coissuable};
}

// Every instruction of the supported models. A name may appear once per
// model; an opcode once per model and controls value.
constexpr Info INSTRUCTIONS[] = {
    Op("nop", Opcode::NOP, ALL, N, 0, {}),
    Op("mov", Opcode::MOV, ALL, W, 1, {R}, true),
    Op("add", Opcode::ADD, ALL, W, 2, {R, R}, true),
    Op("sub", Opcode::SUB, ALL, W, 2, {R, R}, true),
    Op("mad", Opcode::MAD, ALL, W, 3, {R, R, R}, true),
    Op("mul", Opcode::MUL, ALL, W, 2, {R, R}, true),
    Op("rcp", Opcode::RCP, FLOAT_2, W, 1, {R}),
    Op("rsq", Opcode::RSQ, FLOAT_2, W, 1, {R}),
    Op("dp3", Opcode::DP3, ALL, W, 2, {R, R}, true),
    Op("dp4", Opcode::DP4, VS | PS_1_2_TO_1_3 | Bit(PS_1_4) | Bit(PS_2_0), W, 2, {R, R}, true),
    Op("min", Opcode::MIN, FLOAT_2, W, 2, {R, R}),
    Op("max", Opcode::MAX, FLOAT_2, W, 2, {R, R}),
    Op("slt", Opcode::SLT, VS, W, 2, {R, R}),
    Op("sge", Opcode::SGE, VS, W, 2, {R, R}),
    Op("exp", Opcode::EXP, FLOAT_2, W, 1, {R}),
    Op("log", Opcode::LOG, FLOAT_2, W, 1, {R}),
    Op("lit", Opcode::LIT, VS, W, 1, {R}),
    Op("dst", Opcode::DST, VS, W, 2, {R, R}),
    Op("lrp", Opcode::LRP, PS_1 | MODEL_2, W, 3, {R, R, R}, true),
    Op("frc", Opcode::FRC, FLOAT_2, W, 1, {R}),
    Op("m4x4", Opcode::M4X4, FLOAT_2, W, 2, {R, R}),
    Op("m4x3", Opcode::M4X3, FLOAT_2, W, 2, {R, R}),
    Op("m3x4", Opcode::M3X4, FLOAT_2, W, 2, {R, R}),
    Op("m3x3", Opcode::M3X3, FLOAT_2, W, 2, {R, R}),
    Op("m3x2", Opcode::M3X2, FLOAT_2, W, 2, {R, R}),
    Op("call", Opcode::CALL, Bit(VS_2_0), N, 1, {Operand::LABEL}),
    Op("callnz", Opcode::CALLNZ, Bit(VS_2_0), N, 2, {Operand::LABEL, Operand::BOOL}),
    Op("loop", Opcode::LOOP, Bit(VS_2_0), N, 2, {Operand::LOOP_COUNTER, Operand::INT}),
    Op("ret", Opcode::RET, Bit(VS_2_0), N, 0, {}),
    Op("endloop", Opcode::ENDLOOP, Bit(VS_2_0), N, 0, {}),
    Op("label", Opcode::LABEL, Bit(VS_2_0), N, 1, {Operand::LABEL}),
    Op("dcl", Opcode::DCL, FLOAT_2, Operand::DECLARED, 0, {}),
    Op("pow", Opcode::POW, MODEL_2, W, 2, {R, R}),
    Op("crs", Opcode::CRS, MODEL_2, W, 2, {R, R}),
    Op("sgn", Opcode::SGN, Bit(VS_2_0), W, 3, {R, R, R}),
    Op("abs", Opcode::ABS, MODEL_2, W, 1, {R}),
    Op("nrm", Opcode::NRM, MODEL_2, W, 1, {R}),
    Op("sincos", Opcode::SINCOS, MODEL_2, W, 3, {R, R, R}),
    Op("rep", Opcode::REP, Bit(VS_2_0), N, 1, {Operand::INT}),
    Op("endrep", Opcode::ENDREP, Bit(VS_2_0), N, 0, {}),
    Op("if", Opcode::IF, Bit(VS_2_0), N, 1, {Operand::BOOL}),
    Op("else", Opcode::ELSE, Bit(VS_2_0), N, 0, {}),
    Op("endif", Opcode::ENDIF, Bit(VS_2_0), N, 0, {}),
    Op("mova", Opcode::MOVA, Bit(VS_2_0), Operand::ADDRESS_WRITE, 1, {R}),
    Op("defb", Opcode::DEFB, Bit(VS_2_0), Operand::BOOL_CONSTANT, 0, {}, false, Literal::BOOL1),
    Op("defi", Opcode::DEFI, Bit(VS_2_0), Operand::INT_CONSTANT, 0, {}, false, Literal::INT4),
    Op("texcoord", Opcode::TEXCOORD, PS_1_1_TO_1_3, TW, 0, {}),
    Op("texcrd", Opcode::TEXCOORD, Bit(PS_1_4), W, 1, {Operand::COORDINATE}),
    Op("texkill", Opcode::TEXKILL, PS, Operand::KILL, 0, {}),
    Op("tex", Opcode::TEX, PS_1_1_TO_1_3, TW, 0, {}),
    Op("texld", Opcode::TEX, Bit(PS_1_4), W, 1, {Operand::COORDINATE}),
    Op("texld", Opcode::TEX, Bit(PS_2_0), W, 2, {R, Operand::SAMPLER}),
    Op("texldp", Opcode::TEX, Bit(PS_2_0), W, 2, {R, Operand::SAMPLER}, false, Literal::NONE,
       ShaderTokens::TEXLD_PROJECT),
    Op("texldb", Opcode::TEX, Bit(PS_2_0), W, 2, {R, Operand::SAMPLER}, false, Literal::NONE,
       ShaderTokens::TEXLD_BIAS),
    Op("texbem", Opcode::TEXBEM, PS_1_1_TO_1_3, TW, 1, {TR}),
    Op("texbeml", Opcode::TEXBEML, PS_1_1_TO_1_3, TW, 1, {TR}),
    Op("texreg2ar", Opcode::TEXREG2AR, PS_1_1_TO_1_3, TW, 1, {TR}),
    Op("texreg2gb", Opcode::TEXREG2GB, PS_1_1_TO_1_3, TW, 1, {TR}),
    Op("texm3x2pad", Opcode::TEXM3X2PAD, PS_1_1_TO_1_3, TW, 1, {TR}),
    Op("texm3x2tex", Opcode::TEXM3X2TEX, PS_1_1_TO_1_3, TW, 1, {TR}),
    Op("texm3x3pad", Opcode::TEXM3X3PAD, PS_1_1_TO_1_3, TW, 1, {TR}),
    Op("texm3x3tex", Opcode::TEXM3X3TEX, PS_1_1_TO_1_3, TW, 1, {TR}),
    Op("texm3x3spec", Opcode::TEXM3X3SPEC, PS_1_1_TO_1_3, TW, 2, {TR, R}),
    Op("texm3x3vspec", Opcode::TEXM3X3VSPEC, PS_1_1_TO_1_3, TW, 1, {TR}),
    Op("expp", Opcode::EXPP, VS, W, 1, {R}),
    Op("logp", Opcode::LOGP, VS, W, 1, {R}),
    Op("cnd", Opcode::CND, PS_1, W, 3, {R, R, R}, true),
    Op("def", Opcode::DEF, ALL, Operand::FLOAT_CONSTANT, 0, {}, false, Literal::FLOAT4),
    Op("texreg2rgb", Opcode::TEXREG2RGB, PS_1_2_TO_1_3, TW, 1, {TR}),
    Op("texdp3tex", Opcode::TEXDP3TEX, PS_1_2_TO_1_3, TW, 1, {TR}),
    Op("texm3x2depth", Opcode::TEXM3X2DEPTH, Bit(PS_1_3), TW, 1, {TR}),
    Op("texdp3", Opcode::TEXDP3, PS_1_2_TO_1_3, TW, 1, {TR}),
    Op("texm3x3", Opcode::TEXM3X3, PS_1_2_TO_1_3, TW, 1, {TR}),
    Op("texdepth", Opcode::TEXDEPTH, Bit(PS_1_4), W, 0, {}),
    Op("cmp", Opcode::CMP, CMP_MODELS, W, 3, {R, R, R}, true),
    Op("bem", Opcode::BEM, Bit(PS_1_4), W, 2, {R, R}, true),
    Op("dp2add", Opcode::DP2ADD, Bit(PS_2_0), W, 3, {R, R, R}),
    Op("phase", Opcode::PHASE, Bit(PS_1_4), N, 0, {}),
};

using Counts = std::array<uint16_t, ShaderTokens::REGISTER_TYPE_COUNT>;

constexpr Counts MakeCounts(std::initializer_list<std::pair<RegisterType, uint16_t>> entries) {
  Counts counts{};
  for (const auto& [type, count] : entries) counts[static_cast<size_t>(type)] = count;
  return counts;
}

// Vertex shader constants: any number one token can name. The device
// refuses programs that go past its own constant count.
constexpr uint16_t VS_CONSTANTS = ShaderTokens::MAX_REGISTER_NUMBER + 1;

constexpr Counts REGISTER_COUNTS[MODEL_COUNT] = {
    MakeCounts({{RegisterType::TEMP, 12}, {RegisterType::INPUT, 16}, {RegisterType::CONST, VS_CONSTANTS},
                {RegisterType::ADDRESS, 1}, {RegisterType::RASTOUT, 3}, {RegisterType::ATTROUT, 2},
                {RegisterType::TEXCRDOUT, 8}}),
    MakeCounts({{RegisterType::TEMP, 12}, {RegisterType::INPUT, 16}, {RegisterType::CONST, VS_CONSTANTS},
                {RegisterType::ADDRESS, 1}, {RegisterType::RASTOUT, 3}, {RegisterType::ATTROUT, 2},
                {RegisterType::TEXCRDOUT, 8}, {RegisterType::CONSTINT, 16}, {RegisterType::CONSTBOOL, 16},
                {RegisterType::LOOP, 1}, {RegisterType::LABEL, 2048}}),
    MakeCounts({{RegisterType::TEMP, 2}, {RegisterType::INPUT, 2}, {RegisterType::CONST, 8},
                {RegisterType::TEXTURE, 4}}),
    MakeCounts({{RegisterType::TEMP, 2}, {RegisterType::INPUT, 2}, {RegisterType::CONST, 8},
                {RegisterType::TEXTURE, 4}}),
    MakeCounts({{RegisterType::TEMP, 2}, {RegisterType::INPUT, 2}, {RegisterType::CONST, 8},
                {RegisterType::TEXTURE, 4}}),
    MakeCounts({{RegisterType::TEMP, 6}, {RegisterType::INPUT, 2}, {RegisterType::CONST, 8},
                {RegisterType::TEXTURE, 6}}),
    MakeCounts({{RegisterType::TEMP, 12}, {RegisterType::INPUT, 2}, {RegisterType::CONST, 32},
                {RegisterType::TEXTURE, 8}, {RegisterType::SAMPLER, 16}, {RegisterType::COLOROUT, 4},
                {RegisterType::DEPTHOUT, 1}}),
};

constexpr uint32_t TypeBit(RegisterType type) { return 1u << static_cast<uint32_t>(type); }

// Register types an ordinary instruction may write, per model.
constexpr uint32_t VS_WRITABLE = TypeBit(RegisterType::TEMP) | TypeBit(RegisterType::RASTOUT) |
                                 TypeBit(RegisterType::ATTROUT) | TypeBit(RegisterType::TEXCRDOUT);
constexpr uint32_t WRITABLE[MODEL_COUNT] = {
    VS_WRITABLE,
    VS_WRITABLE,
    TypeBit(RegisterType::TEMP) | TypeBit(RegisterType::TEXTURE),
    TypeBit(RegisterType::TEMP) | TypeBit(RegisterType::TEXTURE),
    TypeBit(RegisterType::TEMP) | TypeBit(RegisterType::TEXTURE),
    TypeBit(RegisterType::TEMP),
    TypeBit(RegisterType::TEMP) | TypeBit(RegisterType::COLOROUT) | TypeBit(RegisterType::DEPTHOUT),
};

// Register types an ordinary source may read (t# in pixel shaders only).
constexpr uint32_t READABLE =
    TypeBit(RegisterType::TEMP) | TypeBit(RegisterType::INPUT) | TypeBit(RegisterType::CONST);

constexpr uint32_t ModifierBit(SourceModifier modifier) { return 1u << static_cast<uint32_t>(modifier); }

constexpr uint32_t NEGATE_ONLY = ModifierBit(SourceModifier::NONE) | ModifierBit(SourceModifier::NEGATE);
constexpr uint32_t PS_1_MODIFIERS =
    NEGATE_ONLY | ModifierBit(SourceModifier::BIAS) | ModifierBit(SourceModifier::BIAS_NEGATE) |
    ModifierBit(SourceModifier::SIGN) | ModifierBit(SourceModifier::SIGN_NEGATE) |
    ModifierBit(SourceModifier::COMPLEMENT) | ModifierBit(SourceModifier::X2) |
    ModifierBit(SourceModifier::X2_NEGATE);
constexpr uint32_t COORDINATE_MODIFIERS =
    ModifierBit(SourceModifier::NONE) | ModifierBit(SourceModifier::DZ) | ModifierBit(SourceModifier::DW);

const char* ModifierName(SourceModifier modifier) {
  static constexpr const char* NAMES[] = {"none", "-",     "_bias", "-_bias", "_bx2", "-_bx2", "1-",
                                          "_x2",  "-_x2", "_dz",   "_dw",    "_abs", "-_abs", "!"};
  const auto value = static_cast<size_t>(modifier);
  return value < std::size(NAMES) ? NAMES[value] : "unknown";
}

const char* OperandDescription(Operand operand) {
  switch (operand) {
    case Operand::WRITE: return "a writable register";
    case Operand::TEXTURE_WRITE:
    case Operand::TEXTURE_READ: return "a texture register (t#)";
    case Operand::KILL: return "a temporary or texture register";
    case Operand::ADDRESS_WRITE: return "the address register a0";
    case Operand::DECLARED: return "an input, texture or sampler register";
    case Operand::FLOAT_CONSTANT: return "a constant register (c#)";
    case Operand::INT_CONSTANT:
    case Operand::INT: return "an integer constant register (i#)";
    case Operand::BOOL_CONSTANT:
    case Operand::BOOL: return "a boolean constant register (b#)";
    case Operand::READ:
    case Operand::COORDINATE: return "a readable register";
    case Operand::SAMPLER: return "a sampler register (s#)";
    case Operand::LABEL: return "a label (l#)";
    case Operand::LOOP_COUNTER: return "the loop counter aL";
    case Operand::NONE: break;
  }
  return "no operand";
}

std::string ShiftName(int shift) {
  return shift > 0 ? "_x" + std::to_string(1 << shift) : "_d" + std::to_string(1 << -shift);
}

}  // namespace

bool ShaderModel::IsSupported(uint32_t version) {
  const uint32_t major = ShaderTokens::VersionMajor(version);
  const uint32_t minor = ShaderTokens::VersionMinor(version);
  if (ShaderTokens::IsVertexVersion(version)) return (major == 1 && minor == 1) || (major == 2 && minor == 0);
  if (ShaderTokens::IsPixelVersion(version)) {
    return (major == 1 && minor >= 1 && minor <= 4) || (major == 2 && minor == 0);
  }
  return false;
}

std::string ShaderModel::VersionName(uint32_t version) {
  if (!ShaderTokens::IsVertexVersion(version) && !ShaderTokens::IsPixelVersion(version)) {
    char text[32];
    std::snprintf(text, sizeof(text), "0x%08x", version);
    return text;
  }
  const uint32_t major = ShaderTokens::VersionMajor(version);
  const uint32_t minor = ShaderTokens::VersionMinor(version);
  std::string name = ShaderTokens::IsPixelVersion(version) ? "ps_" : "vs_";
  name += std::to_string(major) + "_";
  if (minor == 0xFF) {
    name += "sw";
  } else if (major == 2 && minor == 1) {
    name += "x";
  } else {
    name += std::to_string(minor);
  }
  return name;
}

bool ShaderModel::IsKnownInstruction(std::string_view name) {
  for (const Info& info : INSTRUCTIONS) {
    if (name == info.name) return true;
  }
  return false;
}

ShaderModel::ShaderModel(uint32_t version) : version(version) {
  if (!IsPixel()) {
    row = Major() == 1 ? VS_1_1 : VS_2_0;
  } else {
    row = Major() == 2 ? PS_2_0 : PS_1_1 + static_cast<int>(Minor()) - 1;
  }
}

const ShaderModel::InstructionInfo* ShaderModel::Find(std::string_view name) const {
  for (const Info& info : INSTRUCTIONS) {
    if ((info.models & 1u << row) && name == info.name) return &info;
  }
  return nullptr;
}

const ShaderModel::InstructionInfo* ShaderModel::Find(Opcode opcode, uint8_t controls) const {
  for (const Info& info : INSTRUCTIONS) {
    if ((info.models & 1u << row) && info.opcode == opcode && info.controls == controls) return &info;
  }
  return nullptr;
}

uint32_t ShaderModel::RegisterCount(RegisterType type) const {
  const auto value = static_cast<size_t>(type);
  return value < REGISTER_COUNTS[row].size() ? REGISTER_COUNTS[row][value] : 0;
}

std::string ShaderModel::RegisterName(RegisterType type, uint32_t number) const {
  const std::string n = std::to_string(number);
  switch (type) {
    case RegisterType::TEMP: return "r" + n;
    case RegisterType::INPUT: return "v" + n;
    case RegisterType::CONST: return "c" + n;
    case RegisterType::ADDRESS: return (IsPixel() ? "t" : "a") + n;
    case RegisterType::RASTOUT:
      if (number == ShaderTokens::POSITION_OUT) return "oPos";
      if (number == ShaderTokens::FOG_OUT) return "oFog";
      if (number == ShaderTokens::POINT_SIZE_OUT) return "oPts";
      return "oRast" + n;
    case RegisterType::ATTROUT: return "oD" + n;
    case RegisterType::TEXCRDOUT: return "oT" + n;
    case RegisterType::CONSTINT: return "i" + n;
    case RegisterType::COLOROUT: return "oC" + n;
    case RegisterType::DEPTHOUT: return number == 0 ? "oDepth" : "oDepth" + n;
    case RegisterType::SAMPLER: return "s" + n;
    case RegisterType::CONST2: return "c" + std::to_string(number + 2048);
    case RegisterType::CONST3: return "c" + std::to_string(number + 4096);
    case RegisterType::CONST4: return "c" + std::to_string(number + 6144);
    case RegisterType::CONSTBOOL: return "b" + n;
    case RegisterType::LOOP: return number == 0 ? "aL" : "aL" + n;
    case RegisterType::TEMPFLOAT16: return "half" + n;
    case RegisterType::MISCTYPE: return "misc" + n;
    case RegisterType::LABEL: return "l" + n;
    case RegisterType::PREDICATE: return "p" + n;
  }
  return "register type " + std::to_string(static_cast<int>(type));
}

bool ShaderModel::CheckRegister(RegisterType type, uint32_t number, std::string& error) const {
  const uint32_t count = RegisterCount(type);
  if (count == 0) {
    error = "register " + RegisterName(type, number) + " is not available in " + Name();
    return false;
  }
  if (number >= count) {
    error = "register " + RegisterName(type, number) + " is out of range in " + Name() + " (" +
            RegisterName(type, 0) + " to " + RegisterName(type, count - 1) + ")";
    return false;
  }
  return true;
}

bool ShaderModel::Check(const DecodedShader::Instruction& instruction, std::string& error) const {
  const Info* info = Find(instruction.opcode, instruction.controls);
  if (info == nullptr) {
    char text[96];
    std::snprintf(text, sizeof(text), "opcode 0x%04x (controls %u) is not available in %s",
                  static_cast<unsigned>(instruction.opcode), instruction.controls, Name().c_str());
    error = text;
    return false;
  }
  const std::string name = std::string("'") + info->name + "'";
  if (instruction.coissue && !(IsPixel() && Major() == 1 && info->coissuable)) {
    error = "co-issue ('+') is not available for " + name + " in " + Name();
    return false;
  }
  const uint8_t literals = info->literal == Literal::FLOAT4 || info->literal == Literal::INT4 ? 4
                           : info->literal == Literal::BOOL1                                  ? 1
                                                                                              : 0;
  if (instruction.hasDestination != (info->destination != Operand::NONE) ||
      instruction.sourceCount != info->sourceCount || instruction.literalCount != literals) {
    error = name + " has the wrong number of operands";
    return false;
  }
  if (info->literal == Literal::BOOL1 && instruction.literals[0] > 1) {
    error = "defb takes true or false";
    return false;
  }
  if (instruction.hasDestination && !CheckDestination(*info, instruction, error)) return false;
  for (int i = 0; i < info->sourceCount; ++i) {
    if (!CheckSource(*info, i, instruction.sources[i], error)) return false;
  }
  return instruction.opcode != Opcode::DCL || CheckDeclaration(instruction, error);
}

bool ShaderModel::CheckDestination(const Info& info, const DecodedShader::Instruction& instruction,
                                   std::string& error) const {
  const DecodedShader::Destination& destination = instruction.destination;
  if (!CheckRegister(destination.type, destination.number, error)) return false;
  bool allowed = false;
  switch (info.destination) {
    case Operand::WRITE:
      allowed = (WRITABLE[row] & TypeBit(destination.type)) != 0 ||
                (row == VS_1_1 && info.opcode == Opcode::MOV && destination.type == RegisterType::ADDRESS);
      break;
    case Operand::TEXTURE_WRITE: allowed = destination.type == RegisterType::TEXTURE; break;
    case Operand::KILL:
      allowed = destination.type == RegisterType::TEXTURE ||
                (destination.type == RegisterType::TEMP && row >= PS_1_4);
      break;
    case Operand::ADDRESS_WRITE: allowed = destination.type == RegisterType::ADDRESS; break;
    case Operand::DECLARED:
      allowed = destination.type == RegisterType::INPUT ||
                (row == PS_2_0 &&
                 (destination.type == RegisterType::TEXTURE || destination.type == RegisterType::SAMPLER));
      break;
    case Operand::FLOAT_CONSTANT: allowed = destination.type == RegisterType::CONST; break;
    case Operand::INT_CONSTANT: allowed = destination.type == RegisterType::CONSTINT; break;
    case Operand::BOOL_CONSTANT: allowed = destination.type == RegisterType::CONSTBOOL; break;
    default: break;
  }
  const std::string registerName = RegisterName(destination.type, destination.number);
  if (!allowed) {
    error = std::string("'") + info.name + "' needs " + OperandDescription(info.destination) +
            " as destination, found " + registerName;
    return false;
  }
  if (destination.writeMask == 0 || destination.writeMask > ShaderTokens::MASK_ALL) {
    error = "invalid write mask on " + registerName;
    return false;
  }
  const bool constant = info.destination == Operand::FLOAT_CONSTANT || info.destination == Operand::INT_CONSTANT ||
                        info.destination == Operand::BOOL_CONSTANT;
  if (constant && destination.writeMask != ShaderTokens::MASK_ALL) {
    error = std::string("'") + info.name + "' takes no write mask";
    return false;
  }

  // Result modifiers and shifts by model and instruction.
  uint8_t modifiers = 0;
  bool shift = false;
  if (IsPixel() && Major() == 1) {
    if (!constant && info.destination != Operand::KILL) {
      modifiers = ShaderTokens::SATURATE;
      shift = true;
    }
  } else if (IsPixel()) {
    if (info.opcode == Opcode::DCL) {
      if (destination.type != RegisterType::SAMPLER) {
        modifiers = ShaderTokens::PARTIAL_PRECISION | ShaderTokens::CENTROID;
      }
    } else if (info.destination == Operand::WRITE) {
      modifiers = ShaderTokens::SATURATE | ShaderTokens::PARTIAL_PRECISION |
                  (info.opcode == Opcode::TEX ? ShaderTokens::CENTROID : 0);
    }
  }
  const uint8_t extra = destination.modifiers & ~modifiers;
  if (extra != 0) {
    const char* modifier = (extra & ShaderTokens::SATURATE)            ? "_sat"
                           : (extra & ShaderTokens::PARTIAL_PRECISION) ? "_pp"
                           : (extra & ShaderTokens::CENTROID)          ? "_centroid"
                                                                       : "unknown result modifier";
    error = std::string(modifier) + " is not available on '" + info.name + "' in " + Name();
    return false;
  }
  if (destination.shift != 0) {
    if (!shift) {
      error = "shift " + (destination.shift >= -3 && destination.shift <= 3 ? ShiftName(destination.shift)
                                                                             : std::string("modifier")) +
              " is not available on '" + info.name + "' in " + Name();
      return false;
    }
    if (destination.shift < -3 || destination.shift > 3) {
      error = "invalid shift " + std::to_string(destination.shift);
      return false;
    }
  }
  return true;
}

bool ShaderModel::CheckSource(const Info& info, int slot, const DecodedShader::Source& source,
                              std::string& error) const {
  const Operand operand = info.sources[slot];
  const std::string position = "operand " + std::to_string(slot + 1 + (info.destination != Operand::NONE)) +
                               " of '" + info.name + "'";
  if (!CheckRegister(source.type, source.number, error)) return false;
  uint32_t types = 0;
  uint32_t modifiers = ModifierBit(SourceModifier::NONE);
  bool plain = false;  // a register named only: no swizzle
  switch (operand) {
    case Operand::READ:
    case Operand::TEXTURE_READ:
    case Operand::COORDINATE:
      types = operand == Operand::TEXTURE_READ ? TypeBit(RegisterType::TEXTURE)
                                               : READABLE | (IsPixel() ? TypeBit(RegisterType::TEXTURE) : 0);
      modifiers = operand == Operand::COORDINATE             ? COORDINATE_MODIFIERS
                  : IsPixel() && Major() == 1                 ? PS_1_MODIFIERS
                                                              : NEGATE_ONLY;
      break;
    case Operand::SAMPLER: types = TypeBit(RegisterType::SAMPLER); plain = true; break;
    case Operand::LABEL: types = TypeBit(RegisterType::LABEL); plain = true; break;
    case Operand::INT: types = TypeBit(RegisterType::CONSTINT); plain = true; break;
    case Operand::LOOP_COUNTER: types = TypeBit(RegisterType::LOOP); plain = true; break;
    case Operand::BOOL:
      types = TypeBit(RegisterType::CONSTBOOL);
      modifiers |= ModifierBit(SourceModifier::NOT);
      plain = true;
      break;
    default: break;
  }
  const std::string registerName = RegisterName(source.type, source.number);
  if ((types & TypeBit(source.type)) == 0) {
    error = position + " needs " + OperandDescription(operand) + ", found " + registerName;
    return false;
  }
  if (static_cast<uint32_t>(source.modifier) >= ShaderTokens::SOURCE_MODIFIER_COUNT) {
    error = position + " has an invalid source modifier";
    return false;
  }
  if ((modifiers & ModifierBit(source.modifier)) == 0) {
    error = std::string("source modifier '") + ModifierName(source.modifier) + "' is not available on " +
            position + " in " + Name();
    return false;
  }
  if (plain && source.swizzle != ShaderTokens::IDENTITY_SWIZZLE) {
    error = position + " takes no swizzle";
    return false;
  }
  if (source.relative) {
    if (IsPixel() || source.type != RegisterType::CONST || operand != Operand::READ) {
      error = "relative addressing is not available for " + registerName + " in " + Name();
      return false;
    }
    if (row == VS_1_1) {
      if (source.relativeType != RegisterType::ADDRESS || source.relativeSwizzle != 0) {
        error = "relative addressing in vs_1_1 takes a0.x only";
        return false;
      }
    } else if (source.relativeType == RegisterType::LOOP) {
      if (source.relativeSwizzle != ShaderTokens::IDENTITY_SWIZZLE) {
        error = "aL takes no swizzle";
        return false;
      }
    } else if (source.relativeType != RegisterType::ADDRESS) {
      error = "relative addressing takes a0 or aL";
      return false;
    }
  }
  return true;
}

bool ShaderModel::CheckDeclaration(const DecodedShader::Instruction& instruction, std::string& error) const {
  const DecodedShader::Destination& destination = instruction.destination;
  const auto usage = static_cast<uint32_t>(instruction.usage);
  const auto samplerType = instruction.samplerType;
  if (!IsPixel()) {
    if (usage >= ShaderTokens::USAGE_COUNT || instruction.usageIndex > 15 ||
        samplerType != ShaderTokens::SamplerType::UNKNOWN) {
      error = "invalid usage in dcl";
      return false;
    }
    return true;
  }
  if (usage != 0 || instruction.usageIndex != 0) {
    error = "dcl takes no usage in " + Name();
    return false;
  }
  if (destination.type == RegisterType::SAMPLER) {
    if (samplerType != ShaderTokens::SamplerType::TEXTURE_2D && samplerType != ShaderTokens::SamplerType::CUBE &&
        samplerType != ShaderTokens::SamplerType::VOLUME) {
      error = "sampler declaration needs _2d, _cube or _volume";
      return false;
    }
    if (destination.writeMask != ShaderTokens::MASK_ALL) {
      error = "sampler declaration takes no write mask";
      return false;
    }
  } else if (samplerType != ShaderTokens::SamplerType::UNKNOWN) {
    error = "texture type on a dcl of " + RegisterName(destination.type, destination.number);
    return false;
  }
  return true;
}

}  // namespace ynx
