#include "platform/d3d9/shader/ShaderTranslator.h"

#include <array>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "platform/d3d9/shader/PixelEpilogue.h"

namespace ynx {

namespace {

using Opcode = ShaderTokens::Opcode;
using RegisterType = ShaderTokens::RegisterType;
using SourceModifier = ShaderTokens::SourceModifier;

constexpr char COMPONENTS[] = "xyzw";

std::string N(uint32_t number) { return std::to_string(number); }

// A GLSL float literal that reads back as exactly `value`.
std::string FloatLiteral(float value) {
  char text[48];
  if (!std::isfinite(value)) {
    std::snprintf(text, sizeof(text), "uintBitsToFloat(0x%08Xu)", std::bit_cast<uint32_t>(value));
    return text;
  }
  std::snprintf(text, sizeof(text), "%.9g", value);
  std::string literal = text;
  if (literal.find_first_of(".e") == std::string::npos) literal += ".0";
  return literal;
}

// ".xz" for a write mask; empty for all four.
std::string MaskSuffix(uint8_t mask) {
  if (mask == ShaderTokens::MASK_ALL) return "";
  std::string suffix = ".";
  for (int i = 0; i < 4; ++i) {
    if (mask >> i & 1) suffix += COMPONENTS[i];
  }
  return suffix;
}

// The first `width` components a swizzle selects; empty for the identity.
std::string SwizzleSuffix(uint8_t swizzle, int width) {
  if (width == 4 && swizzle == ShaderTokens::IDENTITY_SWIZZLE) return "";
  std::string suffix = ".";
  for (int i = 0; i < width; ++i) suffix += COMPONENTS[ShaderTokens::SwizzleComponent(swizzle, i)];
  return suffix;
}

bool IsArithmetic(Opcode opcode) {
  switch (opcode) {
    case Opcode::MOV:
    case Opcode::ADD:
    case Opcode::SUB:
    case Opcode::MAD:
    case Opcode::MUL:
    case Opcode::RCP:
    case Opcode::RSQ:
    case Opcode::DP3:
    case Opcode::DP4:
    case Opcode::MIN:
    case Opcode::MAX:
    case Opcode::SLT:
    case Opcode::SGE:
    case Opcode::EXP:
    case Opcode::LOG:
    case Opcode::LIT:
    case Opcode::DST:
    case Opcode::LRP:
    case Opcode::FRC:
    case Opcode::M4X4:
    case Opcode::M4X3:
    case Opcode::M3X4:
    case Opcode::M3X3:
    case Opcode::M3X2:
    case Opcode::POW:
    case Opcode::CRS:
    case Opcode::SGN:
    case Opcode::ABS:
    case Opcode::NRM:
    case Opcode::SINCOS:
    case Opcode::MOVA:
    case Opcode::EXPP:
    case Opcode::LOGP:
    case Opcode::CND:
    case Opcode::CMP:
    case Opcode::BEM:
    case Opcode::DP2ADD: return true;
    default: return false;
  }
}

bool IsFlowControl(Opcode opcode) {
  switch (opcode) {
    case Opcode::CALL:
    case Opcode::CALLNZ:
    case Opcode::LOOP:
    case Opcode::RET:
    case Opcode::ENDLOOP:
    case Opcode::REP:
    case Opcode::ENDREP:
    case Opcode::IF:
    case Opcode::ELSE:
    case Opcode::ENDIF: return true;
    default: return false;
  }
}

// GLSL helpers, in dependency order; a program gets those it names.
struct Helper {
  const char* name;
  const char* text;
};

constexpr Helper HELPERS[] = {
    {"ynx_FLT_MAX", "const float ynx_FLT_MAX = 3.402823466e+38;\n"},
    {"ynx_exp", "float ynx_exp(float x) { return min(exp2(x), ynx_FLT_MAX); }\n"},
    {"ynx_log",
     "float ynx_log(float x) {\n  float f = abs(x);\n"
     "  return f == 0.0 ? -ynx_FLT_MAX : clamp(log2(f), -ynx_FLT_MAX, ynx_FLT_MAX);\n}\n"},
    {"ynx_pow", "float ynx_pow(float base, float exponent) { return ynx_exp(exponent * ynx_log(base)); }\n"},
    {"ynx_rcp",
     "float ynx_rcp(float x) {\n"
     "  return x == 0.0 ? ynx_FLT_MAX : x == 1.0 ? 1.0 : clamp(1.0 / x, -ynx_FLT_MAX, ynx_FLT_MAX);\n}\n"},
    {"ynx_rsq",
     "float ynx_rsq(float x) {\n  float f = abs(x);\n"
     "  return f == 0.0 ? ynx_FLT_MAX : f == 1.0 ? 1.0 : min(inversesqrt(f), ynx_FLT_MAX);\n}\n"},
    {"ynx_lit",
     "vec4 ynx_lit(vec4 s) {\n  vec4 d = vec4(1.0, 0.0, 0.0, 1.0);\n  if (s.x > 0.0) {\n    d.y = s.x;\n"
     "    if (s.y > 0.0) d.z = ynx_pow(s.y, clamp(s.w, -127.9961, 127.9961));\n  }\n  return d;\n}\n"},
    {"ynx_expp",
     "vec4 ynx_expp(float v) {\n  float f = floor(v);\n  return vec4(ynx_exp(f), v - f, ynx_exp(v), 1.0);\n}\n"},
    {"ynx_dst", "vec4 ynx_dst(vec4 a, vec4 b) { return vec4(1.0, a.y * b.y, a.z, b.w); }\n"},
    {"ynx_lrp", "vec4 ynx_lrp(vec4 f, vec4 a, vec4 b) { return f * a + (1.0 - f) * b; }\n"},
    {"ynx_frc", "vec4 ynx_frc(vec4 x) { return x - floor(x); }\n"},
    {"ynx_nrm",
     "vec4 ynx_nrm(vec4 s) {\n  float f = dot(s.xyz, s.xyz);\n"
     "  return s * (f != 0.0 ? inversesqrt(f) : ynx_FLT_MAX);\n}\n"},
    {"ynx_sincos", "vec4 ynx_sincos(float v) { return vec4(cos(v), sin(v), 0.0, 0.0); }\n"},
    {"ynx_bump",
     "vec2 ynx_bump(vec2 base, vec4 perturbation, vec4 matrix) {\n"
     "  return vec2(base.x + matrix.x * perturbation.x + matrix.z * perturbation.y,\n"
     "              base.y + matrix.y * perturbation.x + matrix.w * perturbation.y);\n}\n"},
    {"ynx_divide",
     "vec4 ynx_divide(vec4 v, float d) {\n"
     "  return d == 0.0 ? vec4(1.0) : vec4(v.x / d, v.y / d, 1.0, 1.0);\n}\n"},
    {"ynx_reflect",
     "vec4 ynx_reflect(vec3 n, vec3 e) { return vec4(2.0 * dot(n, e) / dot(n, n) * n - e, 1.0); }\n"},
};

// Whether `text` names `name` as a whole identifier.
bool Mentions(const std::string& text, const std::string& name) {
  for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
    const char next = at + name.size() < text.size() ? text[at + name.size()] : ' ';
    if (!std::isalnum(static_cast<unsigned char>(next)) && next != '_') return true;
  }
  return false;
}

}  // namespace

