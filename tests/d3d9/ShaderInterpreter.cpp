#include "tests/d3d9/ShaderInterpreter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <vector>

namespace ynx::test {

namespace {

using Vector = ShaderInterpreter::Vector;
using Opcode = ShaderTokens::Opcode;
using RegisterType = ShaderTokens::RegisterType;
using SourceModifier = ShaderTokens::SourceModifier;

constexpr float MAX = std::numeric_limits<float>::max();
constexpr Vector ZERO{0, 0, 0, 0};

// Infinities become +/-FLT_MAX, as the instruction reference has it.
float Finite(float value) { return std::isinf(value) ? std::copysign(MAX, value) : value; }
float Exp2(float x) { return Finite(std::exp2(x)); }
float Log2(float x) {
  const float f = std::fabs(x);
  return f == 0.0f ? -MAX : Finite(std::log2(f));
}
float Pow(float base, float exponent) { return Exp2(exponent * Log2(base)); }
float Rcp(float x) {
  if (x == 0.0f) return MAX;
  return x == 1.0f ? 1.0f : Finite(1.0f / x);
}
float Rsq(float x) {
  const float f = std::fabs(x);
  if (f == 0.0f) return MAX;
  return f == 1.0f ? 1.0f : Finite(1.0f / std::sqrt(f));
}
float Clamp(float value, float low, float high) { return value < low ? low : value > high ? high : value; }

Vector Splat(float value) { return {value, value, value, value}; }
float Dot3(const Vector& a, const Vector& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
float Dot4(const Vector& a, const Vector& b) { return Dot3(a, b) + a[3] * b[3]; }

template <typename F>
Vector Map(const Vector& a, F f) {
  return {f(a[0]), f(a[1]), f(a[2]), f(a[3])};
}
template <typename F>
Vector Map(const Vector& a, const Vector& b, F f) {
  return {f(a[0], b[0]), f(a[1], b[1]), f(a[2], b[2]), f(a[3], b[3])};
}

// Integer address from a float: vs_1_1 mov floors, mova rounds to nearest.
int32_t Address(float value, bool round) {
  float v = std::floor(round ? value + 0.5f : value);
  if (!(v >= -1024.0f)) v = -1024.0f;
  if (v > 1024.0f) v = 1024.0f;
  return static_cast<int32_t>(v);
}

uint32_t MatrixRows(Opcode opcode) {
  switch (opcode) {
    case Opcode::M4X4:
    case Opcode::M3X4: return 4;
    case Opcode::M4X3:
    case Opcode::M3X3: return 3;
    case Opcode::M3X2: return 2;
    default: return 0;
  }
}

bool IsFlowOrDeclaration(Opcode opcode) {
  switch (opcode) {
    case Opcode::NOP:
    case Opcode::DCL:
    case Opcode::DEF:
    case Opcode::DEFI:
    case Opcode::DEFB:
    case Opcode::LABEL:
    case Opcode::PHASE:
    case Opcode::CALL:
    case Opcode::CALLNZ:
    case Opcode::LOOP:
    case Opcode::ENDLOOP:
    case Opcode::REP:
    case Opcode::ENDREP:
    case Opcode::IF:
    case Opcode::ELSE:
    case Opcode::ENDIF:
    case Opcode::RET: return true;
    default: return false;
  }
}

bool IsTexture(Opcode opcode) {
  return opcode == Opcode::TEXCOORD || opcode == Opcode::TEXKILL ||
         (opcode >= Opcode::TEX && opcode <= Opcode::TEXM3X3VSPEC) ||
         (opcode >= Opcode::TEXREG2RGB && opcode <= Opcode::TEXDEPTH);
}

}  // namespace

ShaderInterpreter::Inputs::Inputs() { vertex.fill({0, 0, 0, 1}); }

bool ShaderInterpreter::Run(const DecodedShader& decoded, const ShaderKey& runKey, const Inputs& runInputs,
                            Outputs& outputs, std::string& error) {
  if (!analysis.Run(decoded, error)) return false;
  shader = &decoded;
  inputs = &runInputs;
  key = runKey.Masked(analysis.Interface().keyMask);
  steps = 0;
  runaway = false;
  r.fill(ZERO);
  a0.fill(0);
  aL = 0;
  oPos = ZERO;
  oD = {Splat(1.0f), ZERO};
  oT.fill({0, 0, 0, 1});
  oFog = Splat(1.0f);
  oPts = Splat(1.0f);
  oC.fill(ZERO);
  oDepth = Splat(runInputs.fragmentDepth);
  depth = runInputs.fragmentDepth;
  killed = false;
  pendingRows = 0;
  // t# starts as the texture coordinates.
  for (size_t n = 0; n < t.size(); ++n) t[n] = runInputs.texcoords[n];

  const size_t mainEnd = analysis.IsPixel() ? decoded.instructions.size() : analysis.MainEnd();
  Execute(0, mainEnd);
  if (runaway) {
    error = "the shader runs past " + std::to_string(MAX_STEPS) + " steps";
    return false;
  }

  outputs = Outputs();
  const ShaderInterface& interface = analysis.Interface();
  if (!analysis.IsPixel()) {
    const auto saturate = [](const Vector& v) { return Map(v, [](float x) { return Clamp(x, 0.0f, 1.0f); }); };
    outputs.position = oPos;
    outputs.colors = {saturate(oD[0]), saturate(oD[1])};
    outputs.texcoords = oT;
    outputs.fog = Clamp(oFog[0], 0.0f, 1.0f);
    outputs.pointSize = oPts[0];
    return true;
  }
  outputs.killed = killed;
  if (analysis.IsPixel1()) {
    outputs.targets[0] = Map(r[0], [](float x) { return Clamp(x, 0.0f, 1.0f); });
    outputs.depth = depth;
  } else {
    outputs.targets = oC;
    outputs.depth = interface.writesDepth ? Clamp(oDepth[0], 0.0f, 1.0f) : runInputs.fragmentDepth;
  }
  return true;
}

bool ShaderInterpreter::Execute(size_t begin, size_t end) {
  const auto& instructions = shader->instructions;
  for (size_t pc = begin; pc < end && !runaway; ++pc) {
    if (++steps > MAX_STEPS) {
      runaway = true;
      return true;
    }
    const Instruction& instruction = instructions[pc];
    switch (instruction.opcode) {
      case Opcode::IF:
        if (!BooleanValue(instruction.sources[0])) {
          pc = analysis.Partner(pc);  // else (run what follows) or endif
        }
        break;
      case Opcode::ELSE: pc = analysis.Partner(pc); break;  // the if part ran: skip to endif
      case Opcode::LOOP:
      case Opcode::REP: {
        const bool loop = instruction.opcode == Opcode::LOOP;
        const std::array<int32_t, 4> counter = IntegerValue(instruction.sources[loop ? 1 : 0]);
        const size_t last = analysis.Partner(pc);
        const int32_t count = std::clamp(counter[0], 0, 255);
        for (int32_t pass = 0; pass < count; ++pass) {
          if (loop) aL = counter[1] + pass * counter[2];
          if (Execute(pc + 1, last)) return true;
        }
        pc = last;
        break;
      }
      case Opcode::CALL:
      case Opcode::CALLNZ:
        if (instruction.opcode == Opcode::CALL || BooleanValue(instruction.sources[1])) {
          const auto& subroutine = analysis.Subroutines()[analysis.SubroutineOf(instruction.sources[0].number)];
          Execute(subroutine.begin, subroutine.end);
          if (runaway) return true;
        }
        break;
      case Opcode::RET: return true;
      case Opcode::PHASE:
        // ps_1_4 temporaries lose their alpha here.
        for (Vector& temporary : r) temporary[3] = 0.0f;
        break;
      default:
        if (IsFlowOrDeclaration(instruction.opcode)) break;
        if (IsTexture(instruction.opcode)) {
          ExecuteTexture(instruction);
          break;
        }
        // A co-issued pair reads before it writes.
        size_t last = pc + 1;
        while (last < end && instructions[last].coissue && !IsTexture(instructions[last].opcode) &&
               !IsFlowOrDeclaration(instructions[last].opcode)) {
          ++last;
        }
        ExecuteArithmetic(pc, last);
        pc = last - 1;
        break;
    }
  }
  return false;
}

void ShaderInterpreter::ExecuteArithmetic(size_t begin, size_t end) {
  std::vector<std::pair<Vector, uint8_t>> results;
  for (size_t i = begin; i < end; ++i) {
    uint8_t produced = 0xF;
    const Vector value = Arithmetic(shader->instructions[i], produced);
    results.emplace_back(value, produced);
  }
  for (size_t i = begin; i < end; ++i) {
    Store(shader->instructions[i], results[i - begin].first, results[i - begin].second, true);
  }
}

ShaderInterpreter::Vector ShaderInterpreter::Arithmetic(const Instruction& instruction, uint8_t& produced) const {
  const auto src = [&](int slot) { return Read(instruction.sources[slot]); };
  // Scalar instructions read the first component their swizzle selects.
  const auto scalar = [&](int slot) { return Read(instruction.sources[slot])[0]; };
  switch (instruction.opcode) {
    case Opcode::MOV:
    case Opcode::MOVA: return src(0);
    case Opcode::ADD: return Map(src(0), src(1), [](float a, float b) { return a + b; });
    case Opcode::SUB: return Map(src(0), src(1), [](float a, float b) { return a - b; });
    case Opcode::MUL: return Map(src(0), src(1), [](float a, float b) { return a * b; });
    case Opcode::MAD: {
      const Vector product = Map(src(0), src(1), [](float a, float b) { return a * b; });
      return Map(product, src(2), [](float a, float b) { return a + b; });
    }
    case Opcode::RCP: return Splat(Rcp(scalar(0)));
    case Opcode::RSQ: return Splat(Rsq(scalar(0)));
    case Opcode::DP3: return Splat(Dot3(src(0), src(1)));
    case Opcode::DP4: return Splat(Dot4(src(0), src(1)));
    case Opcode::MIN: return Map(src(0), src(1), [](float a, float b) { return b < a ? b : a; });
    case Opcode::MAX: return Map(src(0), src(1), [](float a, float b) { return a < b ? b : a; });
    case Opcode::SLT: return Map(src(0), src(1), [](float a, float b) { return a < b ? 1.0f : 0.0f; });
    case Opcode::SGE: return Map(src(0), src(1), [](float a, float b) { return a >= b ? 1.0f : 0.0f; });
    case Opcode::EXP: return Splat(Exp2(scalar(0)));
    case Opcode::LOG:
    case Opcode::LOGP: return Splat(Log2(scalar(0)));
    case Opcode::EXPP: {
      const float v = scalar(0);
      if (analysis.Major() != 1) return Splat(Exp2(v));
      const float whole = std::floor(v);
      return {Exp2(whole), v - whole, Exp2(v), 1.0f};
    }
    case Opcode::LIT: {
      const Vector s = src(0);
      Vector d{1, 0, 0, 1};
      if (s[0] > 0.0f) {
        d[1] = s[0];
        if (s[1] > 0.0f) d[2] = Pow(s[1], Clamp(s[3], -127.9961f, 127.9961f));
      }
      return d;
    }
    case Opcode::DST: {
      const Vector a = src(0);
      const Vector b = src(1);
      return {1.0f, a[1] * b[1], a[2], b[3]};
    }
    case Opcode::LRP: {
      const Vector f = src(0);
      const Vector a = src(1);
      const Vector b = src(2);
      Vector d{};
      for (int i = 0; i < 4; ++i) d[i] = f[i] * a[i] + (1.0f - f[i]) * b[i];
      return d;
    }
    case Opcode::FRC: return Map(src(0), [](float x) { return x - std::floor(x); });
    case Opcode::M4X4:
    case Opcode::M4X3:
    case Opcode::M3X4:
    case Opcode::M3X3:
    case Opcode::M3X2: {
      const uint32_t count = MatrixRows(instruction.opcode);
      const bool four = instruction.opcode == Opcode::M4X4 || instruction.opcode == Opcode::M4X3;
      const Vector a = src(0);
      Vector d{};
      for (uint32_t row = 0; row < count; ++row) {
        const Vector m = Read(instruction.sources[1], row);
        d[row] = four ? Dot4(a, m) : Dot3(a, m);
      }
      produced = static_cast<uint8_t>((1u << count) - 1);
      return d;
    }
    case Opcode::POW: return Splat(Pow(scalar(0), scalar(1)));
    case Opcode::CRS: {
      const Vector a = src(0);
      const Vector b = src(1);
      produced = 0x7;
      return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0], 0.0f};
    }
    case Opcode::SGN: return Map(src(0), [](float x) { return x > 0.0f ? 1.0f : x < 0.0f ? -1.0f : 0.0f; });
    case Opcode::ABS: return Map(src(0), [](float x) { return std::fabs(x); });
    case Opcode::NRM: {
      const Vector s = src(0);
      const float length = Dot3(s, s);
      const float f = length != 0.0f ? 1.0f / std::sqrt(length) : MAX;
      return Map(s, [f](float x) { return x * f; });
    }
    case Opcode::SINCOS: {
      const float v = scalar(0);
      produced = 0x3;
      return {std::cos(v), std::sin(v), 0.0f, 0.0f};
    }
    case Opcode::CND: {
      const Vector c = src(0);
      const Vector a = src(1);
      const Vector b = src(2);
      return {c[0] > 0.5f ? a[0] : b[0], c[1] > 0.5f ? a[1] : b[1], c[2] > 0.5f ? a[2] : b[2], c[3] > 0.5f ? a[3] : b[3]};
    }
    case Opcode::CMP: {
      const Vector c = src(0);
      const Vector a = src(1);
      const Vector b = src(2);
      return {c[0] >= 0 ? a[0] : b[0], c[1] >= 0 ? a[1] : b[1], c[2] >= 0 ? a[2] : b[2], c[3] >= 0 ? a[3] : b[3]};
    }
    case Opcode::DP2ADD: {
      const Vector a = src(0);
      const Vector b = src(1);
      return Splat(a[0] * b[0] + a[1] * b[1] + scalar(2));
    }
    case Opcode::BEM: {
      // Stage dst's bump matrix turns src1's (du, dv) into an offset of src0.
      const Vector base = src(0);
      const Vector bump = src(1);
      const Vector& m = inputs->bumpMatrix[instruction.destination.number];
      produced = 0x3;
      return {base[0] + m[0] * bump[0] + m[2] * bump[1], base[1] + m[1] * bump[0] + m[3] * bump[1], 0.0f, 0.0f};
    }
    default: return ZERO;
  }
}

