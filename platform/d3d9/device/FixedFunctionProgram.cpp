#include "platform/d3d9/device/FixedFunctionProgram.h"

#include "platform/d3d9/device/FixedFunctionUniforms.h"
#include "platform/d3d9/shader/PixelEpilogue.h"
#include "platform/d3d9/shader/ShaderInterface.h"
#include "platform/d3d9/shader/ShaderKey.h"

namespace ynx {

namespace {

using Key = FixedFunctionKey;

std::string N(uint32_t number) { return std::to_string(number); }

// Appends lines; `indent` spaces of two.
class Writer {
 public:
  void Line(const std::string& text) { out += std::string(2 * static_cast<size_t>(indent), ' ') + text + "\n"; }
  void Open(const std::string& text) {
    Line(text.empty() ? "{" : text + " {");
    ++indent;
  }
  void Close() {
    --indent;
    Line("}");
  }
  std::string out;
  int indent = 0;
};

const char* MaterialSource(uint8_t source, const char* material) {
  return source == D3DMCS_COLOR1 ? "ynx_diffuseIn" : source == D3DMCS_COLOR2 ? "ynx_specularIn" : material;
}

void WriteSharedVertexBlocks(Writer& w) {
  w.Line("layout(std140, binding = " + N(ShaderInterface::VERTEX_STATE_BINDING) +
         ") uniform ynx_VertexState { vec4 ynx_positionFixup; vec4 ynx_clipPlane[" + N(ShaderInterface::CLIP_PLANES) +
         "]; vec4 ynx_pointSize; };");
  w.Line("struct ynx_Light { vec4 diffuse; vec4 specular; vec4 ambient; vec4 position; vec4 direction; "
         "vec4 attenuation; vec4 spot; };");
  w.Line("layout(std140, binding = " + N(FixedFunctionUniforms::VERTEX_BINDING) +
         ") uniform ynx_FixedVertexState { mat4 ynx_worldView; mat4 ynx_projection; mat4 ynx_normalMatrix; "
         "mat4 ynx_textureMatrix[" +
         N(Key::STAGES) +
         "]; vec4 ynx_materialDiffuse; vec4 ynx_materialAmbient; vec4 ynx_materialSpecular; vec4 ynx_materialEmissive; "
         "vec4 ynx_globalAmbient; vec4 ynx_materialPower; ynx_Light ynx_light[" +
         N(Key::LIGHTS) + "]; vec4 ynx_fogFactors; vec4 ynx_point; vec4 ynx_viewport; vec4 ynx_depthRange; };");
}

void WriteVertexInputs(Writer& w, const Key::Vertex& key) {
  const auto input = [&](uint32_t location, const std::string& name) {
    w.Line("layout(location = " + N(location) + ") in vec4 " + name + ";");
  };
  input(FixedFunctionProgram::POSITION_LOCATION, "ynx_inPosition");
  if (key.normal) input(FixedFunctionProgram::NORMAL_LOCATION, "ynx_inNormal");
  if (key.diffuse) input(FixedFunctionProgram::DIFFUSE_LOCATION, "ynx_inDiffuse");
  if (key.specular) input(FixedFunctionProgram::SPECULAR_LOCATION, "ynx_inSpecular");
  if (key.point == Key::POINT_VERTEX) input(FixedFunctionProgram::POINT_SIZE_LOCATION, "ynx_inPointSize");
  bool used[Key::TEXCOORD_SETS] = {};
  for (uint32_t stage = 0; stage < Key::STAGES; ++stage) {
    if (key.texcoords[stage] < Key::TEXCOORD_SETS) used[key.texcoords[stage]] = true;
  }
  for (uint32_t set = 0; set < Key::TEXCOORD_SETS; ++set) {
    if (used[set] && key.texcoordComponents[set]) {
      input(FixedFunctionProgram::TEXCOORD_LOCATION + set, "ynx_inTexcoord" + N(set));
    }
  }
  for (uint32_t n = 0; n < 2; ++n) {
    w.Line("layout(location = " + N(ShaderInterface::COLOR_LOCATION + n) + ") out vec4 ynx_color" + N(n) + ";");
  }
  for (uint32_t n = 0; n < ShaderInterface::TEXCOORDS; ++n) {
    w.Line("layout(location = " + N(ShaderInterface::TEXCOORD_LOCATION + n) + ") out vec4 ynx_texcoord" + N(n) + ";");
  }
  w.Line("layout(location = " + N(ShaderInterface::FOG_LOCATION) + ") out float ynx_fog;");
}

// One light's share of the sums ynx_ambient, ynx_diffuse, ynx_specular.
void WriteLight(Writer& w, const Key::Vertex& key, uint32_t index) {
  const std::string light = "ynx_light[" + N(index) + "]";
  const uint8_t type = key.lights[index];
  w.Open("");
  if (type == D3DLIGHT_DIRECTIONAL) {
    w.Line("vec3 toLight = -" + light + ".direction.xyz;");
    w.Line("float attenuation = 1.0;");
  } else {
    // Beyond its range a light gives nothing, ambient included.
    w.Line("vec3 toLight = " + light + ".position.xyz - ynx_eye.xyz;");
    w.Line("float distance = length(toLight);");
    w.Line("float attenuation = 0.0;");
    w.Open("if (distance <= " + light + ".position.w)");
    w.Line("toLight = ynx_normalize(toLight);");
    w.Line("attenuation = 1.0 / dot(" + light + ".attenuation.xyz, vec3(1.0, distance, distance * distance));");
    if (type == D3DLIGHT_SPOT) {
      w.Line("float rho = dot(-toLight, " + light + ".direction.xyz);");
      w.Line("if (rho <= " + light + ".spot.y) attenuation = 0.0;");
      w.Line("else if (rho <= " + light + ".spot.x) attenuation *= pow((rho - " + light + ".spot.y) / (" + light +
             ".spot.x - " + light + ".spot.y), " + light + ".spot.z);");
    }
    w.Close();
  }
  w.Line("ynx_ambient += " + light + ".ambient.rgb * attenuation;");
  w.Line("float facing = dot(ynx_normal, toLight);");
  w.Open("if (facing > 0.0)");
  w.Line("ynx_diffuse += " + light + ".diffuse.rgb * (facing * attenuation);");
  if (key.specularLighting) {
    // Left-handed view space: the distant viewer looks down +z.
    w.Line(std::string("vec3 halfway = ynx_normalize(toLight ") +
           (key.localViewer ? "- ynx_normalize(ynx_eye.xyz));" : "+ vec3(0.0, 0.0, -1.0));"));
    w.Line("float highlight = dot(ynx_normal, halfway);");
    w.Line("if (highlight > 0.0) ynx_specular += " + light +
           ".specular * (pow(highlight, ynx_materialPower.x) * attenuation);");
  }
  w.Close();
  w.Close();
}

void WriteColors(Writer& w, const Key::Vertex& key) {
  w.Line(std::string("vec4 ynx_diffuseIn = ") + (key.diffuse ? "ynx_inDiffuse;" : "vec4(1.0);"));
  w.Line(std::string("vec4 ynx_specularIn = ") + (key.specular ? "ynx_inSpecular;" : "vec4(0.0);"));
  if (!key.lighting) {
    w.Line("ynx_color0 = clamp(ynx_diffuseIn, 0.0, 1.0);");
    w.Line("ynx_color1 = clamp(ynx_specularIn, 0.0, 1.0);");
    return;
  }
  w.Line("vec3 ynx_ambient = ynx_globalAmbient.rgb;");
  w.Line("vec3 ynx_diffuse = vec3(0.0);");
  w.Line("vec4 ynx_specular = vec4(0.0);");
  for (uint32_t index = 0; index < Key::LIGHTS && key.lights[index]; ++index) WriteLight(w, key, index);
  const std::string diffuse = MaterialSource(key.diffuseSource, "ynx_materialDiffuse");
  w.Line(std::string("ynx_color0 = clamp(vec4(") + MaterialSource(key.emissiveSource, "ynx_materialEmissive") +
         ".rgb + " + MaterialSource(key.ambientSource, "ynx_materialAmbient") + ".rgb * ynx_ambient + " + diffuse +
         ".rgb * ynx_diffuse, " + diffuse + ".a), 0.0, 1.0);");
  w.Line(key.specularLighting ? std::string("ynx_color1 = clamp(") +
                                    MaterialSource(key.specularSource, "ynx_materialSpecular") +
                                    " * ynx_specular, 0.0, 1.0);"
                              : std::string("ynx_color1 = vec4(0.0);"));
}

void WriteFog(Writer& w, const Key::Vertex& key) {
  if (key.fog == Key::VERTEX_FOG_NONE) {
    w.Line("ynx_fog = 1.0;");
    return;
  }
  if (key.fog == Key::VERTEX_FOG_SPECULAR) {
    w.Line("ynx_fog = clamp(ynx_specularIn.a, 0.0, 1.0);");
    return;
  }
  w.Line(std::string("float ynx_fogDepth = ") + (key.rangeFog ? "length(ynx_eye.xyz);" : "abs(ynx_eye.z);"));
  if (key.fog == Key::VERTEX_FOG_LINEAR) {
    w.Line("ynx_fog = clamp(ynx_fogDepth * ynx_fogFactors.x + ynx_fogFactors.y, 0.0, 1.0);");
  } else if (key.fog == Key::VERTEX_FOG_EXP) {
    w.Line("ynx_fog = clamp(exp(-ynx_fogFactors.z * ynx_fogDepth), 0.0, 1.0);");
  } else {
    w.Line("ynx_fog = clamp(exp(-(ynx_fogFactors.z * ynx_fogDepth) * (ynx_fogFactors.z * ynx_fogDepth)), 0.0, 1.0);");
  }
}

// Texture coordinates of stage n: the set or generated vector, through the
// texture matrix with Direct3D's padding (a 1.0 after the last given
// component), components past COUNTn zeroed.
void WriteTexcoord(Writer& w, const Key::Vertex& key, uint32_t stage) {
  const std::string out = "ynx_texcoord" + N(stage);
  const uint8_t source = key.texcoords[stage];
  const uint8_t count = key.transforms[stage];
  std::string value;
  if (source < Key::TEXCOORD_SETS) {
    const uint8_t components = key.texcoordComponents[source];
    const std::string in = "ynx_inTexcoord" + N(source);
    if (components == 0) {
      w.Line(out + " = vec4(0.0, 0.0, 0.0, 1.0);");
      return;
    }
    value = count == 0 || components == 4 ? in
            : components == 1            ? "vec4(" + in + ".x, 1.0, 0.0, 0.0)"
            : components == 2            ? "vec4(" + in + ".xy, 1.0, 0.0)"
                                         : "vec4(" + in + ".xyz, 1.0)";
  } else {
    switch (source >> 4) {
      case D3DTSS_TCI_CAMERASPACENORMAL >> 16: value = "vec4(ynx_normal, 1.0)"; break;
      case D3DTSS_TCI_CAMERASPACEPOSITION >> 16: value = "vec4(ynx_eye.xyz, 1.0)"; break;
      case D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR >> 16: value = "vec4(ynx_reflection, 1.0)"; break;
      default:
        // The sphere's centre faces the viewer, who looks down +z.
        value = "vec4(ynx_reflection.xy / (2.0 * length(ynx_reflection - vec3(0.0, 0.0, 1.0))) + 0.5, 0.0, 1.0)";
        break;
    }
  }
  if (count == 0) {
    w.Line(out + " = " + value + ";");
    return;
  }
  const std::string transformed = "(ynx_textureMatrix[" + N(stage) + "] * " + value + ")";
  w.Line(out + " = " +
         (count == 1   ? "vec4(" + transformed + ".x, 0.0, 0.0, 0.0)"
          : count == 2 ? "vec4(" + transformed + ".xy, 0.0, 0.0)"
          : count == 3 ? "vec4(" + transformed + ".xyz, 0.0)"
                       : transformed) +
         ";");
}

bool GeneratesReflection(const Key::Vertex& key) {
  for (uint32_t stage = 0; stage < Key::STAGES; ++stage) {
    const uint32_t generation = key.texcoords[stage] >> 4;
    if (generation == D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR >> 16 || generation == D3DTSS_TCI_SPHEREMAP >> 16) {
      return true;
    }
  }
  return false;
}

// Pixel program: one argument of a stage as a vec4 expression.
std::string Argument(uint8_t arg, uint32_t stage) {
  std::string value;
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE: value = "ynx_color0"; break;
    case D3DTA_TEXTURE: value = "ynx_texture" + N(stage); break;
    case D3DTA_TFACTOR: value = "ynx_textureFactor"; break;
    case D3DTA_SPECULAR: value = "ynx_color1"; break;
    case D3DTA_TEMP: value = "ynx_temp"; break;
    case D3DTA_CONSTANT: value = "ynx_stageConstant[" + N(stage) + "]"; break;
    default: value = "ynx_current"; break;
  }
  if (arg & D3DTA_ALPHAREPLICATE) value = "vec4(" + value + ".a)";
  if (arg & D3DTA_COMPLEMENT) value = "(1.0 - " + value + ")";
  return value;
}

// The unclamped result of a stage operation on components `c` (".rgb" or
// ".a") of arguments a0, a1, a2 (vec4 variables).
std::string Operation(uint8_t op, const std::string& c, uint32_t stage) {
  const std::string a0 = "a0" + c, a1 = "a1" + c, a2 = "a2" + c;
  const auto blend = [&](const std::string& factor) { return "mix(" + a2 + ", " + a1 + ", " + factor + ")"; };
  switch (op) {
    case D3DTOP_SELECTARG1: return a1;
    case D3DTOP_SELECTARG2: return a2;
    case D3DTOP_MODULATE: return a1 + " * " + a2;
    case D3DTOP_MODULATE2X: return a1 + " * " + a2 + " * 2.0";
    case D3DTOP_MODULATE4X: return a1 + " * " + a2 + " * 4.0";
    case D3DTOP_ADD: return a1 + " + " + a2;
    case D3DTOP_ADDSIGNED: return a1 + " + " + a2 + " - 0.5";
    case D3DTOP_ADDSIGNED2X: return "(" + a1 + " + " + a2 + " - 0.5) * 2.0";
    case D3DTOP_SUBTRACT: return a1 + " - " + a2;
    case D3DTOP_ADDSMOOTH: return a1 + " + " + a2 + " - " + a1 + " * " + a2;
    case D3DTOP_BLENDDIFFUSEALPHA: return blend("ynx_color0.a");
    case D3DTOP_BLENDTEXTUREALPHA: return blend("ynx_texture" + N(stage) + ".a");
    case D3DTOP_BLENDFACTORALPHA: return blend("ynx_textureFactor.a");
    case D3DTOP_BLENDCURRENTALPHA: return blend("ynx_current.a");
    case D3DTOP_BLENDTEXTUREALPHAPM: return a1 + " + " + a2 + " * (1.0 - ynx_texture" + N(stage) + ".a)";
    case D3DTOP_MODULATEALPHA_ADDCOLOR: return a1 + " + a1.a * " + a2;
    case D3DTOP_MODULATECOLOR_ADDALPHA: return a1 + " * " + a2 + " + a1.a";
    case D3DTOP_MODULATEINVALPHA_ADDCOLOR: return "(1.0 - a1.a) * " + a2 + " + " + a1;
    case D3DTOP_MODULATEINVCOLOR_ADDALPHA: return "(1.0 - " + a1 + ") * " + a2 + " + a1.a";
    case D3DTOP_DOTPRODUCT3: {
      const std::string dot = "4.0 * dot(a1.rgb - 0.5, a2.rgb - 0.5)";
      return c == ".a" ? dot : "vec3(" + dot + ")";
    }
    case D3DTOP_MULTIPLYADD: return a0 + " + " + a1 + " * " + a2;
    default: return "mix(" + a2 + ", " + a1 + ", " + a0 + ")";  // LERP
  }
}

std::string Lookup(const Key::Pixel& key, uint32_t stage) {
  const Key::Stage& s = key.stages[stage];
  const std::string coordinate = key.pointSprite ? std::string("ynx_pointCoord") : "ynx_texcoord" + N(stage);
  std::string at = coordinate + (s.texture == Key::TEXTURE_2D ? ".xy" : ".xyz");
  if (s.projection) at = "(" + at + " / " + coordinate + "." + "xyzw"[s.projection - 1] + ")";
  const std::string lookup = "texture(ynx_sampler" + N(stage) + ", " + at + ")";
  return s.texture == Key::TEXTURE_DEPTH ? "vec4(" + lookup + ")" : lookup;
}

void WriteStage(Writer& w, const Key::Pixel& key, uint32_t n) {
  const Key::Stage& stage = key.stages[n];
  w.Open("");
  if (stage.texture) w.Line("vec4 ynx_texture" + N(n) + " = " + Lookup(key, n) + ";");
  // Colour and alpha read their own arguments: a0 to a2 for colour, then
  // again for alpha.
  const auto arguments = [&](const uint8_t (&args)[3], uint8_t op) {
    const uint8_t used = FixedFunctionKey::ArgumentsOf(op);
    for (uint32_t i = 0; i < 3; ++i) {
      if (used >> i & 1) w.Line("a" + N(i) + " = " + Argument(args[i], n) + ";");
    }
  };
  w.Line("vec4 a0, a1, a2;");
  arguments(stage.colorArgs, stage.colorOp);
  w.Line("vec3 color = clamp(" + Operation(stage.colorOp, ".rgb", n) + ", 0.0, 1.0);");
  if (stage.colorOp == D3DTOP_DOTPRODUCT3) {
    w.Line("float alpha = color.r;");
  } else {
    arguments(stage.alphaArgs, stage.alphaOp);
    w.Line("float alpha = clamp(" + Operation(stage.alphaOp, ".a", n) + ", 0.0, 1.0);");
  }
  w.Line(std::string(stage.resultTemp ? "ynx_temp" : "ynx_current") + " = vec4(color, alpha);");
  w.Close();
}

}  // namespace