bool ShaderTranslator::Analyze(const DecodedShader& shader, ShaderInterface& interface, std::string& error) {
  ShaderAnalysis analysis;
  if (!analysis.Run(shader, error)) return false;
  interface = analysis.Interface();
  return true;
}

bool ShaderTranslator::Translate(const DecodedShader& shader, const ShaderKey& key, std::string& source,
                                 ShaderInterface& interface, std::string& error) {
  source.clear();
  ShaderAnalysis analysis;
  if (!analysis.Run(shader, error)) return false;
  ShaderTranslator translator(shader, key.Masked(analysis.Interface().keyMask), analysis);
  translator.WriteProgram();
  source = std::move(translator.out);
  interface = analysis.Interface();
  for (ShaderInterface::Sampler& sampler : interface.samplers) {
    sampler.kind = translator.KindOf(sampler.unit);
    sampler.shadow = translator.IsShadow(sampler.unit);
  }
  return true;
}

ShaderTranslator::ShaderTranslator(const DecodedShader& shader, const ShaderKey& key, const ShaderAnalysis& analysis)
    : shader(shader), key(key), analysis(analysis) {}

void ShaderTranslator::Line(const std::string& text) {
  out.append(static_cast<size_t>(indent) * 2, ' ');
  out += text;
  out += '\n';
}

void ShaderTranslator::WriteProgram() {
  // Functions first: they tell which helpers the program needs.
  if (analysis.IsPixel()) {
    Line("void main() {");
    ++indent;
    WritePixelPrologue();
    WriteBody(0, shader.instructions.size());
    WritePixelEpilogue();
    --indent;
    Line("}");
  } else {
    for (const ShaderAnalysis::Subroutine& subroutine : analysis.Subroutines()) {
      Line("void ynx_subroutine" + N(subroutine.label) + "();");
    }
    Line("void ynx_main() {");
    ++indent;
    WriteBody(0, analysis.MainEnd());
    --indent;
    Line("}");
    for (const ShaderAnalysis::Subroutine& subroutine : analysis.Subroutines()) {
      Line("void ynx_subroutine" + N(subroutine.label) + "() {");
      ++indent;
      WriteBody(subroutine.begin, subroutine.end);
      --indent;
      Line("}");
    }
    Line("void main() {");
    ++indent;
    Line("ynx_main();");
    WriteVertexEpilogue();
    --indent;
    Line("}");
  }
  std::string functions = std::move(out);
  out.clear();

  Line("#version 450");
  Line("// " + std::string(analysis.IsPixel() ? "ps_" : "vs_") + N(analysis.Major()) + "_" + N(analysis.Minor()) +
       ", translated by YNX.");
  if (analysis.IsPixel()) {
    WritePixelDeclarations();
  } else {
    WriteVertexDeclarations();
  }
  WriteRegisters();
  std::string declarations = std::move(out);
  out.clear();

  bool needed[std::size(HELPERS)] = {};
  for (size_t i = std::size(HELPERS); i-- > 0;) {
    const std::string name = HELPERS[i].name;
    needed[i] = Mentions(functions, name) || Mentions(declarations, name);
    for (size_t j = i + 1; j < std::size(HELPERS) && !needed[i]; ++j) {
      needed[i] = needed[j] && Mentions(HELPERS[j].text, name);
    }
  }
  // The version line stays first.
  const size_t firstLine = declarations.find('\n') + 1;
  out = declarations.substr(0, firstLine);
  for (size_t i = 0; i < std::size(HELPERS); ++i) {
    if (needed[i]) out += HELPERS[i].text;
  }
  out += declarations.substr(firstLine);
  out += functions;
}

void ShaderTranslator::WriteVertexDeclarations() {
  const ShaderInterface& interface = analysis.Interface();
  Line("layout(std140, binding = " + N(ShaderInterface::VERTEX_CONSTANTS_BINDING) +
       ") uniform ynx_VertexConstants { vec4 ynx_vc[" + N(ShaderInterface::VERTEX_FLOAT_CONSTANTS) + "]; ivec4 ynx_vi[" +
       N(ShaderInterface::INTEGER_CONSTANTS) + "]; uint ynx_vb; };");
  Line("layout(std140, binding = " + N(ShaderInterface::VERTEX_STATE_BINDING) +
       ") uniform ynx_VertexState { vec4 ynx_positionFixup; vec4 ynx_clipPlane[" + N(ShaderInterface::CLIP_PLANES) +
       "]; vec4 ynx_pointSize; };");
  if (interface.relativeConstants) {
    Line("layout(binding = " + N(ShaderInterface::VERTEX_CONSTANT_TEXELS_UNIT) +
         ") uniform samplerBuffer ynx_vcTexels;");
  }
  for (const ShaderInterface::Input& input : interface.inputs) {
    Line("layout(location = " + N(input.location) + ") in vec4 v" + N(input.location) + ";");
  }
  for (uint32_t n = 0; n < 2; ++n) {
    Line("layout(location = " + N(ShaderInterface::COLOR_LOCATION + n) + ") out vec4 ynx_color" + N(n) + ";");
  }
  for (uint32_t n = 0; n < ShaderInterface::TEXCOORDS; ++n) {
    Line("layout(location = " + N(ShaderInterface::TEXCOORD_LOCATION + n) + ") out vec4 ynx_texcoord" + N(n) + ";");
  }
  Line("layout(location = " + N(ShaderInterface::FOG_LOCATION) + ") out float ynx_fog;");
}