void ShaderInterpreter::ExecuteTexture(const Instruction& instruction) {
  const Opcode opcode = instruction.opcode;
  const DecodedShader::Destination& destination = instruction.destination;
  const uint32_t m = destination.number;
  const auto store = [&](const Vector& value) { Store(instruction, value, 0xF, false); };
  if (opcode == Opcode::TEXKILL) {
    Vector value{};
    uint8_t mask = 0x7;
    if (analysis.IsLegacyPixel()) {
      value = Texcoord(m);
    } else {
      value = destination.type == RegisterType::TEXTURE ? t[m] : r[m];
      if (!analysis.IsPixel1()) mask = destination.writeMask;
    }
    for (int i = 0; i < 4; ++i) {
      if ((mask >> i & 1) && value[i] < 0.0f) killed = true;
    }
    return;
  }
  if (!analysis.IsLegacyPixel()) {
    if (opcode == Opcode::TEXDEPTH) {
      depth = Clamp(r[m][1] == 0.0f ? 1.0f : r[m][0] / r[m][1], 0.0f, 1.0f);
    } else if (opcode == Opcode::TEXCOORD) {
      store(Read(instruction.sources[0]));
    } else if (analysis.IsPixel14()) {
      store(Sample(m, Read(instruction.sources[0]), 0, 0.0f));
    } else {
      const Vector coordinate = Read(instruction.sources[0]);
      const bool project = instruction.controls == ShaderTokens::TEXLD_PROJECT;
      const bool bias = instruction.controls == ShaderTokens::TEXLD_BIAS;
      store(Sample(instruction.sources[1].number, coordinate, project ? 3 : 0, bias ? coordinate[3] : 0.0f));
    }
    return;
  }

  const Vector texcoord = Texcoord(m);
  const Vector source = instruction.sourceCount > 0 ? Read(instruction.sources[0]) : ZERO;
  const float row = Dot3(texcoord, source);
  const auto reflect = [](const Vector& n, const Vector& e) {
    const float scale = 2.0f * Dot3(n, e) / Dot3(n, n);
    return Vector{scale * n[0] - e[0], scale * n[1] - e[1], scale * n[2] - e[2], 1.0f};
  };
  switch (opcode) {
    case Opcode::TEX: {
      // D3DTTFF_COUNTn with PROJECTED divides by the last counted component.
      const uint32_t count = key.ProjectionOf(m);
      store(Sample(m, texcoord, count == 0 ? 0 : count == 2 ? 1 : count == 3 ? 2 : 3, 0.0f));
      break;
    }
    case Opcode::TEXCOORD:
      store({Clamp(texcoord[0], 0, 1), Clamp(texcoord[1], 0, 1), Clamp(texcoord[2], 0, 1), 1.0f});
      break;
    case Opcode::TEXBEM:
    case Opcode::TEXBEML: {
      const Vector& matrix = inputs->bumpMatrix[m];
      const Vector coordinate{texcoord[0] + matrix[0] * source[0] + matrix[2] * source[1],
                              texcoord[1] + matrix[1] * source[0] + matrix[3] * source[1], 0.0f, 1.0f};
      Vector value = Sample(m, coordinate, 0, 0.0f);
      if (opcode == Opcode::TEXBEML) {
        const float luminance = source[2] * inputs->bumpLuminance[m][0] + inputs->bumpLuminance[m][1];
        value = Map(value, [luminance](float x) { return x * luminance; });
      }
      store(value);
      break;
    }
    case Opcode::TEXREG2AR: store(Sample(m, {source[3], source[0], 0.0f, 1.0f}, 0, 0.0f)); break;
    case Opcode::TEXREG2GB: store(Sample(m, {source[1], source[2], 0.0f, 1.0f}, 0, 0.0f)); break;
    case Opcode::TEXREG2RGB: store(Sample(m, {source[0], source[1], source[2], 1.0f}, 0, 0.0f)); break;
    case Opcode::TEXM3X2PAD:
    case Opcode::TEXM3X3PAD: rows[static_cast<size_t>(pendingRows++ & 1)] = row; return;
    case Opcode::TEXM3X2TEX: store(Sample(m, {rows[0], row, 0.0f, 1.0f}, 0, 0.0f)); break;
    case Opcode::TEXM3X2DEPTH:
      depth = Clamp(row == 0.0f ? 1.0f : rows[0] / row, 0.0f, 1.0f);
      store(Splat(depth));
      break;
    case Opcode::TEXM3X3TEX: store(Sample(m, {rows[0], rows[1], row, 1.0f}, 0, 0.0f)); break;
    case Opcode::TEXM3X3: store({rows[0], rows[1], row, 1.0f}); break;
    case Opcode::TEXM3X3SPEC:
      store(Sample(m, reflect({rows[0], rows[1], row, 0.0f}, Read(instruction.sources[1])), 0, 0.0f));
      break;
    case Opcode::TEXM3X3VSPEC: {
      const Vector eye{Texcoord(m - 2)[3], Texcoord(m - 1)[3], texcoord[3], 0.0f};
      store(Sample(m, reflect({rows[0], rows[1], row, 0.0f}, eye), 0, 0.0f));
      break;
    }
    case Opcode::TEXDP3TEX: store(Sample(m, {row, 0.0f, 0.0f, 1.0f}, 0, 0.0f)); break;
    case Opcode::TEXDP3: store(Splat(row)); break;
    default: break;
  }
  pendingRows = 0;
}