int32_t FixedFunctionProgram::AttributeLocation(uint8_t usage, uint8_t usageIndex) {
  if (usage == D3DDECLUSAGE_TEXCOORD) {
    return usageIndex < Key::TEXCOORD_SETS ? static_cast<int32_t>(TEXCOORD_LOCATION + usageIndex) : -1;
  }
  if (usage == D3DDECLUSAGE_COLOR && usageIndex < 2) return static_cast<int32_t>(DIFFUSE_LOCATION + usageIndex);
  if (usageIndex != 0) return -1;
  switch (usage) {
    case D3DDECLUSAGE_POSITION:
    case D3DDECLUSAGE_POSITIONT: return POSITION_LOCATION;
    case D3DDECLUSAGE_NORMAL: return NORMAL_LOCATION;
    case D3DDECLUSAGE_PSIZE: return POINT_SIZE_LOCATION;
    default: return -1;
  }
}

std::string FixedFunctionProgram::VertexSource(const FixedFunctionKey::Vertex& key) {
  Writer w;
  w.Line("#version 450");
  WriteSharedVertexBlocks(w);
  WriteVertexInputs(w, key);
  w.Line("vec3 ynx_normalize(vec3 v) { float l = dot(v, v); return l > 0.0 ? v * inversesqrt(l) : v; }");
  w.Open("void main()");
  w.Line("vec4 ynx_clip;");
  if (key.transformed) {
    // Screen x, y, depth z and 1 / w back to clip space through the
    // inverse viewport transform.
    w.Line("float ynx_w = ynx_inPosition.w != 0.0 ? 1.0 / ynx_inPosition.w : 1.0;");
    w.Line("ynx_clip = vec4((ynx_inPosition.x - ynx_viewport.x) * 2.0 / ynx_viewport.z - 1.0, "
           "1.0 - (ynx_inPosition.y - ynx_viewport.y) * 2.0 / ynx_viewport.w, "
           "(ynx_inPosition.z - ynx_depthRange.x) * ynx_depthRange.y, 1.0) * ynx_w;");
  } else {
    w.Line("vec4 ynx_eye = ynx_worldView * ynx_inPosition;");
    w.Line("ynx_clip = ynx_projection * ynx_eye;");
    w.Line(key.normal ? "vec3 ynx_normal = mat3(ynx_normalMatrix) * ynx_inNormal.xyz;" : "vec3 ynx_normal = vec3(0.0);");
    if (key.normalize) w.Line("ynx_normal = ynx_normalize(ynx_normal);");
    if (GeneratesReflection(key)) w.Line("vec3 ynx_reflection = reflect(ynx_normalize(ynx_eye.xyz), ynx_normal);");
  }
  WriteColors(w, key);
  WriteFog(w, key);
  for (uint32_t stage = 0; stage < Key::STAGES; ++stage) WriteTexcoord(w, key, stage);
  if (key.point != Key::POINT_NONE) {
    w.Line(std::string("float ynx_size = ") + (key.point == Key::POINT_VERTEX ? "ynx_inPointSize.x;" : "ynx_point.x;"));
    if (key.pointScale) {
      w.Line("float ynx_distance = length(ynx_eye.xyz);");
      w.Line("ynx_size *= ynx_viewport.w * sqrt(1.0 / (ynx_point.y + ynx_point.z * ynx_distance + "
             "ynx_point.w * ynx_distance * ynx_distance));");
    }
    w.Line("gl_PointSize = min(max(ynx_size, ynx_pointSize.x), ynx_pointSize.y);");
  }
  w.Line("gl_Position = vec4(ynx_clip.xy * ynx_positionFixup.xy + ynx_clip.w * ynx_positionFixup.zw, ynx_clip.zw);");
  w.Close();
  return w.out;
}