void ShaderTranslator::WritePixelDeclarations() {
  const ShaderInterface& interface = analysis.Interface();
  Line("layout(std140, binding = " + N(ShaderInterface::PIXEL_CONSTANTS_BINDING) +
       ") uniform ynx_PixelConstants { vec4 ynx_pc[" + N(ShaderInterface::PIXEL_FLOAT_CONSTANTS) + "]; };");
  Line("layout(std140, binding = " + N(ShaderInterface::PIXEL_STATE_BINDING) + ") uniform ynx_PixelState { vec4 ynx_bumpMatrix[" +
       N(ShaderInterface::STAGES) + "]; vec4 ynx_bumpLuminance[" + N(ShaderInterface::STAGES) +
       "]; vec4 ynx_fogColor; vec4 ynx_fogParameters; vec4 ynx_alphaReference; };");
  for (uint32_t n = 0; n < 2; ++n) {
    if ((interface.colorsRead >> n & 1) == 0) continue;
    std::string qualifiers = key.flatColors ? "flat " : "";
    if (analysis.CentroidColor(n)) qualifiers += "centroid ";
    Line("layout(location = " + N(ShaderInterface::COLOR_LOCATION + n) + ") " + qualifiers + "in vec4 ynx_color" + N(n) +
         ";");
  }
  if (!key.pointSprite) {
    for (uint32_t n = 0; n < ShaderInterface::TEXCOORDS; ++n) {
      if ((interface.texcoordsRead >> n & 1) == 0) continue;
      Line("layout(location = " + N(ShaderInterface::TEXCOORD_LOCATION + n) + ") " +
           (analysis.CentroidTexcoord(n) ? "centroid " : "") + "in vec4 ynx_texcoord" + N(n) + ";");
    }
  }
  if (key.fog == ShaderKey::FOG_VERTEX) {
    Line("layout(location = " + N(ShaderInterface::FOG_LOCATION) + ") in float ynx_fog;");
  }
  for (const ShaderInterface::Sampler& sampler : interface.samplers) {
    const uint32_t kind = KindOf(sampler.unit);
    const char* type = IsShadow(sampler.unit)           ? "sampler2DShadow"
                       : kind == ShaderKey::KIND_CUBE   ? "samplerCube"
                       : kind == ShaderKey::KIND_VOLUME ? "sampler3D"
                                                        : "sampler2D";
    Line("layout(binding = " + N(sampler.unit) + ") uniform " + type + " ynx_sampler" + N(sampler.unit) + ";");
  }
  for (uint32_t n = 0; n < ShaderInterface::RENDER_TARGETS; ++n) {
    if (n == 0 || (interface.renderTargets >> n & 1)) {
      Line("layout(location = " + N(n) + ") out vec4 ynx_target" + N(n) + ";");
    }
  }
}

void ShaderTranslator::WriteRegisters() {
  const ShaderInterface& interface = analysis.Interface();
  const bool pixel1 = analysis.IsPixel1();
  for (const uint32_t number : analysis.FloatDefinitionNumbers()) {
    std::array<uint32_t, 4> bits{};
    analysis.FloatDefinition(number, bits);
    std::string values;
    for (int i = 0; i < 4; ++i) {
      float value = std::bit_cast<float>(bits[i]);
      // ps_1_x constants hold -1 to 1, defined ones too.
      if (pixel1 && !std::isnan(value)) value = std::fmin(std::fmax(value, -1.0f), 1.0f);
      values += (i ? ", " : "") + FloatLiteral(value);
    }
    Line("const vec4 ynx_c" + N(number) + " = vec4(" + values + ");");
  }
  for (uint32_t n = 0; n < ShaderInterface::INTEGER_CONSTANTS; ++n) {
    std::array<int32_t, 4> values{};
    if (analysis.IntegerDefinition(n, values)) {
      Line("const ivec4 ynx_i" + N(n) + " = ivec4(" + std::to_string(values[0]) + ", " + std::to_string(values[1]) +
           ", " + std::to_string(values[2]) + ", " + std::to_string(values[3]) + ");");
    }
    bool value = false;
    if (analysis.BooleanDefinition(n, value)) Line("const bool ynx_b" + N(n) + " = " + (value ? "true;" : "false;"));
  }

  uint32_t temporaries = analysis.Temporaries() | (pixel1 ? 1u : 0u);
  for (uint32_t n = 0; temporaries >> n; ++n) {
    if (temporaries >> n & 1) Line("vec4 r" + N(n) + " = vec4(0.0);");
  }
  if (analysis.IsPixel()) {
    for (uint32_t n = 0; analysis.TextureRegisters() >> n; ++n) {
      if (analysis.TextureRegisters() >> n & 1) Line("vec4 t" + N(n) + " = vec4(0.0);");
    }
    for (uint32_t n = 0; n < 2; ++n) {
      if (interface.colorsRead >> n & 1) Line("vec4 v" + N(n) + " = vec4(0.0);");
    }
    if (key.pointSprite && interface.texcoordsRead) Line("vec4 ynx_pointCoord = vec4(0.0);");
    if (pixel1) {
      if (interface.writesDepth) Line("float ynx_depth = 0.0;");
      if (analysis.IsLegacyPixel()) Line("float ynx_row0 = 0.0, ynx_row1 = 0.0;");
    } else {
      for (uint32_t n = 0; n < ShaderInterface::RENDER_TARGETS; ++n) {
        if (n == 0 || (interface.renderTargets >> n & 1)) Line("vec4 oC" + N(n) + " = vec4(0.0);");
      }
      if (interface.writesDepth) Line("vec4 oDepth = vec4(0.0);");
    }
    return;
  }

  if (analysis.UsesAddress()) Line("ivec4 a0 = ivec4(0);");
  if (analysis.UsesLoopCounter()) Line("int aL = 0;");
  // Outputs start at what an unwritten output passes on (see DESIGN.md).
  Line("vec4 oPos = vec4(0.0);");
  const uint32_t outputs = interface.outputs;
  if (outputs & ShaderInterface::OUTPUT_COLOR0) Line("vec4 oD0 = vec4(1.0);");
  if (outputs & ShaderInterface::OUTPUT_COLOR0 << 1) Line("vec4 oD1 = vec4(0.0);");
  for (uint32_t n = 0; n < ShaderInterface::TEXCOORDS; ++n) {
    if (outputs & ShaderInterface::OUTPUT_TEXCOORD0 << n) Line("vec4 oT" + N(n) + " = vec4(0.0, 0.0, 0.0, 1.0);");
  }
  if (outputs & ShaderInterface::OUTPUT_FOG) Line("vec4 oFog = vec4(1.0);");
  if (outputs & ShaderInterface::OUTPUT_POINT_SIZE) Line("vec4 oPts = vec4(1.0);");

  if (interface.relativeConstants) {
    // Out of range reads give (0, 0, 0, 0), as Direct3D documents. The
    // buffer texture, not the uniform array: a software device loads a
    // dynamically indexed uniform lane by lane and component by component.
    // Selects, not branches: straight-line reads let the compiler share
    // the reads of one register (a bone's rows for position and normal).
    Line("vec4 ynx_constant(int index) {");
    ++indent;
    Line("vec4 value = uint(index) < " + N(ShaderInterface::VERTEX_FLOAT_CONSTANTS) +
         "u ? texelFetch(ynx_vcTexels, index) : vec4(0.0);");
    for (const uint32_t number : analysis.FloatDefinitionNumbers()) {
      if (number < ShaderInterface::VERTEX_FLOAT_CONSTANTS) {
        Line("value = index == " + N(number) + " ? ynx_c" + N(number) + " : value;");
      }
    }
    Line("return value;");
    --indent;
    Line("}");
  }
}

