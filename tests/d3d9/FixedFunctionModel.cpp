#include "tests/d3d9/FixedFunctionModel.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace ynx::test {

namespace {

using Vec3 = std::array<double, 3>;
using Vec4 = std::array<double, 4>;

constexpr D3DMATRIX IDENTITY{{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}};

double Dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec3 Add(const Vec3& a, const Vec3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec3 Sub(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec3 Scale(const Vec3& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
Vec3 Normalize(const Vec3& a) {
  const double length = std::sqrt(Dot(a, a));
  return length > 0.0 ? Scale(a, 1.0 / length) : a;
}
double Saturate(double x) { return std::clamp(x, 0.0, 1.0); }
Vec4 Saturate(const Vec4& v) { return {Saturate(v[0]), Saturate(v[1]), Saturate(v[2]), Saturate(v[3])}; }
Vec4 Widen(const FixedFunctionModel::Vector& v) { return {v[0], v[1], v[2], v[3]}; }
FixedFunctionModel::Vector Narrow(const Vec4& v) {
  return {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]), static_cast<float>(v[3])};
}
Vec4 Color(const D3DCOLORVALUE& c) { return {c.r, c.g, c.b, c.a}; }
Vec4 Packed(uint32_t c) {
  return {(c >> 16 & 0xFF) / 255.0, (c >> 8 & 0xFF) / 255.0, (c & 0xFF) / 255.0, (c >> 24 & 0xFF) / 255.0};
}
float Float(uint32_t bits) { return std::bit_cast<float>(bits); }

// Row vector times matrix.
Vec4 Transform(const Vec4& v, const D3DMATRIX& m) {
  Vec4 out{};
  for (int j = 0; j < 4; ++j) {
    for (int k = 0; k < 4; ++k) out[j] += v[k] * m.m[k][j];
  }
  return out;
}
Vec4 Transform(const Vec4& v, const double (&m)[4][4]) {
  Vec4 out{};
  for (int j = 0; j < 4; ++j) {
    for (int k = 0; k < 4; ++k) out[j] += v[k] * m[k][j];
  }
  return out;
}

}  // namespace

FixedFunctionModel::Device::Device() {
  auto& rs = renderStates;
  rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_LIGHTING] = TRUE;
  rs[D3DRS_COLORVERTEX] = TRUE;
  rs[D3DRS_LOCALVIEWER] = TRUE;
  rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
  rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
  rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
  rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
  rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
  SetFloat(D3DRS_FOGEND, 1.0f);
  SetFloat(D3DRS_FOGDENSITY, 1.0f);
  SetFloat(D3DRS_POINTSIZE, 1.0f);
  SetFloat(D3DRS_POINTSIZE_MIN, 1.0f);
  SetFloat(D3DRS_POINTSIZE_MAX, 64.0f);
  SetFloat(D3DRS_POINTSCALE_A, 1.0f);
  for (uint32_t stage = 0; stage < FixedFunctionState::STAGES; ++stage) {
    auto& ss = stageStates[stage];
    ss[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    ss[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    ss[D3DTSS_COLORARG1] = ss[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    ss[D3DTSS_COLORARG2] = ss[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    ss[D3DTSS_COLORARG0] = ss[D3DTSS_ALPHAARG0] = ss[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    ss[D3DTSS_TEXCOORDINDEX] = stage;
    texture[stage] = IDENTITY;
  }
  world = view = projection = IDENTITY;
}

FixedFunctionState FixedFunctionModel::Device::State() const {
  return {renderStates, stageStates, world, view, projection, texture, lights, lightEnables, material, viewport};
}

void FixedFunctionModel::Device::SetFloat(D3DRENDERSTATETYPE state, float value) {
  renderStates[state] = std::bit_cast<uint32_t>(value);
}

FixedFunctionModel::VertexOutput FixedFunctionModel::RunVertex(const Device& device,
                                                               const FixedFunctionKey::Draw& draw,
                                                               const VertexInput& input, const Vector& fixup,
                                                               const Vector& pointRange) {
  const auto& rs = device.renderStates;
  VertexOutput out;
  const Vec4 position = Widen(input.position);
  const Vec4 diffuseIn = draw.diffuse ? Widen(input.diffuse) : Vec4{1, 1, 1, 1};
  const Vec4 specularIn = draw.specular ? Widen(input.specular) : Vec4{0, 0, 0, 0};
  Vec4 clip{};
  Vec4 eye{};
  Vec3 normal{};

  if (draw.transformed) {
    const D3DVIEWPORT9& vp = device.viewport;
    const double w = position[3] != 0.0 ? 1.0 / position[3] : 1.0;
    const double z = vp.MaxZ != vp.MinZ ? (position[2] - vp.MinZ) / (vp.MaxZ - vp.MinZ) : 0.0;
    clip = {((position[0] - vp.X) * 2.0 / vp.Width - 1.0) * w, (1.0 - (position[1] - vp.Y) * 2.0 / vp.Height) * w,
            z * w, w};
  } else {
    double worldView[4][4];
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) {
        worldView[i][j] = 0.0;
        for (int k = 0; k < 4; ++k) worldView[i][j] += static_cast<double>(device.world.m[i][k]) * device.view.m[k][j];
      }
    }
    eye = Transform(position, worldView);
    clip = Transform(eye, device.projection);
    if (draw.normal) {
      // n * inverse(M)^T, i.e. inverse(M) times the normal as a column.
      const auto& m = worldView;
      const double determinant = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                                 m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                                 m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
      double inverse[3][3];
      for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
          // inverse[i][j] = cofactor[j][i] / det
          const int r0 = (j + 1) % 3, r1 = (j + 2) % 3, c0 = (i + 1) % 3, c1 = (i + 2) % 3;
          inverse[i][j] = (m[r0][c0] * m[r1][c1] - m[r0][c1] * m[r1][c0]) / determinant;
        }
      }
      for (int i = 0; i < 3; ++i) {
        normal[i] = inverse[i][0] * input.normal[0] + inverse[i][1] * input.normal[1] + inverse[i][2] * input.normal[2];
      }
      if (rs[D3DRS_NORMALIZENORMALS]) normal = Normalize(normal);
    }
  }
  const Vec3 eye3{eye[0], eye[1], eye[2]};

  // Colours.
  if (!draw.transformed && rs[D3DRS_LIGHTING]) {
    const auto source = [&](D3DRENDERSTATETYPE which, const D3DCOLORVALUE& material) -> Vec4 {
      if (rs[D3DRS_COLORVERTEX]) {
        if (rs[which] == D3DMCS_COLOR1 && draw.diffuse) return diffuseIn;
        if (rs[which] == D3DMCS_COLOR2 && draw.specular) return specularIn;
      }
      return Color(material);
    };
    const D3DMATERIAL9& material = device.material;
    const Vec4 cd = source(D3DRS_DIFFUSEMATERIALSOURCE, material.Diffuse);
    const Vec4 ca = source(D3DRS_AMBIENTMATERIALSOURCE, material.Ambient);
    const Vec4 cs = source(D3DRS_SPECULARMATERIALSOURCE, material.Specular);
    const Vec4 ce = source(D3DRS_EMISSIVEMATERIALSOURCE, material.Emissive);
    const Vec4 global = Packed(rs[D3DRS_AMBIENT]);
    Vec3 ambient{global[0], global[1], global[2]};
    Vec3 diffuse{};
    Vec4 specular{};
    const bool specularOn = rs[D3DRS_SPECULARENABLE] != 0;
    for (uint32_t slot = 0; slot < FixedFunctionState::LIGHTS; ++slot) {
      const D3DLIGHT9& light = device.lights[slot];
      if ((device.lightEnables >> slot & 1) == 0) continue;
      const Vec4 lightPosition = Transform(Vec4{light.Position.x, light.Position.y, light.Position.z, 1.0}, device.view);
      const Vec4 lightDirection = Transform(Vec4{light.Direction.x, light.Direction.y, light.Direction.z, 0.0}, device.view);
      const Vec3 direction = Normalize(Vec3{lightDirection[0], lightDirection[1], lightDirection[2]});
      Vec3 toLight{};
      double attenuation = 1.0;
      if (light.Type == D3DLIGHT_DIRECTIONAL) {
        toLight = Scale(direction, -1.0);
      } else {
        const Vec3 offset = Sub(Vec3{lightPosition[0], lightPosition[1], lightPosition[2]}, eye3);
        const double distance = std::sqrt(Dot(offset, offset));
        if (distance > light.Range) continue;
        toLight = Normalize(offset);
        attenuation = 1.0 / (light.Attenuation0 + light.Attenuation1 * distance + light.Attenuation2 * distance * distance);
        if (light.Type == D3DLIGHT_SPOT) {
          const double rho = -Dot(toLight, direction);
          const double cosTheta = std::cos(light.Theta / 2.0);
          const double cosPhi = std::cos(light.Phi / 2.0);
          if (rho <= cosPhi) {
            attenuation = 0.0;
          } else if (rho <= cosTheta) {
            attenuation *= std::pow((rho - cosPhi) / (cosTheta - cosPhi), static_cast<double>(light.Falloff));
          }
        }
      }
      ambient = Add(ambient, Scale(Vec3{light.Ambient.r, light.Ambient.g, light.Ambient.b}, attenuation));
      const double facing = Dot(normal, toLight);
      if (facing <= 0.0) continue;
      diffuse = Add(diffuse, Scale(Vec3{light.Diffuse.r, light.Diffuse.g, light.Diffuse.b}, facing * attenuation));
      if (!specularOn) continue;
      const Vec3 viewer = rs[D3DRS_LOCALVIEWER] ? Scale(Normalize(eye3), -1.0) : Vec3{0, 0, -1};
      const double highlight = Dot(normal, Normalize(Add(toLight, viewer)));
      if (highlight <= 0.0) continue;
      const double factor = std::pow(highlight, static_cast<double>(material.Power)) * attenuation;
      const Vec4 ls = Color(light.Specular);
      for (int i = 0; i < 4; ++i) specular[i] += ls[i] * factor;
    }
    Vec4 color0{};
    for (int i = 0; i < 3; ++i) color0[i] = ce[i] + ca[i] * ambient[i] + cd[i] * diffuse[i];
    color0[3] = cd[3];
    out.colors[0] = Narrow(Saturate(color0));
    Vec4 color1{};
    if (specularOn) {
      for (int i = 0; i < 4; ++i) color1[i] = cs[i] * specular[i];
    }
    out.colors[1] = Narrow(Saturate(color1));
  } else {
    out.colors[0] = Narrow(Saturate(diffuseIn));
    out.colors[1] = Narrow(Saturate(specularIn));
  }

  // Fog.
  const uint32_t table = rs[D3DRS_FOGTABLEMODE];
  const uint32_t mode = rs[D3DRS_FOGVERTEXMODE];
  if (rs[D3DRS_FOGENABLE] && table == D3DFOG_NONE) {
    if (draw.transformed || mode == D3DFOG_NONE) {
      out.fog = static_cast<float>(Saturate(specularIn[3]));
    } else {
      const double depth = rs[D3DRS_RANGEFOGENABLE] ? std::sqrt(Dot(eye3, eye3)) : std::fabs(eye[2]);
      const double start = Float(rs[D3DRS_FOGSTART]), end = Float(rs[D3DRS_FOGEND]);
      const double density = Float(rs[D3DRS_FOGDENSITY]);
      double f = 0.0;
      if (mode == D3DFOG_LINEAR) {
        f = end == start ? (depth < end ? 1.0 : 0.0) : (end - depth) / (end - start);
      } else if (mode == D3DFOG_EXP) {
        f = std::exp(-density * depth);
      } else {
        f = std::exp(-(density * depth) * (density * depth));
      }
      out.fog = static_cast<float>(Saturate(f));
    }
  }

  // Texture coordinates.
  for (uint32_t stage = 0; stage < FixedFunctionState::STAGES; ++stage) {
    const uint32_t index = device.stageStates[stage][D3DTSS_TEXCOORDINDEX];
    const uint32_t generation = draw.transformed ? 0 : index >> 16;
    const uint32_t count = draw.transformed ? 0 : device.stageStates[stage][D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF;
    Vec4 value{};
    if (generation == 0) {
      const uint32_t set = index & 0x7;
      const uint32_t components = draw.texcoordComponents[set];
      if (components == 0) {
        out.texcoords[stage] = {0, 0, 0, 1};
        continue;
      }
      // As the attribute arrives (missing components 0, 0, 1), then
      // Direct3D's padding for the matrix.
      const Vec4 in = Widen(input.texcoords[set]);
      value = {in[0], components > 1 ? in[1] : 0.0, components > 2 ? in[2] : 0.0, components > 3 ? in[3] : 1.0};
      if (count != 0 && components < 4) value[components] = 1.0;
      if (count != 0 && components < 3) value[components + 1] = 0.0;
      if (count != 0 && components < 2) value[3] = 0.0;
    } else {
      const Vec3 reflection = Sub(Normalize(eye3), Scale(normal, 2.0 * Dot(normal, Normalize(eye3))));
      if (generation == 1) {
        value = {normal[0], normal[1], normal[2], 1.0};
      } else if (generation == 2) {
        value = {eye[0], eye[1], eye[2], 1.0};
      } else if (generation == 3) {
        value = {reflection[0], reflection[1], reflection[2], 1.0};
      } else {
        const double m = 2.0 * std::sqrt(reflection[0] * reflection[0] + reflection[1] * reflection[1] +
                                          (reflection[2] - 1.0) * (reflection[2] - 1.0));
        value = {reflection[0] / m + 0.5, reflection[1] / m + 0.5, 0.0, 1.0};
      }
    }
    if (count >= 1 && count <= 4) {
      value = Transform(value, device.texture[stage]);
      for (uint32_t i = count; i < 4; ++i) value[i] = 0.0;
    }
    out.texcoords[stage] = Narrow(value);
  }

  // Point size.
  if (draw.points) {
    double size = draw.pointSize ? input.pointSize : Float(rs[D3DRS_POINTSIZE]);
    if (!draw.transformed && rs[D3DRS_POINTSCALEENABLE]) {
      const double d = std::sqrt(Dot(eye3, eye3));
      const double a = Float(rs[D3DRS_POINTSCALE_A]), b = Float(rs[D3DRS_POINTSCALE_B]), c = Float(rs[D3DRS_POINTSCALE_C]);
      size *= device.viewport.Height * std::sqrt(1.0 / (a + b * d + c * d * d));
    }
    out.pointSize = static_cast<float>(std::min(std::max(size, static_cast<double>(pointRange[0])), static_cast<double>(pointRange[1])));
  }

  out.position = Narrow({clip[0] * fixup[0] + clip[3] * fixup[2], clip[1] * fixup[1] + clip[3] * fixup[3], clip[2], clip[3]});
  return out;
}

bool FixedFunctionModel::RunPixel(const Device& device, const FixedFunctionKey::Draw& draw, const PixelInput& input,
                                  const Sampler& sampler, Vector& color) {
  const auto& rs = device.renderStates;
  const Vec4 diffuse = Widen(input.colors[0]);
  const Vec4 specular = Widen(input.colors[1]);
  const Vec4 factor = Packed(rs[D3DRS_TEXTUREFACTOR]);
  Vec4 current = diffuse;
  Vec4 temp{};
  for (uint32_t n = 0; n < FixedFunctionState::STAGES; ++n) {
    const auto& ss = device.stageStates[n];
    if (ss[D3DTSS_COLOROP] == D3DTOP_DISABLE) break;
    const bool textured = draw.textures[n] != FixedFunctionKey::TEXTURE_NONE;
    Vec4 texel{};
    if (textured) {
      Vector at = draw.points && rs[D3DRS_POINTSPRITEENABLE] ? input.pointCoord : input.texcoords[n];
      const uint32_t flags = ss[D3DTSS_TEXTURETRANSFORMFLAGS];
      if (flags & D3DTTFF_PROJECTED) {
        const uint32_t count = flags & 0xFF;
        const float divisor = at[count >= 2 && count <= 4 ? count - 1 : 3];
        for (int i = 0; i < 3; ++i) at[i] /= divisor;
      }
      texel = Widen(sampler(n, at));
    }
    const auto argument = [&](uint32_t arg) {
      Vec4 value{};
      switch (arg & D3DTA_SELECTMASK) {
        case D3DTA_DIFFUSE: value = diffuse; break;
        case D3DTA_TEXTURE: value = texel; break;
        case D3DTA_TFACTOR: value = factor; break;
        case D3DTA_SPECULAR: value = specular; break;
        case D3DTA_TEMP: value = temp; break;
        case D3DTA_CONSTANT: value = Packed(ss[D3DTSS_CONSTANT]); break;
        default: value = current; break;
      }
      if (arg & D3DTA_ALPHAREPLICATE) value = {value[3], value[3], value[3], value[3]};
      if (arg & D3DTA_COMPLEMENT) {
        for (double& v : value) v = 1.0 - v;
      }
      return value;
    };
    // One channel of an operation; `c` picks the channel.
    const auto combine = [&](uint32_t op, const Vec4& a0, const Vec4& a1, const Vec4& a2, int c) -> double {
      switch (op) {
        case D3DTOP_SELECTARG1: return a1[c];
        case D3DTOP_SELECTARG2: return a2[c];
        case D3DTOP_MODULATE: return a1[c] * a2[c];
        case D3DTOP_MODULATE2X: return 2.0 * a1[c] * a2[c];
        case D3DTOP_MODULATE4X: return 4.0 * a1[c] * a2[c];
        case D3DTOP_ADD: return a1[c] + a2[c];
        case D3DTOP_ADDSIGNED: return a1[c] + a2[c] - 0.5;
        case D3DTOP_ADDSIGNED2X: return 2.0 * (a1[c] + a2[c] - 0.5);
        case D3DTOP_SUBTRACT: return a1[c] - a2[c];
        case D3DTOP_ADDSMOOTH: return a1[c] + (1.0 - a1[c]) * a2[c];
        case D3DTOP_BLENDDIFFUSEALPHA: return a1[c] * diffuse[3] + a2[c] * (1.0 - diffuse[3]);
        case D3DTOP_BLENDTEXTUREALPHA: return a1[c] * texel[3] + a2[c] * (1.0 - texel[3]);
        case D3DTOP_BLENDFACTORALPHA: return a1[c] * factor[3] + a2[c] * (1.0 - factor[3]);
        case D3DTOP_BLENDCURRENTALPHA: return a1[c] * current[3] + a2[c] * (1.0 - current[3]);
        case D3DTOP_BLENDTEXTUREALPHAPM: return a1[c] + a2[c] * (1.0 - texel[3]);
        case D3DTOP_MODULATEALPHA_ADDCOLOR: return a1[c] + a1[3] * a2[c];
        case D3DTOP_MODULATECOLOR_ADDALPHA: return a1[c] * a2[c] + a1[3];
        case D3DTOP_MODULATEINVALPHA_ADDCOLOR: return (1.0 - a1[3]) * a2[c] + a1[c];
        case D3DTOP_MODULATEINVCOLOR_ADDALPHA: return (1.0 - a1[c]) * a2[c] + a1[3];
        case D3DTOP_DOTPRODUCT3: {
          double sum = 0.0;
          for (int i = 0; i < 3; ++i) sum += (a1[i] - 0.5) * (a2[i] - 0.5);
          return 4.0 * sum;
        }
        case D3DTOP_MULTIPLYADD: return a0[c] + a1[c] * a2[c];
        case D3DTOP_LERP: return a0[c] * a1[c] + (1.0 - a0[c]) * a2[c];
        default: return current[c];  // unsupported operations pass CURRENT on
      }
    };
    // An operation that needs a missing texture passes CURRENT on.
    const auto needsTexture = [&](uint32_t op, const uint32_t (&args)[3]) {
      if (op == D3DTOP_BLENDTEXTUREALPHA || op == D3DTOP_BLENDTEXTUREALPHAPM) return true;
      const uint8_t used = FixedFunctionKey::ArgumentsOf(op);
      for (int i = 0; i < 3; ++i) {
        if ((used >> i & 1) && (args[i] & D3DTA_SELECTMASK) == D3DTA_TEXTURE) return true;
      }
      return false;
    };
    const uint32_t colorArgs[3] = {ss[D3DTSS_COLORARG0], ss[D3DTSS_COLORARG1], ss[D3DTSS_COLORARG2]};
    const uint32_t alphaArgs[3] = {ss[D3DTSS_ALPHAARG0], ss[D3DTSS_ALPHAARG1], ss[D3DTSS_ALPHAARG2]};
    Vec4 result{};
    const uint32_t colorOp = !textured && needsTexture(ss[D3DTSS_COLOROP], colorArgs) ? 0 : ss[D3DTSS_COLOROP];
    const Vec4 c0 = argument(colorArgs[0]), c1 = argument(colorArgs[1]), c2 = argument(colorArgs[2]);
    for (int c = 0; c < 3; ++c) result[c] = Saturate(combine(colorOp, c0, c1, c2, c));
    if (colorOp == D3DTOP_DOTPRODUCT3) {
      result[3] = result[0];
    } else {
      uint32_t alphaOp = ss[D3DTSS_ALPHAOP];
      if (alphaOp == D3DTOP_DISABLE || (!textured && needsTexture(alphaOp, alphaArgs))) alphaOp = 0;
      const Vec4 a0 = argument(alphaArgs[0]), a1 = argument(alphaArgs[1]), a2 = argument(alphaArgs[2]);
      result[3] = Saturate(combine(alphaOp, a0, a1, a2, 3));
    }
    ((ss[D3DTSS_RESULTARG] & D3DTA_SELECTMASK) == D3DTA_TEMP ? temp : current) = result;
  }

  Vec4 out = current;
  if (rs[D3DRS_SPECULARENABLE]) {
    for (int c = 0; c < 3; ++c) out[c] = Saturate(out[c] + specular[c]);
  }
  if (rs[D3DRS_ALPHATESTENABLE]) {
    const double alpha = std::round(Saturate(out[3]) * 255.0);
    const double reference = rs[D3DRS_ALPHAREF] & 0xFF;
    bool pass = true;
    switch (rs[D3DRS_ALPHAFUNC]) {
      case D3DCMP_NEVER: pass = false; break;
      case D3DCMP_LESS: pass = alpha < reference; break;
      case D3DCMP_EQUAL: pass = alpha == reference; break;
      case D3DCMP_LESSEQUAL: pass = alpha <= reference; break;
      case D3DCMP_GREATER: pass = alpha > reference; break;
      case D3DCMP_NOTEQUAL: pass = alpha != reference; break;
      case D3DCMP_GREATEREQUAL: pass = alpha >= reference; break;
      default: break;
    }
    if (!pass) return false;
  }
  if (rs[D3DRS_FOGENABLE]) {
    double f = input.fog;
    const uint32_t table = rs[D3DRS_FOGTABLEMODE];
    if (table != D3DFOG_NONE) {
      const D3DMATRIX& p = device.projection;
      const bool affine = p._14 == 0.0f && p._24 == 0.0f && p._34 == 0.0f && p._44 == 1.0f;
      const double depth = affine ? input.depth : input.w;
      const double start = Float(rs[D3DRS_FOGSTART]), end = Float(rs[D3DRS_FOGEND]);
      const double density = Float(rs[D3DRS_FOGDENSITY]);
      if (table == D3DFOG_LINEAR) {
        f = end == start ? (depth < end ? 1.0 : 0.0) : (end - depth) / (end - start);
      } else if (table == D3DFOG_EXP) {
        f = std::exp(-density * depth);
      } else {
        f = std::exp(-(density * depth) * (density * depth));
      }
    }
    f = Saturate(f);
    const Vec4 fog = Packed(rs[D3DRS_FOGCOLOR]);
    for (int c = 0; c < 3; ++c) out[c] = fog[c] + (out[c] - fog[c]) * f;
  }
  color = Narrow(out);
  return true;
}

}  // namespace ynx::test