std::string FixedFunctionProgram::PixelSource(const FixedFunctionKey::Pixel& key) {
  Writer w;
  w.Line("#version 450");
  w.Line("layout(std140, binding = " + N(ShaderInterface::PIXEL_STATE_BINDING) +
         ") uniform ynx_PixelState { vec4 ynx_bumpMatrix[" + N(ShaderInterface::STAGES) + "]; vec4 ynx_bumpLuminance[" +
         N(ShaderInterface::STAGES) + "]; vec4 ynx_fogColor; vec4 ynx_fogParameters; vec4 ynx_alphaReference; };");
  w.Line("layout(std140, binding = " + N(FixedFunctionUniforms::PIXEL_BINDING) +
         ") uniform ynx_FixedPixelState { vec4 ynx_textureFactor; vec4 ynx_stageConstant[" + N(Key::STAGES) + "]; };");
  const std::string colorQualifier = key.flatColors ? "flat " : "";
  for (uint32_t n = 0; n < 2; ++n) {
    w.Line("layout(location = " + N(ShaderInterface::COLOR_LOCATION + n) + ") " + colorQualifier + "in vec4 ynx_color" +
           N(n) + ";");
  }
  for (uint32_t n = 0; n < Key::STAGES; ++n) {
    const uint8_t texture = key.stages[n].texture;
    if (texture == Key::TEXTURE_NONE) continue;
    if (!key.pointSprite) {
      w.Line("layout(location = " + N(ShaderInterface::TEXCOORD_LOCATION + n) + ") in vec4 ynx_texcoord" + N(n) + ";");
    }
    const char* type = texture == Key::TEXTURE_CUBE    ? "samplerCube"
                       : texture == Key::TEXTURE_DEPTH ? "sampler2DShadow"
                                                       : "sampler2D";
    w.Line("layout(binding = " + N(n) + ") uniform " + type + " ynx_sampler" + N(n) + ";");
  }
  if (key.fog == ShaderKey::FOG_VERTEX) {
    w.Line("layout(location = " + N(ShaderInterface::FOG_LOCATION) + ") in float ynx_fog;");
  }
  w.Line("layout(location = 0) out vec4 ynx_target0;");
  w.Open("void main()");
  if (key.pointSprite) w.Line("vec4 ynx_pointCoord = vec4(gl_PointCoord, 0.0, 1.0);");
  // Stage 0's CURRENT is the diffuse colour, and so is the output of a
  // chain whose first stage is off.
  w.Line("vec4 ynx_current = ynx_color0;");
  w.Line("vec4 ynx_temp = vec4(0.0);");
  for (uint32_t n = 0; n < Key::STAGES && key.stages[n].colorOp != 0 && key.stages[n].colorOp != D3DTOP_DISABLE; ++n) {
    WriteStage(w, key, n);
  }
  w.Line("vec4 ynx_output = ynx_current;");
  if (key.specularAdd) w.Line("ynx_output.rgb = clamp(ynx_output.rgb + ynx_color1.rgb, 0.0, 1.0);");
  for (const std::string& line : PixelEpilogue::AlphaTestAndFog(key.alphaFunction, key.fog, key.fogFromW)) {
    w.Line(line);
  }
  w.Line("ynx_target0 = ynx_output;");
  w.Close();
  return w.out;
}

}  // namespace ynx