void ShaderTranslator::WriteVertexEpilogue() {
  const uint32_t outputs = analysis.Interface().outputs;
  Line(std::string("ynx_color0 = ") + (outputs & ShaderInterface::OUTPUT_COLOR0 ? "clamp(oD0, 0.0, 1.0);" : "vec4(1.0);"));
  Line(std::string("ynx_color1 = ") +
       (outputs & ShaderInterface::OUTPUT_COLOR0 << 1 ? "clamp(oD1, 0.0, 1.0);" : "vec4(0.0);"));
  for (uint32_t n = 0; n < ShaderInterface::TEXCOORDS; ++n) {
    Line("ynx_texcoord" + N(n) + " = " +
         (outputs & ShaderInterface::OUTPUT_TEXCOORD0 << n ? "oT" + N(n) : std::string("vec4(0.0, 0.0, 0.0, 1.0)")) + ";");
  }
  Line(std::string("ynx_fog = ") + (outputs & ShaderInterface::OUTPUT_FOG ? "clamp(oFog.x, 0.0, 1.0);" : "1.0;"));
  if (outputs & ShaderInterface::OUTPUT_POINT_SIZE) {
    Line("gl_PointSize = min(max(oPts.x, ynx_pointSize.x), ynx_pointSize.y);");
  }
  for (uint32_t n = 0; n < ShaderInterface::CLIP_PLANES; ++n) {
    if (key.clipPlanes >> n & 1) Line("gl_ClipDistance[" + N(n) + "] = dot(oPos, ynx_clipPlane[" + N(n) + "]);");
  }
  Line("gl_Position = vec4(oPos.xy * ynx_positionFixup.xy + oPos.w * ynx_positionFixup.zw, oPos.zw);");
}

void ShaderTranslator::WritePixelPrologue() {
  const ShaderInterface& interface = analysis.Interface();
  if (key.pointSprite && interface.texcoordsRead) Line("ynx_pointCoord = vec4(gl_PointCoord, 0.0, 1.0);");
  for (uint32_t n = 0; n < 2; ++n) {
    if (interface.colorsRead >> n & 1) Line("v" + N(n) + " = ynx_color" + N(n) + ";");
  }
  // t# starts as its texture coordinates (ps_1_1 to 1_3 then overwrite it).
  for (uint32_t n = 0; analysis.TextureRegisters() >> n; ++n) {
    if (analysis.TextureRegisters() >> n & 1) Line("t" + N(n) + " = " + Texcoord(n) + ";");
  }
  if (interface.writesDepth) Line(analysis.IsPixel1() ? "ynx_depth = gl_FragCoord.z;" : "oDepth = vec4(gl_FragCoord.z);");
}

void ShaderTranslator::WritePixelEpilogue() {
  const ShaderInterface& interface = analysis.Interface();
  // ps_1_x colours leave the shader in 0..1.
  Line(std::string("vec4 ynx_output = ") + (analysis.IsPixel1() ? "clamp(r0, 0.0, 1.0);" : "oC0;"));
  for (const std::string& line : PixelEpilogue::AlphaTestAndFog(key.alphaFunction, key.fog, key.fogFromW)) Line(line);
  Line("ynx_target0 = ynx_output;");
  if (!analysis.IsPixel1()) {
    for (uint32_t n = 1; n < ShaderInterface::RENDER_TARGETS; ++n) {
      if (interface.renderTargets >> n & 1) Line("ynx_target" + N(n) + " = oC" + N(n) + ";");
    }
  }
  if (interface.writesDepth) {
    Line(analysis.IsPixel1() ? "gl_FragDepth = ynx_depth;" : "gl_FragDepth = clamp(oDepth.x, 0.0, 1.0);");
  }
}

