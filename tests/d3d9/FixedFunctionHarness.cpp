#include "tests/d3d9/FixedFunctionHarness.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "platform/d3d9/device/FixedFunctionProgram.h"
#include "platform/d3d9/device/FixedFunctionUniforms.h"

namespace ynx::test {

namespace {

template <typename T>
GlslRunner::Uniforms::Block BlockOf(uint32_t binding, const T& image) {
  GlslRunner::Uniforms::Block block{binding, std::vector<uint8_t>(sizeof(T))};
  std::memcpy(block.bytes.data(), &image, sizeof(T));
  return block;
}

float Float(uint32_t bits) { return std::bit_cast<float>(bits); }

}  // namespace

GlslRunner::Uniforms FixedFunctionHarness::UniformsOf(const Model::Device& device) {
  const auto& rs = device.renderStates;
  GlslRunner::Uniforms uniforms;
  std::copy(FIXUP.begin(), FIXUP.end(), uniforms.vertexState.positionFixup);
  uniforms.vertexState.pointSize[0] = Float(rs[D3DRS_POINTSIZE_MIN]);
  uniforms.vertexState.pointSize[1] = Float(rs[D3DRS_POINTSIZE_MAX]);
  FixedFunctionUniforms::ColorOf(rs[D3DRS_FOGCOLOR], uniforms.pixelState.fogColor);
  const float start = Float(rs[D3DRS_FOGSTART]), end = Float(rs[D3DRS_FOGEND]);
  uniforms.pixelState.fogParameters[0] = end;
  uniforms.pixelState.fogParameters[1] = 1.0f / (end - start);  // +inf for start == end: a step at end
  uniforms.pixelState.fogParameters[2] = Float(rs[D3DRS_FOGDENSITY]);
  uniforms.pixelState.alphaReference[0] = static_cast<float>(rs[D3DRS_ALPHAREF] & 0xFF);
  FixedFunctionUniforms::Vertex vertex;
  FixedFunctionUniforms::Pixel pixel;
  FixedFunctionUniforms::Fill(device.State(), vertex, pixel);
  uniforms.extraBlocks.push_back(BlockOf(FixedFunctionUniforms::VERTEX_BINDING, vertex));
  uniforms.extraBlocks.push_back(BlockOf(FixedFunctionUniforms::PIXEL_BINDING, pixel));
  return uniforms;
}

bool FixedFunctionHarness::RunVertex(GlslRunner& runner, const Model::Device& device,
                                     const FixedFunctionKey::Draw& draw, const std::vector<Model::VertexInput>& inputs,
                                     std::vector<Model::VertexOutput>& outputs, std::string& log) {
  const FixedFunctionKey key = FixedFunctionKey::Make(device.State(), draw);
  std::string source = FixedFunctionProgram::VertexSource(key.vertex);
  if (draw.points) {
    // Transform feedback cannot capture gl_PointSize: pass it out as fog.
    source.insert(source.rfind('}'), "  ynx_fog = gl_PointSize;\n");
  }
  // Attributes arrive as GL gives a declared element of fewer components:
  // the rest (0, 0, 1).
  std::vector<std::array<Vector, ShaderInterface::VERTEX_INPUTS>> vertices(inputs.size());
  for (size_t v = 0; v < inputs.size(); ++v) {
    auto& vertex = vertices[v];
    const Model::VertexInput& input = inputs[v];
    vertex[FixedFunctionProgram::POSITION_LOCATION] = input.position;
    vertex[FixedFunctionProgram::NORMAL_LOCATION] = input.normal;
    vertex[FixedFunctionProgram::DIFFUSE_LOCATION] = input.diffuse;
    vertex[FixedFunctionProgram::SPECULAR_LOCATION] = input.specular;
    vertex[FixedFunctionProgram::POINT_SIZE_LOCATION] = {input.pointSize, 0, 0, 1};
    for (uint32_t set = 0; set < FixedFunctionKey::TEXCOORD_SETS; ++set) {
      Vector texcoord = input.texcoords[set];
      const uint32_t components = draw.texcoordComponents[set];
      for (uint32_t i = std::max(components, 1u); i < 4; ++i) texcoord[i] = i == 3 ? 1.0f : 0.0f;
      vertex[FixedFunctionProgram::TEXCOORD_LOCATION + set] = texcoord;
    }
  }
  std::vector<GlslRunner::VertexOutput> captured;
  if (!runner.RunVertex(source, UniformsOf(device), vertices, 0, captured, log)) {
    log = source + log;
    return false;
  }
  outputs.assign(captured.size(), {});
  for (size_t v = 0; v < captured.size(); ++v) {
    outputs[v].position = captured[v].position;
    outputs[v].colors = captured[v].colors;
    outputs[v].texcoords = captured[v].texcoords;
    if (draw.points) {
      outputs[v].pointSize = captured[v].fog;
    } else {
      outputs[v].fog = captured[v].fog;
    }
  }
  return true;
}

FixedFunctionModel::VertexOutput FixedFunctionHarness::ModelVertex(const Model::Device& device,
                                                                   const FixedFunctionKey::Draw& draw,
                                                                   const Model::VertexInput& input) {
  Model::VertexInput given = input;
  for (uint32_t set = 0; set < FixedFunctionKey::TEXCOORD_SETS; ++set) {
    const uint32_t components = draw.texcoordComponents[set];
    for (uint32_t i = std::max(components, 1u); i < 4; ++i) given.texcoords[set][i] = i == 3 ? 1.0f : 0.0f;
  }
  const auto& rs = device.renderStates;
  Model::VertexOutput out =
      Model::RunVertex(device, draw, given, FIXUP, {Float(rs[D3DRS_POINTSIZE_MIN]), Float(rs[D3DRS_POINTSIZE_MAX]), 0, 0});
  if (draw.points) out.fog = 1.0f;
  return out;
}

bool FixedFunctionHarness::RunPixel(GlslRunner& runner, const Model::Device& device,
                                    const FixedFunctionKey::Draw& draw, const std::vector<GlslRunner::Texture>& textures,
                                    const std::vector<Model::PixelInput>& inputs, std::vector<Vector>& colors,
                                    std::string& log) {
  const FixedFunctionKey key = FixedFunctionKey::Make(device.State(), draw);
  const std::string source = FixedFunctionProgram::PixelSource(key.pixel);
  std::vector<GlslRunner::PixelInput> pixels(inputs.size());
  for (size_t i = 0; i < inputs.size(); ++i) {
    pixels[i].colors = inputs[i].colors;
    pixels[i].texcoords = inputs[i].texcoords;
    pixels[i].fog = inputs[i].fog;
    pixels[i].depth = inputs[i].depth;
  }
  std::vector<GlslRunner::PixelOutput> outputs;
  if (!runner.RunPixel(source, UniformsOf(device), textures, pixels, outputs, log)) {
    log = source + log;
    return false;
  }
  colors.clear();
  for (const GlslRunner::PixelOutput& output : outputs) colors.push_back(output.color);
  return true;
}

FixedFunctionHarness::Vector FixedFunctionHarness::ModelPixel(const Model::Device& device,
                                                              const FixedFunctionKey::Draw& draw,
                                                              const std::vector<GlslRunner::Texture>& textures,
                                                              const Model::PixelInput& input) {
  // Nearest texel, edges clamped; depth textures compare with LEQUAL.
  const auto sampler = [&](uint32_t stage, const Vector& at) -> Vector {
    for (const GlslRunner::Texture& texture : textures) {
      if (texture.unit != stage) continue;
      if (texture.depth) return at[2] <= texture.texels[0] ? Vector{1, 1, 1, 1} : Vector{0, 0, 0, 0};
      if (texture.kind == ShaderKey::KIND_CUBE) {
        const float x = std::fabs(at[0]), y = std::fabs(at[1]), z = std::fabs(at[2]);
        const int face = x >= y && x >= z ? (at[0] >= 0 ? 0 : 1) : y >= z ? (at[1] >= 0 ? 2 : 3) : (at[2] >= 0 ? 4 : 5);
        return texture.faces[static_cast<size_t>(face)];
      }
      const auto texel = [&](float u, int size) {
        return static_cast<int>(std::clamp(std::floor(u * static_cast<float>(size)), 0.0f, static_cast<float>(size - 1)));
      };
      const size_t index = static_cast<size_t>(texel(at[1], texture.height) * texture.width + texel(at[0], texture.width)) * 4;
      return {texture.texels[index], texture.texels[index + 1], texture.texels[index + 2], texture.texels[index + 3]};
    }
    return {0, 0, 0, 1};
  };
  Model::PixelInput given = input;
  given.pointCoord = {0.5f, 0.5f, 0.0f, 1.0f};  // the centre of a one-pixel point
  given.w = 1.0f;                               // the runner draws at w = 1
  Vector color{};
  if (!Model::RunPixel(device, draw, given, sampler, color)) return {KILLED, KILLED, KILLED, KILLED};
  return color;
}

std::vector<GlslRunner::Texture> FixedFunctionHarness::TexturesFor(const FixedFunctionKey::Draw& draw) {
  std::vector<GlslRunner::Texture> textures;
  for (uint32_t stage = 0; stage < FixedFunctionKey::STAGES; ++stage) {
    const uint8_t kind = draw.textures[stage];
    if (kind == FixedFunctionKey::TEXTURE_NONE) continue;
    GlslRunner::Texture texture;
    texture.unit = stage;
    const float s = static_cast<float>(stage);
    if (kind == FixedFunctionKey::TEXTURE_DEPTH) {
      texture.depth = true;
      texture.texels = {0.5f};
    } else if (kind == FixedFunctionKey::TEXTURE_CUBE) {
      texture.kind = ShaderKey::KIND_CUBE;
      for (int face = 0; face < 6; ++face) {
        const float f = static_cast<float>(face);
        texture.faces.push_back({0.1f * (f + 1.0f), 0.5f, 1.0f - 0.1f * f, 0.2f + 0.1f * f});
      }
    } else {
      texture.width = texture.height = 4;
      for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
          const float fx = static_cast<float>(x), fy = static_cast<float>(y);
          texture.texels.insert(texture.texels.end(), {(fx + 0.5f) / 4.0f, (fy + 0.5f) / 4.0f, 0.1f * s + 0.05f,
                                                       1.0f - (fx + fy) / 8.0f});
        }
      }
    }
    textures.push_back(std::move(texture));
  }
  return textures;
}

}  // namespace ynx::test