void ShaderInterpreter::Store(const Instruction& instruction, Vector value, uint8_t produced, bool arithmetic) {
  const DecodedShader::Destination& destination = instruction.destination;
  const uint8_t mask = destination.writeMask & produced;
  // Shift first, then saturate; ps_1_x arithmetic then holds -8 to 8.
  const int shift = destination.shift;
  for (float& x : value) {
    if (shift != 0) x = std::ldexp(x, shift);
    if (destination.modifiers & ShaderTokens::SATURATE) x = Clamp(x, 0.0f, 1.0f);
    if (arithmetic && analysis.IsPixel1()) x = Clamp(x, -8.0f, 8.0f);
  }
  Vector* target = nullptr;
  switch (destination.type) {
    case RegisterType::TEMP: target = &r[destination.number]; break;
    case RegisterType::TEXTURE:
      if (!analysis.IsPixel()) {
        for (int i = 0; i < 4; ++i) {
          if (mask >> i & 1) a0[i] = Address(value[i], instruction.opcode == Opcode::MOVA);
        }
        return;
      }
      target = &t[destination.number];
      break;
    case RegisterType::RASTOUT:
      target = destination.number == ShaderTokens::POSITION_OUT ? &oPos
               : destination.number == ShaderTokens::FOG_OUT    ? &oFog
                                                                : &oPts;
      break;
    case RegisterType::ATTROUT: target = &oD[destination.number]; break;
    case RegisterType::TEXCRDOUT: target = &oT[destination.number]; break;
    case RegisterType::COLOROUT: target = &oC[destination.number]; break;
    case RegisterType::DEPTHOUT: target = &oDepth; break;
    default: return;
  }
  for (int i = 0; i < 4; ++i) {
    if (mask >> i & 1) (*target)[i] = value[i];
  }
}