void ShaderTranslator::WriteBody(size_t begin, size_t end) {
  const auto& instructions = shader.instructions;
  for (size_t i = begin; i < end;) {
    size_t next = i + 1;
    if (IsArithmetic(instructions[i].opcode)) {
      while (next < end && instructions[next].coissue && IsArithmetic(instructions[next].opcode)) ++next;
    }
    if (next - i == 1) {
      WriteInstruction(i);
    } else {
      // A co-issued pair reads all its sources before either writes.
      Line("{");
      ++indent;
      std::vector<std::pair<size_t, uint8_t>> produced;
      for (size_t j = i; j < next; ++j) {
        uint8_t mask = 0;
        Line("vec4 ynx_value" + N(static_cast<uint32_t>(j - i)) + " = " + ArithmeticValue(instructions[j], mask) + ";");
        produced.emplace_back(j, mask);
      }
      for (const auto& [j, mask] : produced) {
        const std::string store = Store(instructions[j], "ynx_value" + N(static_cast<uint32_t>(j - i)), mask, true);
        if (!store.empty()) Line(store);
      }
      --indent;
      Line("}");
    }
    i = next;
  }
}

void ShaderTranslator::WriteInstruction(size_t index) {
  const Instruction& instruction = shader.instructions[index];
  const Opcode opcode = instruction.opcode;
  if (IsArithmetic(opcode)) {
    uint8_t produced = 0;
    const std::string value = ArithmeticValue(instruction, produced);
    WriteStore(instruction, value, produced, true);
  } else if (IsFlowControl(opcode)) {
    WriteFlowControl(instruction);
  } else if (opcode == Opcode::TEXKILL) {
    WriteKill(instruction);
  } else if (opcode == Opcode::PHASE) {
    // Temporaries lose their alpha at the phase marker.
    for (uint32_t n = 0; analysis.Temporaries() >> n; ++n) {
      if (analysis.Temporaries() >> n & 1) Line("r" + N(n) + ".w = 0.0;");
    }
  } else if (opcode != Opcode::DCL && opcode != Opcode::DEF && opcode != Opcode::DEFI && opcode != Opcode::DEFB &&
             opcode != Opcode::NOP && opcode != Opcode::LABEL) {
    WriteTextureInstruction(instruction);
  }
}

void ShaderTranslator::WriteFlowControl(const Instruction& instruction) {
  switch (instruction.opcode) {
    case Opcode::IF:
      Line("if (" + BoolRead(instruction.sources[0]) + ") {");
      ++indent;
      break;
    case Opcode::ELSE:
      --indent;
      Line("} else {");
      ++indent;
      break;
    case Opcode::ENDIF:
    case Opcode::ENDREP:
      --indent;
      Line("}");
      break;
    case Opcode::LOOP:
    case Opcode::REP:
      // Counts run 0 to 255; aL starts at .y and steps by .z (loop only).
      Line("for (int ynx_pass = 0, ynx_count = clamp(" + IntegerRead(instruction.sources[instruction.opcode == Opcode::LOOP]) +
           ".x, 0, 255); ynx_pass < ynx_count; ++ynx_pass) {");
      ++indent;
      if (instruction.opcode == Opcode::LOOP) {
        const std::string loop = IntegerRead(instruction.sources[1]);
        Line("aL = " + loop + ".y + ynx_pass * " + loop + ".z;");
      }
      break;
    case Opcode::ENDLOOP:
      --indent;
      Line("}");
      break;
    case Opcode::CALL: Line("ynx_subroutine" + N(instruction.sources[0].number) + "();"); break;
    case Opcode::CALLNZ:
      Line("if (" + BoolRead(instruction.sources[1]) + ") ynx_subroutine" + N(instruction.sources[0].number) + "();");
      break;
    case Opcode::RET: Line("return;"); break;
    default: break;
  }
}

void ShaderTranslator::WriteKill(const Instruction& instruction) {
  const DecodedShader::Destination& destination = instruction.destination;
  std::string value;
  uint8_t mask = 0x7;  // ps_1_x tests u, v and w
  if (analysis.IsLegacyPixel()) {
    value = Texcoord(destination.number);
  } else {
    value = (destination.type == RegisterType::TEXTURE ? "t" : "r") + N(destination.number);
    if (!analysis.IsPixel1()) mask = destination.writeMask;
  }
  const int count = std::popcount(static_cast<unsigned>(mask));
  const std::string components = value + MaskSuffix(mask);
  if (count == 1) {
    Line("if (" + components + " < 0.0) discard;");
  } else {
    Line("if (any(lessThan(" + components + ", vec" + N(static_cast<uint32_t>(count)) + "(0.0)))) discard;");
  }
}

void ShaderTranslator::WriteTextureInstruction(const Instruction& instruction) {
  Line("{");
  ++indent;
  if (analysis.IsLegacyPixel()) {
    WriteLegacyTexture(instruction);
  } else {
    WriteTextureLoad(instruction);
  }
  --indent;
  Line("}");
}

void ShaderTranslator::WriteTextureLoad(const Instruction& instruction) {
  const Opcode opcode = instruction.opcode;
  const uint32_t number = instruction.destination.number;
  if (opcode == Opcode::TEXDEPTH) {
    const std::string r = "r" + N(number);
    Line("ynx_depth = clamp(" + r + ".y == 0.0 ? 1.0 : " + r + ".x / " + r + ".y, 0.0, 1.0);");
  } else if (opcode == Opcode::TEXCOORD) {
    WriteStore(instruction, Read(instruction.sources[0], 4), ShaderTokens::MASK_ALL, false);
  } else if (analysis.IsPixel14()) {
    // texld: the destination's number names the stage.
    Line("vec4 ynx_coordinate = " + Read(instruction.sources[0], 4) + ";");
    WriteStore(instruction, Sample(number, "ynx_coordinate", 0, ""), ShaderTokens::MASK_ALL, false);
  } else {
    Line("vec4 ynx_coordinate = " + Read(instruction.sources[0], 4) + ";");
    const bool project = instruction.controls == ShaderTokens::TEXLD_PROJECT;
    const bool bias = instruction.controls == ShaderTokens::TEXLD_BIAS;
    WriteStore(instruction,
               Sample(instruction.sources[1].number, "ynx_coordinate", project ? 3 : 0, bias ? "ynx_coordinate.w" : ""),
               ShaderTokens::MASK_ALL, false);
  }
}

