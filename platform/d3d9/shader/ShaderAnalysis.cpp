#include "platform/d3d9/shader/ShaderAnalysis.h"

#include <algorithm>

#include "platform/d3d9/shader/ShaderModel.h"

namespace ynx {

namespace {

using Opcode = ShaderTokens::Opcode;
using RegisterType = ShaderTokens::RegisterType;

// Rows of the matrix instructions: src1 names the first of this many
// consecutive registers.
uint32_t MatrixRows(Opcode opcode) {
  switch (opcode) {
    case Opcode::M4X4:
    case Opcode::M3X4: return 4;
    case Opcode::M4X3:
    case Opcode::M3X3: return 3;
    case Opcode::M3X2: return 2;
    default: return 1;
  }
}

// ps_1_1 to 1_3 texture matrices: the rows their last instruction needs
// before it, and the pad instruction that provides them.
int TextureMatrixRows(Opcode opcode, Opcode& pad) {
  switch (opcode) {
    case Opcode::TEXM3X2TEX:
    case Opcode::TEXM3X2DEPTH: pad = Opcode::TEXM3X2PAD; return 1;
    case Opcode::TEXM3X3TEX:
    case Opcode::TEXM3X3SPEC:
    case Opcode::TEXM3X3VSPEC:
    case Opcode::TEXM3X3: pad = Opcode::TEXM3X3PAD; return 2;
    default: return 0;
  }
}

// ps_1_1 to 1_3 texture instructions that sample the destination's stage.
bool SamplesOwnStage(Opcode opcode) {
  switch (opcode) {
    case Opcode::TEX:
    case Opcode::TEXBEM:
    case Opcode::TEXBEML:
    case Opcode::TEXREG2AR:
    case Opcode::TEXREG2GB:
    case Opcode::TEXREG2RGB:
    case Opcode::TEXM3X2TEX:
    case Opcode::TEXM3X3TEX:
    case Opcode::TEXM3X3SPEC:
    case Opcode::TEXM3X3VSPEC:
    case Opcode::TEXDP3TEX: return true;
    default: return false;
  }
}

bool IsTextureAddressing(Opcode opcode) {
  return opcode == Opcode::TEXCOORD || opcode == Opcode::TEXKILL ||
         (opcode >= Opcode::TEX && opcode <= Opcode::TEXM3X3VSPEC) ||
         (opcode >= Opcode::TEXREG2RGB && opcode <= Opcode::TEXDEPTH);
}

std::string Name(const ShaderModel& model, RegisterType type, uint32_t number) {
  return model.RegisterName(type, number);
}

}  // namespace

bool ShaderAnalysis::Run(const DecodedShader& shader, std::string& error) {
  *this = ShaderAnalysis();
  if (!ShaderModel::IsSupported(shader.version)) {
    error = "unsupported shader model " + ShaderModel::VersionName(shader.version);
    return false;
  }
  pixel = shader.IsPixelShader();
  major = shader.Major();
  minor = shader.Minor();
  interface.pixel = pixel;
  interface.keyMask = ShaderKey();
  interface.keyMask.alphaFunction = 0;

  const size_t count = shader.instructions.size();
  partner.assign(count, NONE);
  mainEnd = count;

  // dcl and def apply to the whole shader wherever they stand.
  const ShaderModel model(shader.version);
  for (size_t i = 0; i < count; ++i) {
    const Instruction& instruction = shader.instructions[i];
    if (!model.Check(instruction, error)) {
      error = "instruction " + std::to_string(i + 1) + ": " + error;
      return false;
    }
    const DecodedShader::Destination& destination = instruction.destination;
    if (instruction.opcode == Opcode::DEF || instruction.opcode == Opcode::DEFI ||
        instruction.opcode == Opcode::DEFB) {
      definitions.push_back({destination.type, destination.number, instruction.literals});
      if (destination.type == RegisterType::CONST &&
          std::find(floatNumbers.begin(), floatNumbers.end(), destination.number) == floatNumbers.end()) {
        floatNumbers.push_back(destination.number);
      }
    } else if (instruction.opcode == Opcode::DCL) {
      if (!pixel) {
        auto input = std::find_if(interface.inputs.begin(), interface.inputs.end(),
                                  [&](const ShaderInterface::Input& entry) { return entry.location == destination.number; });
        if (input == interface.inputs.end()) input = interface.inputs.emplace(interface.inputs.end());
        *input = {destination.number, instruction.usage, instruction.usageIndex, true};
      } else if (destination.type == RegisterType::SAMPLER) {
        declaredSamplers[destination.number] = instruction.samplerType;
      } else if (destination.modifiers & ShaderTokens::CENTROID) {
        (destination.type == RegisterType::TEXTURE ? centroidTexcoords : centroidColors) |=
            static_cast<uint8_t>(1u << destination.number);
      }
    }
  }
  std::sort(floatNumbers.begin(), floatNumbers.end());

  // Texture matrices first: noting what their rows read needs them whole.
  if (!CheckTextureMatrices(shader, error)) return false;
  for (size_t i = 0; i < count; ++i) {
    if (!CheckInstruction(shader, i, error)) {
      error = "instruction " + std::to_string(i + 1) + ": " + error;
      return false;
    }
  }
  if (!CheckFlowControl(shader, error)) return false;

  std::sort(interface.inputs.begin(), interface.inputs.end(),
            [](const auto& a, const auto& b) { return a.location < b.location; });
  for (uint32_t unit = 0; unit < ShaderInterface::SAMPLERS; ++unit) {
    if ((sampledUnits >> unit & 1) == 0) continue;
    uint32_t kind = ShaderKey::KIND_2D;
    if (declaredSamplers[unit] == ShaderTokens::SamplerType::CUBE) kind = ShaderKey::KIND_CUBE;
    if (declaredSamplers[unit] == ShaderTokens::SamplerType::VOLUME) kind = ShaderKey::KIND_VOLUME;
    interface.samplers.push_back({unit, kind, false});
  }
  FinishKeyMask();
  return true;
}

size_t ShaderAnalysis::SubroutineOf(uint32_t label) const {
  for (size_t i = 0; i < subroutines.size(); ++i) {
    if (subroutines[i].label == label) return i;
  }
  return NONE;
}

bool ShaderAnalysis::Find(RegisterType type, uint32_t number, std::array<uint32_t, 4>& values) const {
  for (auto it = definitions.rbegin(); it != definitions.rend(); ++it) {
    if (it->type == type && it->number == number) {
      values = it->values;
      return true;
    }
  }
  return false;
}

bool ShaderAnalysis::FloatDefinition(uint32_t number, std::array<uint32_t, 4>& values) const {
  return Find(RegisterType::CONST, number, values);
}

bool ShaderAnalysis::IntegerDefinition(uint32_t number, std::array<int32_t, 4>& values) const {
  std::array<uint32_t, 4> bits{};
  if (!Find(RegisterType::CONSTINT, number, bits)) return false;
  for (int i = 0; i < 4; ++i) values[i] = static_cast<int32_t>(bits[i]);
  return true;
}

bool ShaderAnalysis::BooleanDefinition(uint32_t number, bool& value) const {
  std::array<uint32_t, 4> bits{};
  if (!Find(RegisterType::CONSTBOOL, number, bits)) return false;
  value = bits[0] != 0;
  return true;
}

void ShaderAnalysis::NoteConstant(uint32_t number) {
  std::array<uint32_t, 4> unused{};
  if (number < ShaderInterface::VERTEX_FLOAT_CONSTANTS && !FloatDefinition(number, unused)) {
    interface.constants.set(number);
  }
}

void ShaderAnalysis::NoteSource(const Instruction& instruction, int slot) {
  const DecodedShader::Source& source = instruction.sources[slot];
  const uint32_t rows = slot == 1 ? MatrixRows(instruction.opcode) : 1;
  switch (source.type) {
    case RegisterType::TEMP: temporaries |= ((1u << rows) - 1) << source.number; break;
    case RegisterType::INPUT:
      if (pixel) {
        interface.colorsRead |= static_cast<uint8_t>(((1u << rows) - 1) << source.number);
        break;
      }
      for (uint32_t row = 0; row < rows; ++row) {
        const uint32_t location = source.number + row;
        const bool known = std::any_of(interface.inputs.begin(), interface.inputs.end(),
                                       [&](const auto& entry) { return entry.location == location; });
        if (!known) interface.inputs.push_back({location, ShaderTokens::Usage::POSITION, 0, false});
      }
      break;
    case RegisterType::CONST:
      if (source.relative) {
        interface.relativeConstants = true;
        if (source.relativeType == RegisterType::LOOP) {
          usesLoopCounter = true;
        } else {
          usesAddress = true;
        }
      } else {
        for (uint32_t row = 0; row < rows; ++row) NoteConstant(source.number + row);
      }
      break;
    case RegisterType::TEXTURE:  // t# in pixel shaders (a0 is never a source)
      textureRegisters |= ((1u << rows) - 1) << source.number;
      interface.texcoordsRead |= static_cast<uint8_t>(((1u << rows) - 1) << source.number);
      break;
    case RegisterType::CONSTINT: {
      std::array<int32_t, 4> unused{};
      if (!IntegerDefinition(source.number, unused)) interface.integerConstants |= static_cast<uint16_t>(1u << source.number);
      break;
    }
    case RegisterType::CONSTBOOL: {
      bool unused = false;
      if (!BooleanDefinition(source.number, unused)) interface.booleanConstants |= static_cast<uint16_t>(1u << source.number);
      break;
    }
    case RegisterType::LOOP: usesLoopCounter = true; break;
    default: break;
  }
}

void ShaderAnalysis::NoteDestination(const Instruction& instruction) {
  const DecodedShader::Destination& destination = instruction.destination;
  switch (destination.type) {
    case RegisterType::TEMP: temporaries |= 1u << destination.number; break;
    case RegisterType::TEXTURE:
      if (pixel) {
        textureRegisters |= 1u << destination.number;
      } else {
        usesAddress = true;
      }
      break;
    case RegisterType::RASTOUT:
      interface.outputs |= destination.number == ShaderTokens::POSITION_OUT ? ShaderInterface::OUTPUT_POSITION
                           : destination.number == ShaderTokens::FOG_OUT    ? ShaderInterface::OUTPUT_FOG
                                                                            : ShaderInterface::OUTPUT_POINT_SIZE;
      break;
    case RegisterType::ATTROUT: interface.outputs |= ShaderInterface::OUTPUT_COLOR0 << destination.number; break;
    case RegisterType::TEXCRDOUT: interface.outputs |= ShaderInterface::OUTPUT_TEXCOORD0 << destination.number; break;
    case RegisterType::COLOROUT: interface.renderTargets |= static_cast<uint8_t>(1u << destination.number); break;
    case RegisterType::DEPTHOUT: interface.writesDepth = true; break;
    default: break;
  }
}

void ShaderAnalysis::NoteSampling(const Instruction& instruction) {
  const uint32_t number = instruction.destination.number;
  if (IsLegacyPixel()) {
    // The destination names the stage and its texture coordinates.
    textureRegisters |= 1u << number;
    interface.texcoordsRead |= static_cast<uint8_t>(1u << number);
    if (SamplesOwnStage(instruction.opcode)) sampledUnits |= 1u << number;
    if (instruction.opcode == Opcode::TEX) projectedStages |= 1u << number;
    if (instruction.opcode == Opcode::TEXBEM || instruction.opcode == Opcode::TEXBEML) {
      interface.bumpStages |= static_cast<uint8_t>(1u << number);
    }
    Opcode pad = Opcode::NOP;
    const int rows = TextureMatrixRows(instruction.opcode, pad);
    for (int row = 1; row <= rows; ++row) {
      interface.texcoordsRead |= static_cast<uint8_t>(1u << (number - row));
    }
  } else if (IsPixel14()) {
    if (instruction.opcode == Opcode::TEX) sampledUnits |= 1u << number;
  } else if (instruction.opcode == Opcode::TEX) {
    sampledUnits |= 1u << instruction.sources[1].number;
  }
}

bool ShaderAnalysis::CheckInstruction(const DecodedShader& shader, size_t index, std::string& error) {
  const Instruction& instruction = shader.instructions[index];
  const Opcode opcode = instruction.opcode;
  const ShaderModel model(shader.version);
  switch (opcode) {
    case Opcode::DCL:
    case Opcode::DEF:
    case Opcode::DEFI:
    case Opcode::DEFB:
    case Opcode::NOP: return true;
    case Opcode::PHASE:
      if (hasPhase) {
        error = "a second phase marker";
        return false;
      }
      hasPhase = true;
      return true;
    default: break;
  }

  for (int slot = 0; slot < instruction.sourceCount; ++slot) {
    const DecodedShader::Source& source = instruction.sources[slot];
    const uint32_t rows = slot == 1 ? MatrixRows(opcode) : 1;
    if (rows > 1 && source.number + rows > model.RegisterCount(source.type)) {
      error = "the matrix at " + Name(model, source.type, source.number) + " runs past the last register";
      return false;
    }
    if (!pixel && source.type == RegisterType::CONST && !source.relative &&
        source.number + rows > ShaderInterface::VERTEX_FLOAT_CONSTANTS) {
      error = Name(model, source.type, source.number + rows - 1) + " is beyond the device's " +
              std::to_string(ShaderInterface::VERTEX_FLOAT_CONSTANTS) + " vertex constants";
      return false;
    }
    if (pixel && major == 2 && opcode == Opcode::TEX && slot == 1 &&
        declaredSamplers[source.number] == ShaderTokens::SamplerType::UNKNOWN) {
      error = "s" + std::to_string(source.number) + " is sampled without a dcl";
      return false;
    }
    NoteSource(instruction, slot);
  }

  if (pixel && (IsTextureAddressing(opcode) || opcode == Opcode::BEM)) {
    if (opcode == Opcode::TEXKILL) {
      interface.kills = true;
      // texkill reads the register its destination token names.
      const DecodedShader::Destination& destination = instruction.destination;
      if (destination.type == RegisterType::TEMP) temporaries |= 1u << destination.number;
      if (destination.type == RegisterType::TEXTURE) {
        textureRegisters |= 1u << destination.number;
        interface.texcoordsRead |= static_cast<uint8_t>(1u << destination.number);
      }
      return true;
    }
    if (opcode == Opcode::TEXDEPTH || opcode == Opcode::TEXM3X2DEPTH) interface.writesDepth = true;
    if (opcode == Opcode::BEM) interface.bumpStages |= static_cast<uint8_t>(1u << instruction.destination.number);
    if (opcode != Opcode::BEM) NoteSampling(instruction);
  }
  if (instruction.hasDestination) NoteDestination(instruction);
  return true;
}

bool ShaderAnalysis::CheckFlowControl(const DecodedShader& shader, std::string& error) {
  struct Open {
    Opcode opcode;
    size_t index;
  };
  struct Call {
    size_t index;
    uint32_t label;
    size_t subroutine;  // the caller's, NONE for the main program
    bool inLoop;
  };
  std::vector<Open> open;
  std::vector<Call> calls;
  std::vector<bool> hasLoop;  // per subroutine
  size_t current = NONE;
  int loops = 0;
  const auto fail = [&](size_t index, const std::string& text) {
    error = "instruction " + std::to_string(index + 1) + ": " + text;
    return false;
  };
  const auto closeSection = [&](size_t index) {
    if (!open.empty()) return fail(open.back().index, "this block is not closed before its end");
    if (current != NONE) subroutines[current].end = index;
    return true;
  };

  const size_t count = shader.instructions.size();
  for (size_t i = 0; i < count; ++i) {
    const Instruction& instruction = shader.instructions[i];
    switch (instruction.opcode) {
      case Opcode::LABEL: {
        if (!closeSection(i)) return false;
        const uint32_t label = instruction.sources[0].number;
        if (SubroutineOf(label) != NONE) return fail(i, "label l" + std::to_string(label) + " is defined twice");
        if (current == NONE) mainEnd = i;
        current = subroutines.size();
        subroutines.push_back({label, i + 1, count});
        hasLoop.push_back(false);
        break;
      }
      case Opcode::IF: open.push_back({Opcode::IF, i}); break;
      case Opcode::ELSE:
        if (open.empty() || open.back().opcode != Opcode::IF) return fail(i, "else without if");
        partner[open.back().index] = i;
        open.back() = {Opcode::ELSE, i};
        break;
      case Opcode::ENDIF:
        if (open.empty() || (open.back().opcode != Opcode::IF && open.back().opcode != Opcode::ELSE)) {
          return fail(i, "endif without if");
        }
        partner[open.back().index] = i;
        open.pop_back();
        break;
      case Opcode::LOOP:
      case Opcode::REP:
        if (loops > 0) return fail(i, "loop and rep blocks nest only one deep in vs_2_0");
        ++loops;
        if (current != NONE) hasLoop[current] = true;
        open.push_back({instruction.opcode, i});
        break;
      case Opcode::ENDLOOP:
      case Opcode::ENDREP: {
        const Opcode opener = instruction.opcode == Opcode::ENDLOOP ? Opcode::LOOP : Opcode::REP;
        if (open.empty() || open.back().opcode != opener) {
          return fail(i, instruction.opcode == Opcode::ENDLOOP ? "endloop without loop" : "endrep without rep");
        }
        partner[open.back().index] = i;
        partner[i] = open.back().index;
        open.pop_back();
        --loops;
        break;
      }
      case Opcode::CALL:
      case Opcode::CALLNZ: calls.push_back({i, instruction.sources[0].number, current, loops > 0}); break;
      default: break;
    }
  }
  if (!closeSection(count)) return false;

  for (const Call& call : calls) {
    const size_t callee = SubroutineOf(call.label);
    if (callee == NONE) return fail(call.index, "call to l" + std::to_string(call.label) + ", which is not defined");
    if (call.subroutine != NONE) return fail(call.index, "calls nest only one deep in vs_2_0");
    if (call.inLoop && hasLoop[callee]) {
      return fail(call.index, "loop and rep blocks nest only one deep in vs_2_0 (through the call)");
    }
  }
  return true;
}

bool ShaderAnalysis::CheckTextureMatrices(const DecodedShader& shader, std::string& error) {
  if (!IsLegacyPixel()) return true;
  const auto& instructions = shader.instructions;
  std::vector<bool> consumed(instructions.size(), false);
  for (size_t i = 0; i < instructions.size(); ++i) {
    Opcode pad = Opcode::NOP;
    const int rows = TextureMatrixRows(instructions[i].opcode, pad);
    const uint32_t number = instructions[i].destination.number;
    for (int row = 1; row <= rows; ++row) {
      const size_t j = i - row;
      if (i < static_cast<size_t>(row) || instructions[j].opcode != pad || instructions[j].destination.number + row != number) {
        error = "instruction " + std::to_string(i + 1) + ": a texture matrix needs " + std::to_string(rows) +
                " pad instruction(s) right before it, on the registers below t" + std::to_string(number);
        return false;
      }
      consumed[j] = true;
    }
  }
  for (size_t i = 0; i < instructions.size(); ++i) {
    const Opcode opcode = instructions[i].opcode;
    if ((opcode == Opcode::TEXM3X2PAD || opcode == Opcode::TEXM3X3PAD) && !consumed[i]) {
      error = "instruction " + std::to_string(i + 1) + ": this pad instruction is not followed by the rest of its matrix";
      return false;
    }
  }
  return true;
}

void ShaderAnalysis::FinishKeyMask() {
  ShaderKey& mask = interface.keyMask;
  if (!pixel) {
    mask.clipPlanes = (1u << ShaderInterface::CLIP_PLANES) - 1;
    return;
  }
  mask.fog = 0x7;
  mask.fogFromW = 1;
  mask.alphaFunction = 0xF;
  if (interface.colorsRead) mask.flatColors = 1;
  if (interface.texcoordsRead) mask.pointSprite = 1;
  for (uint32_t unit = 0; unit < ShaderInterface::SAMPLERS; ++unit) {
    if ((sampledUnits >> unit & 1) == 0) continue;
    const bool twoD = major == 1 || declaredSamplers[unit] == ShaderTokens::SamplerType::TEXTURE_2D;
    if (twoD) mask.shadowSamplers |= static_cast<uint16_t>(1u << unit);
    if (major == 1) mask.textureKinds |= 0x3u << (2 * unit);
    if (IsLegacyPixel() && (projectedStages >> unit & 1)) mask.projection |= 0x7u << (3 * unit);
  }
}

}  // namespace ynx