ShaderInterpreter::Vector ShaderInterpreter::Read(const DecodedShader::Source& source, uint32_t row) const {
  const Vector raw = RegisterValue(source, row);
  Vector v{};
  for (int i = 0; i < 4; ++i) v[i] = raw[ShaderTokens::SwizzleComponent(source.swizzle, i)];
  switch (source.modifier) {
    case SourceModifier::NEGATE: return Map(v, [](float x) { return -x; });
    case SourceModifier::BIAS: return Map(v, [](float x) { return x - 0.5f; });
    case SourceModifier::BIAS_NEGATE: return Map(v, [](float x) { return -(x - 0.5f); });
    case SourceModifier::SIGN: return Map(v, [](float x) { return 2.0f * (x - 0.5f); });
    case SourceModifier::SIGN_NEGATE: return Map(v, [](float x) { return -2.0f * (x - 0.5f); });
    case SourceModifier::COMPLEMENT: return Map(v, [](float x) { return 1.0f - x; });
    case SourceModifier::X2: return Map(v, [](float x) { return 2.0f * x; });
    case SourceModifier::X2_NEGATE: return Map(v, [](float x) { return -2.0f * x; });
    case SourceModifier::ABS: return Map(v, [](float x) { return std::fabs(x); });
    case SourceModifier::ABS_NEGATE: return Map(v, [](float x) { return -std::fabs(x); });
    case SourceModifier::DZ:
    case SourceModifier::DW: {
      // x and y over z (or w); 1 where the divisor is 0.
      const float d = v[source.modifier == SourceModifier::DZ ? 2 : 3];
      if (d == 0.0f) return Splat(1.0f);
      return {v[0] / d, v[1] / d, 1.0f, 1.0f};
    }
    default: return v;
  }
}