void ShaderTranslator::WriteLegacyTexture(const Instruction& instruction) {
  const Opcode opcode = instruction.opcode;
  const uint32_t number = instruction.destination.number;
  const auto store = [&](const std::string& value) { WriteStore(instruction, value, ShaderTokens::MASK_ALL, false); };
  const std::string texcoord = Texcoord(number);
  if (instruction.sourceCount > 0) Line("vec4 ynx_source = " + Read(instruction.sources[0], 4) + ";");
  const std::string row = "dot(" + texcoord + ".xyz, ynx_source.xyz)";
  if (opcode == Opcode::TEXM3X2PAD || opcode == Opcode::TEXM3X3PAD) {
    // The rows so far wait for the matrix instruction that ends them.
    Line("ynx_row" + N(static_cast<uint32_t>(pendingRows++)) + " = " + row + ";");
    return;
  }
  switch (opcode) {
    case Opcode::TEX: {
      const uint32_t count = key.ProjectionOf(number);
      const uint32_t divisor = count == 0 ? 0 : count == 2 ? 1 : count == 3 ? 2 : 3;
      Line("vec4 ynx_coordinate = " + texcoord + ";");
      store(Sample(number, "ynx_coordinate", divisor, ""));
      break;
    }
    case Opcode::TEXCOORD: store("vec4(clamp(" + texcoord + ".xyz, 0.0, 1.0), 1.0)"); break;
    case Opcode::TEXBEM:
    case Opcode::TEXBEML:
      Line("vec4 ynx_coordinate = vec4(ynx_bump(" + texcoord + ".xy, ynx_source, ynx_bumpMatrix[" + N(number) +
           "]), 0.0, 1.0);");
      if (opcode == Opcode::TEXBEM) {
        store(Sample(number, "ynx_coordinate", 0, ""));
      } else {
        store("(" + Sample(number, "ynx_coordinate", 0, "") + " * (ynx_source.z * ynx_bumpLuminance[" + N(number) +
              "].x + ynx_bumpLuminance[" + N(number) + "].y))");
      }
      break;
    case Opcode::TEXREG2AR:
    case Opcode::TEXREG2GB:
    case Opcode::TEXREG2RGB:
      Line(std::string("vec4 ynx_coordinate = ") +
           (opcode == Opcode::TEXREG2AR   ? "vec4(ynx_source.w, ynx_source.x, 0.0, 1.0);"
            : opcode == Opcode::TEXREG2GB ? "vec4(ynx_source.y, ynx_source.z, 0.0, 1.0);"
                                          : "vec4(ynx_source.xyz, 1.0);"));
      store(Sample(number, "ynx_coordinate", 0, ""));
      break;
    case Opcode::TEXDP3TEX:
      Line("vec4 ynx_coordinate = vec4(" + row + ", 0.0, 0.0, 1.0);");
      store(Sample(number, "ynx_coordinate", 0, ""));
      break;
    case Opcode::TEXDP3: store("vec4(" + row + ")"); break;
    default: WriteTextureMatrix(instruction, texcoord, row); break;
  }
  pendingRows = 0;
}

void ShaderTranslator::WriteTextureMatrix(const Instruction& instruction, const std::string& texcoord,
                                          const std::string& row) {
  const Opcode opcode = instruction.opcode;
  const uint32_t number = instruction.destination.number;
  const auto store = [&](const std::string& value) { WriteStore(instruction, value, ShaderTokens::MASK_ALL, false); };
  switch (opcode) {
    case Opcode::TEXM3X2TEX:
      Line("vec4 ynx_coordinate = vec4(ynx_row0, " + row + ", 0.0, 1.0);");
      store(Sample(number, "ynx_coordinate", 0, ""));
      break;
    case Opcode::TEXM3X2DEPTH:
      // Depth z / w from the two rows; 1 where w is 0.
      Line("float ynx_w = " + row + ";");
      Line("ynx_depth = clamp(ynx_w == 0.0 ? 1.0 : ynx_row0 / ynx_w, 0.0, 1.0);");
      store("vec4(ynx_depth)");
      break;
    case Opcode::TEXM3X3TEX:
    case Opcode::TEXM3X3:
      Line("vec4 ynx_coordinate = vec4(ynx_row0, ynx_row1, " + row + ", 1.0);");
      store(opcode == Opcode::TEXM3X3 ? "ynx_coordinate" : Sample(number, "ynx_coordinate", 0, ""));
      break;
    case Opcode::TEXM3X3SPEC:
    case Opcode::TEXM3X3VSPEC: {
      // Reflect the eye ray (a constant, or the coordinates' w) about the normal.
      const std::string eye = opcode == Opcode::TEXM3X3SPEC ? Read(instruction.sources[1], 3)
                                                            : "vec3(" + Texcoord(number - 2) + ".w, " +
                                                                  Texcoord(number - 1) + ".w, " + texcoord + ".w)";
      Line("vec4 ynx_coordinate = ynx_reflect(vec3(ynx_row0, ynx_row1, " + row + "), " + eye + ");");
      store(Sample(number, "ynx_coordinate", 0, ""));
      break;
    }
    default: break;
  }
}

void ShaderTranslator::WriteStore(const Instruction& instruction, const std::string& value, uint8_t produced,
                                  bool arithmetic) {
  const std::string statement = Store(instruction, value, produced, arithmetic);
  if (!statement.empty()) Line(statement);
}

std::string ShaderTranslator::Store(const Instruction& instruction, const std::string& value, uint8_t produced,
                                    bool arithmetic) const {
  const DecodedShader::Destination& destination = instruction.destination;
  const uint8_t mask = destination.writeMask & produced;
  if (mask == 0) return "";
  std::string result = value;
  static const char* const SCALES[] = {"0.125", "0.25", "0.5", "", "2.0", "4.0", "8.0"};
  if (destination.shift >= -3 && destination.shift <= 3 && destination.shift != 0) {
    result = "(" + result + " * " + SCALES[destination.shift + 3] + ")";
  }
  if (destination.modifiers & ShaderTokens::SATURATE) result = "clamp(" + result + ", 0.0, 1.0)";
  if (arithmetic && analysis.IsPixel1()) {
    const std::string limit = FloatLiteral(PIXEL_SHADER_1X_MAX_VALUE);
    result = "clamp(" + result + ", -" + limit + ", " + limit + ")";
  }
  const std::string suffix = MaskSuffix(mask);
  std::string name;
  switch (destination.type) {
    case RegisterType::TEMP: name = "r" + N(destination.number); break;
    case RegisterType::TEXTURE:
      if (!analysis.IsPixel()) {
        // a0: vs_1_1 mov floors, vs_2_0 mova rounds to nearest.
        const std::string integer = instruction.opcode == Opcode::MOVA ? "floor(" + result + " + 0.5)" : "floor(" + result + ")";
        return "a0" + suffix + " = ivec4(clamp(" + integer + ", -1024.0, 1024.0))" + suffix + ";";
      }
      name = "t" + N(destination.number);
      break;
    case RegisterType::RASTOUT:
      name = destination.number == ShaderTokens::POSITION_OUT ? "oPos"
             : destination.number == ShaderTokens::FOG_OUT    ? "oFog"
                                                              : "oPts";
      break;
    case RegisterType::ATTROUT: name = "oD" + N(destination.number); break;
    case RegisterType::TEXCRDOUT: name = "oT" + N(destination.number); break;
    case RegisterType::COLOROUT: name = "oC" + N(destination.number); break;
    case RegisterType::DEPTHOUT: name = "oDepth"; break;
    default: return "";
  }
  if (suffix.empty()) return name + " = " + result + ";";
  return name + suffix + " = (" + result + ")" + suffix + ";";
}

std::string ShaderTranslator::ArithmeticValue(const Instruction& instruction, uint8_t& produced) const {
  produced = ShaderTokens::MASK_ALL;
  const auto v = [&](int slot) { return Read(instruction.sources[slot], 4); };
  const auto s = [&](int slot) { return Read(instruction.sources[slot], 1); };
  const auto binary = [&](const char* op) { return "(" + v(0) + " " + op + " " + v(1) + ")"; };
  const auto rows = [&](uint32_t count, int width) {
    std::string value = "vec4(";
    for (uint32_t row = 0; row < 4; ++row) {
      if (row) value += ", ";
      value += row < count ? "dot(" + Read(instruction.sources[0], width) + ", " + Read(instruction.sources[1], width, row) + ")"
                           : "0.0";
    }
    produced = static_cast<uint8_t>((1u << count) - 1);
    return value + ")";
  };
  switch (instruction.opcode) {
    case Opcode::MOV:
    case Opcode::MOVA: return v(0);
    case Opcode::ADD: return binary("+");
    case Opcode::SUB: return binary("-");
    case Opcode::MUL: return binary("*");
    case Opcode::MAD: return "(" + v(0) + " * " + v(1) + " + " + v(2) + ")";
    case Opcode::RCP: return "vec4(ynx_rcp(" + s(0) + "))";
    case Opcode::RSQ: return "vec4(ynx_rsq(" + s(0) + "))";
    case Opcode::DP3: return "vec4(dot(" + Read(instruction.sources[0], 3) + ", " + Read(instruction.sources[1], 3) + "))";
    case Opcode::DP4: return "vec4(dot(" + v(0) + ", " + v(1) + "))";
    case Opcode::MIN: return "min(" + v(0) + ", " + v(1) + ")";
    case Opcode::MAX: return "max(" + v(0) + ", " + v(1) + ")";
    case Opcode::SLT: return "vec4(lessThan(" + v(0) + ", " + v(1) + "))";
    case Opcode::SGE: return "vec4(greaterThanEqual(" + v(0) + ", " + v(1) + "))";
    case Opcode::EXP: return "vec4(ynx_exp(" + s(0) + "))";
    case Opcode::EXPP:
      return analysis.Major() == 1 ? "ynx_expp(" + s(0) + ")" : "vec4(ynx_exp(" + s(0) + "))";
    case Opcode::LOG:
    case Opcode::LOGP: return "vec4(ynx_log(" + s(0) + "))";
    case Opcode::LIT: return "ynx_lit(" + v(0) + ")";
    case Opcode::DST: return "ynx_dst(" + v(0) + ", " + v(1) + ")";
    case Opcode::LRP: return "ynx_lrp(" + v(0) + ", " + v(1) + ", " + v(2) + ")";
    case Opcode::FRC: return "ynx_frc(" + v(0) + ")";
    case Opcode::M4X4: return rows(4, 4);
    case Opcode::M4X3: return rows(3, 4);
    case Opcode::M3X4: return rows(4, 3);
    case Opcode::M3X3: return rows(3, 3);
    case Opcode::M3X2: return rows(2, 3);
    case Opcode::POW: return "vec4(ynx_pow(" + s(0) + ", " + s(1) + "))";
    case Opcode::CRS:
      produced = ShaderTokens::MASK_X | ShaderTokens::MASK_Y | ShaderTokens::MASK_Z;
      return "vec4(cross(" + Read(instruction.sources[0], 3) + ", " + Read(instruction.sources[1], 3) + "), 0.0)";
    case Opcode::SGN: return "sign(" + v(0) + ")";
    case Opcode::ABS: return "abs(" + v(0) + ")";
    case Opcode::NRM: return "ynx_nrm(" + v(0) + ")";
    case Opcode::SINCOS:
      // .x cos, .y sin; z and w keep their values.
      produced = ShaderTokens::MASK_X | ShaderTokens::MASK_Y;
      return "ynx_sincos(" + s(0) + ")";
    case Opcode::CND: return "mix(" + v(2) + ", " + v(1) + ", greaterThan(" + v(0) + ", vec4(0.5)))";
    case Opcode::CMP: return "mix(" + v(2) + ", " + v(1) + ", greaterThanEqual(" + v(0) + ", vec4(0.0)))";
    case Opcode::DP2ADD:
      return "vec4(dot(" + Read(instruction.sources[0], 2) + ", " + Read(instruction.sources[1], 2) + ") + " + s(2) + ")";
    case Opcode::BEM:
      produced = ShaderTokens::MASK_X | ShaderTokens::MASK_Y;
      return "vec4(ynx_bump(" + Read(instruction.sources[0], 2) + ", " + v(1) + ", ynx_bumpMatrix[" +
             N(instruction.destination.number) + "]), 0.0, 0.0)";
    default: return "vec4(0.0)";
  }
}