ShaderInterpreter::Vector ShaderInterpreter::RegisterValue(const DecodedShader::Source& source, uint32_t row) const {
  const uint32_t number = source.number + row;
  switch (source.type) {
    case RegisterType::TEMP: return r[number];
    case RegisterType::INPUT: return analysis.IsPixel() ? inputs->colors[number] : inputs->vertex[number];
    case RegisterType::TEXTURE: return t[number];
    case RegisterType::CONST: {
      int64_t index = number;
      if (source.relative) {
        index += source.relativeType == RegisterType::LOOP ? aL : a0[ShaderTokens::SwizzleComponent(source.relativeSwizzle, 0)];
        if (index < 0 || index >= ShaderInterface::VERTEX_FLOAT_CONSTANTS) return ZERO;
      }
      std::array<uint32_t, 4> bits{};
      Vector value = inputs->constants[static_cast<size_t>(index)];
      if (analysis.FloatDefinition(static_cast<uint32_t>(index), bits)) {
        for (int i = 0; i < 4; ++i) value[i] = std::bit_cast<float>(bits[i]);
      }
      if (analysis.IsPixel1()) value = Map(value, [](float x) { return Clamp(x, -1.0f, 1.0f); });
      return value;
    }
    default: return ZERO;
  }
}

ShaderInterpreter::Vector ShaderInterpreter::Sample(uint32_t unit, Vector coordinate, uint32_t divisor, float bias) const {
  if (divisor != 0) {
    const float d = coordinate[divisor];
    for (int i = 0; i < 3; ++i) coordinate[i] /= d;
  }
  return inputs->sampler ? inputs->sampler(unit, coordinate, bias) : Vector{0, 0, 0, 1};
}

bool ShaderInterpreter::BooleanValue(const DecodedShader::Source& source) const {
  bool value = (inputs->booleans >> source.number & 1) != 0;
  analysis.BooleanDefinition(source.number, value);
  return source.modifier == SourceModifier::NOT ? !value : value;
}

std::array<int32_t, 4> ShaderInterpreter::IntegerValue(const DecodedShader::Source& source) const {
  std::array<int32_t, 4> value = inputs->integers[source.number];
  analysis.IntegerDefinition(source.number, value);
  return value;
}

}  // namespace ynx::test