std::string ShaderTranslator::Read(const Source& source, int width, uint32_t row) const {
  const std::string base = RegisterRead(source, row);
  if (source.modifier == SourceModifier::DZ || source.modifier == SourceModifier::DW) {
    const std::string whole = base + SwizzleSuffix(source.swizzle, 4);
    const std::string divided =
        "ynx_divide(" + whole + ", (" + whole + (source.modifier == SourceModifier::DZ ? ").z)" : ").w)");
    return width == 4 ? divided : divided + std::string(".xyzw").substr(0, static_cast<size_t>(width) + 1);
  }
  const std::string value = base + SwizzleSuffix(source.swizzle, width);
  switch (source.modifier) {
    case SourceModifier::NEGATE: return "(-" + value + ")";
    case SourceModifier::BIAS: return "(" + value + " - 0.5)";
    case SourceModifier::BIAS_NEGATE: return "(0.5 - " + value + ")";
    case SourceModifier::SIGN: return "(2.0 * " + value + " - 1.0)";
    case SourceModifier::SIGN_NEGATE: return "(1.0 - 2.0 * " + value + ")";
    case SourceModifier::COMPLEMENT: return "(1.0 - " + value + ")";
    case SourceModifier::X2: return "(2.0 * " + value + ")";
    case SourceModifier::X2_NEGATE: return "(-2.0 * " + value + ")";
    case SourceModifier::ABS: return "abs(" + value + ")";
    case SourceModifier::ABS_NEGATE: return "(-abs(" + value + "))";
    default: return value;
  }
}

std::string ShaderTranslator::RegisterRead(const Source& source, uint32_t row) const {
  const uint32_t number = source.number + row;
  switch (source.type) {
    case RegisterType::TEMP: return "r" + N(number);
    case RegisterType::INPUT: return "v" + N(number);
    case RegisterType::TEXTURE: return "t" + N(number);
    case RegisterType::CONST: {
      if (source.relative) {
        const std::string index = source.relativeType == RegisterType::LOOP
                                      ? std::string("aL")
                                      : std::string("a0.") + COMPONENTS[ShaderTokens::SwizzleComponent(source.relativeSwizzle, 0)];
        return "ynx_constant(" + index + " + " + N(number) + ")";
      }
      std::array<uint32_t, 4> unused{};
      if (analysis.FloatDefinition(number, unused)) return "ynx_c" + N(number);
      if (analysis.IsPixel1()) return "clamp(ynx_pc[" + N(number) + "], -1.0, 1.0)";
      return (analysis.IsPixel() ? "ynx_pc[" : "ynx_vc[") + N(number) + "]";
    }
    default: return "vec4(0.0)";
  }
}

std::string ShaderTranslator::BoolRead(const Source& source) const {
  bool unused = false;
  const std::string value = analysis.BooleanDefinition(source.number, unused)
                                ? "ynx_b" + N(source.number)
                                : "((ynx_vb >> " + N(source.number) + "u) & 1u) != 0u";
  return source.modifier == SourceModifier::NOT ? "!(" + value + ")" : "(" + value + ")";
}

std::string ShaderTranslator::IntegerRead(const Source& source) const {
  std::array<int32_t, 4> unused{};
  return analysis.IntegerDefinition(source.number, unused) ? "ynx_i" + N(source.number) : "ynx_vi[" + N(source.number) + "]";
}

std::string ShaderTranslator::Texcoord(uint32_t n) const {
  return key.pointSprite ? std::string("ynx_pointCoord") : "ynx_texcoord" + N(n);
}

uint32_t ShaderTranslator::KindOf(uint32_t unit) const {
  if (analysis.IsPixel1()) {
    const uint32_t kind = key.KindOf(unit);
    return kind == ShaderKey::KIND_CUBE || kind == ShaderKey::KIND_VOLUME ? kind : ShaderKey::KIND_2D;
  }
  const ShaderTokens::SamplerType type = analysis.DeclaredSampler(unit);
  return type == ShaderTokens::SamplerType::CUBE     ? ShaderKey::KIND_CUBE
         : type == ShaderTokens::SamplerType::VOLUME ? ShaderKey::KIND_VOLUME
                                                     : ShaderKey::KIND_2D;
}

bool ShaderTranslator::IsShadow(uint32_t unit) const {
  return (key.shadowSamplers >> unit & 1) != 0 && KindOf(unit) == ShaderKey::KIND_2D;
}

std::string ShaderTranslator::Sample(uint32_t unit, const std::string& coordinate, uint32_t divisor,
                                     const std::string& bias) const {
  const bool shadow = IsShadow(unit);
  // Depth textures compare against the coordinate's z.
  std::string at = coordinate + (shadow || KindOf(unit) != ShaderKey::KIND_2D ? ".xyz" : ".xy");
  if (divisor != 0) at = "(" + at + " / " + coordinate + "." + COMPONENTS[divisor] + ")";
  const std::string lookup = "texture(ynx_sampler" + N(unit) + ", " + at + (bias.empty() ? "" : ", " + bias) + ")";
  return shadow ? "vec4(" + lookup + ")" : lookup;
}

}  // namespace ynx
