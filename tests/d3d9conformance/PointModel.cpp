#include "tests/d3d9conformance/PointModel.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <map>
#include <utility>

#include "platform/d3d9/device/FixedFunctionKey.h"
#include "platform/d3d9/shader/ShaderDecoder.h"
#include "tests/d3d9/FixedFunctionModel.h"
#include "tests/d3d9/ShaderInterpreter.h"

namespace ynx::test {

namespace {

using Vector = PointModel::Vector;
using Record = ScriptPlayer::DrawRecord;
using Attributes = std::map<std::pair<uint8_t, uint8_t>, Vector>;  // (usage, index)

// What leaves the vertex stage, whichever did it.
struct Varyings {
  Vector position{};
  std::array<Vector, 2> colors{};
  std::array<Vector, 8> texcoords{};
  float fog = 1.0f;
  float pointSize = 0.0f;
};

bool ReadAttributes(const ScriptPlayer& player, const Record& draw, const std::vector<D3DVERTEXELEMENT9>& elements,
                    UINT vertex, Attributes& attributes, std::string& error) {
  for (const D3DVERTEXELEMENT9& element : elements) {
    if (element.Stream == 0xFF) break;
    const std::vector<uint8_t>* bytes = player.BufferBytes(draw.streams[element.Stream]);
    if (!bytes) {
      error = "no buffer on stream " + std::to_string(element.Stream);
      return false;
    }
    const size_t at = draw.offsets[element.Stream] + size_t{draw.strides[element.Stream]} * vertex + element.Offset;
    Vector value{0, 0, 0, 1};
    if (element.Type <= D3DDECLTYPE_FLOAT4) {
      const size_t count = element.Type + 1u;
      if (at + 4 * count > bytes->size()) {
        error = "vertex " + std::to_string(vertex) + " lies outside its buffer";
        return false;
      }
      for (size_t i = 0; i < count; ++i) std::memcpy(&value[i], bytes->data() + at + 4 * i, 4);
    } else if (element.Type == D3DDECLTYPE_D3DCOLOR) {
      if (at + 4 > bytes->size()) {
        error = "vertex " + std::to_string(vertex) + " lies outside its buffer";
        return false;
      }
      const uint8_t* bgra = bytes->data() + at;
      value = {bgra[2] / 255.0f, bgra[1] / 255.0f, bgra[0] / 255.0f, bgra[3] / 255.0f};
    } else {
      error = "the model reads FLOATn and D3DCOLOR elements only";
      return false;
    }
    attributes[{element.Usage, element.UsageIndex}] = value;
  }
  return true;
}

// Point sampling at level 0 with the stage's address modes.
Vector Sample(const ScriptPlayer& player, const Record& draw, uint32_t stage, const Vector& coordinate) {
  const std::string& name = draw.textures[stage];
  IDirect3DBaseTexture9* texture = name.empty() ? nullptr : player.Texture(name);
  if (!texture) return {0, 0, 0, 1};
  UINT face = 0;
  float u = coordinate[0];
  float v = coordinate[1];
  if (texture->IsCube()) {
    // Major axis, then the face's (s, t) as the cube map rules give them.
    const float x = coordinate[0], y = coordinate[1], z = coordinate[2];
    const float ax = std::fabs(x), ay = std::fabs(y), az = std::fabs(z);
    float sc, tc, ma;
    if (ax >= ay && ax >= az) {
      face = x >= 0 ? 0 : 1;
      sc = x >= 0 ? -z : z;
      tc = -y;
      ma = ax;
    } else if (ay >= az) {
      face = y >= 0 ? 2 : 3;
      sc = x;
      tc = y >= 0 ? z : -z;
      ma = ay;
    } else {
      face = z >= 0 ? 4 : 5;
      sc = z >= 0 ? x : -x;
      tc = -y;
      ma = az;
    }
    u = (sc / ma + 1.0f) / 2.0f;
    v = (tc / ma + 1.0f) / 2.0f;
  }
  const std::vector<uint32_t>* texels = player.Texels(name, face, 0);
  if (!texels) return {0, 0, 0, 1};
  const int width = static_cast<int>(texture->LevelWidth(0));
  const int height = static_cast<int>(texture->LevelHeight(0));
  const auto address = [&](float coordinate, int size, uint32_t mode) {
    int texel = static_cast<int>(std::floor(coordinate * static_cast<float>(size)));
    if (mode == D3DTADDRESS_CLAMP || texture->IsCube()) return std::clamp(texel, 0, size - 1);
    return ((texel % size) + size) % size;
  };
  const int x = address(u, width, draw.samplerStates[stage][D3DSAMP_ADDRESSU]);
  const int y = address(v, height, draw.samplerStates[stage][D3DSAMP_ADDRESSV]);
  const uint32_t texel = (*texels)[static_cast<size_t>(y) * width + x];
  const float alpha = texture->Format() == D3DFMT_X8R8G8B8 ? 1.0f : (texel >> 24) / 255.0f;
  if (texture->Format() == D3DFMT_A8) return {0, 0, 0, alpha};
  return {(texel >> 16 & 0xFF) / 255.0f, (texel >> 8 & 0xFF) / 255.0f, (texel & 0xFF) / 255.0f, alpha};
}

FixedFunctionModel::Device ModelDevice(const Record& draw) {
  FixedFunctionModel::Device device;
  std::copy(draw.renderStates.begin(), draw.renderStates.end(), device.renderStates);
  for (uint32_t stage = 0; stage < FixedFunctionState::STAGES; ++stage) {
    std::copy(draw.stageStates[stage].begin(), draw.stageStates[stage].end(), device.stageStates[stage]);
    device.texture[stage] = draw.textureMatrices[stage];
    device.lights[stage] = draw.lights[stage];
  }
  device.world = draw.world;
  device.view = draw.view;
  device.projection = draw.projection;
  device.lightEnables = draw.lightEnables;
  device.material = draw.material;
  device.viewport = draw.viewport;
  return device;
}

FixedFunctionKey::Draw ModelDraw(const ScriptPlayer& player, const Record& draw,
                                 const std::vector<D3DVERTEXELEMENT9>& elements) {
  FixedFunctionKey::Draw model = FixedFunctionKey::Draw::FromDeclaration(elements.data(), elements.size());
  model.points = draw.type == D3DPT_POINTLIST;
  for (uint32_t stage = 0; stage < FixedFunctionState::STAGES; ++stage) {
    IDirect3DBaseTexture9* texture = draw.textures[stage].empty() ? nullptr : player.Texture(draw.textures[stage]);
    model.textures[stage] = !texture             ? FixedFunctionKey::TEXTURE_NONE
                            : texture->IsDepth() ? FixedFunctionKey::TEXTURE_DEPTH
                            : texture->IsCube()  ? FixedFunctionKey::TEXTURE_CUBE
                                                 : FixedFunctionKey::TEXTURE_2D;
  }
  return model;
}

bool Decode(const ScriptPlayer& player, const std::string& name, DecodedShader& shader, std::string& error) {
  const std::vector<uint32_t>* tokens = player.ShaderTokens(name);
  if (!tokens) {
    error = "no shader '" + name + "'";
    return false;
  }
  return ShaderDecoder::Decode(tokens->data(), tokens->size(), shader, error);
}

ShaderKey KeyOf(const ScriptPlayer& player, const Record& draw) {
  ShaderKey key;
  for (uint32_t stage = 0; stage < 8; ++stage) {
    IDirect3DBaseTexture9* texture = draw.textures[stage].empty() ? nullptr : player.Texture(draw.textures[stage]);
    if (texture && texture->IsCube()) key.textureKinds |= ShaderKey::KIND_CUBE << (2 * stage);
  }
  return key;
}

bool RunVertex(const ScriptPlayer& player, const Record& draw, const std::vector<D3DVERTEXELEMENT9>& elements,
               const Attributes& attributes, Varyings& out, std::string& error) {
  const auto attribute = [&](uint8_t usage, uint8_t index, Vector fallback) {
    const auto found = attributes.find({usage, index});
    return found == attributes.end() ? fallback : found->second;
  };
  if (!draw.vertexShader.empty()) {
    DecodedShader shader;
    if (!Decode(player, draw.vertexShader, shader, error)) return false;
    ShaderInterpreter::Inputs inputs;
    for (size_t i = 0; i < draw.vertexConstants.size(); ++i) inputs.constants[i] = draw.vertexConstants[i];
    for (const DecodedShader::Declaration& declaration : shader.declarations) {
      if (declaration.type != ShaderTokens::RegisterType::INPUT) continue;
      inputs.vertex[declaration.number] =
          attribute(static_cast<uint8_t>(declaration.usage), declaration.usageIndex, {0, 0, 0, 1});
    }
    ShaderInterpreter interpreter;
    ShaderInterpreter::Outputs outputs;
    if (!interpreter.Run(shader, ShaderKey{}, inputs, outputs, error)) return false;
    out.position = outputs.position;
    out.colors = outputs.colors;
    std::copy_n(outputs.texcoords.begin(), 8, out.texcoords.begin());
    out.fog = outputs.fog;
    out.pointSize = std::min(std::max(std::bit_cast<float>(draw.renderStates[D3DRS_POINTSIZE]),
                                      std::bit_cast<float>(draw.renderStates[D3DRS_POINTSIZE_MIN])),
                             std::bit_cast<float>(draw.renderStates[D3DRS_POINTSIZE_MAX]));
    return true;
  }
  FixedFunctionModel::VertexInput input;
  const bool transformed = attributes.count({D3DDECLUSAGE_POSITIONT, 0}) != 0;
  input.position = attribute(transformed ? D3DDECLUSAGE_POSITIONT : D3DDECLUSAGE_POSITION, 0, {0, 0, 0, 1});
  input.normal = attribute(D3DDECLUSAGE_NORMAL, 0, {0, 0, 0, 0});
  input.diffuse = attribute(D3DDECLUSAGE_COLOR, 0, {1, 1, 1, 1});
  input.specular = attribute(D3DDECLUSAGE_COLOR, 1, {0, 0, 0, 0});
  input.pointSize = attribute(D3DDECLUSAGE_PSIZE, 0, {1, 0, 0, 1})[0];
  for (uint8_t set = 0; set < 8; ++set) input.texcoords[set] = attribute(D3DDECLUSAGE_TEXCOORD, set, {0, 0, 0, 1});
  const FixedFunctionModel::VertexOutput output =
      FixedFunctionModel::RunVertex(ModelDevice(draw), ModelDraw(player, draw, elements), input, {1, 1, 0, 0},
                                    {std::bit_cast<float>(draw.renderStates[D3DRS_POINTSIZE_MIN]),
                                     std::bit_cast<float>(draw.renderStates[D3DRS_POINTSIZE_MAX]), 0, 0});
  out.position = output.position;
  out.colors = output.colors;
  out.texcoords = output.texcoords;
  out.fog = output.fog;
  out.pointSize = output.pointSize;
  return true;
}

bool Sprites(const Record& draw) {
  return draw.type == D3DPT_POINTLIST && draw.renderStates[D3DRS_POINTSPRITEENABLE];
}

bool RunPixel(const ScriptPlayer& player, const Record& draw, const std::vector<D3DVERTEXELEMENT9>& elements,
              const Varyings& in, const Vector& pointCoord, Vector& color, bool& drawn, std::string& error) {
  drawn = true;
  if (!draw.pixelShader.empty()) {
    DecodedShader shader;
    if (!Decode(player, draw.pixelShader, shader, error)) return false;
    ShaderInterpreter::Inputs inputs;
    for (size_t i = 0; i < draw.pixelConstants.size(); ++i) inputs.constants[i] = draw.pixelConstants[i];
    inputs.colors = in.colors;
    std::copy_n(in.texcoords.begin(), inputs.texcoords.size(), inputs.texcoords.begin());
    if (Sprites(draw)) inputs.texcoords.fill(pointCoord);
    inputs.sampler = [&](uint32_t unit, const Vector& coordinate, float) {
      return Sample(player, draw, unit, coordinate);
    };
    ShaderInterpreter interpreter;
    ShaderInterpreter::Outputs outputs;
    if (!interpreter.Run(shader, KeyOf(player, draw), inputs, outputs, error)) return false;
    color = outputs.targets[0];
    drawn = !outputs.killed;
    return true;
  }
  FixedFunctionModel::PixelInput input;
  input.colors = in.colors;
  input.texcoords = in.texcoords;
  input.fog = in.fog;
  input.pointCoord = pointCoord;
  const float w = in.position[3] != 0.0f ? in.position[3] : 1.0f;
  input.depth = draw.viewport.MinZ + in.position[2] / w * (draw.viewport.MaxZ - draw.viewport.MinZ);
  input.w = w;
  drawn = FixedFunctionModel::RunPixel(
      ModelDevice(draw), ModelDraw(player, draw, elements), input,
      [&](uint32_t stage, const Vector& coordinate) { return Sample(player, draw, stage, coordinate); }, color);
  return true;
}

uint32_t Pack(const Vector& color) {
  uint32_t packed = 0;
  for (int channel : {3, 0, 1, 2}) {
    const float value = std::clamp(color[channel], 0.0f, 1.0f);
    packed = packed << 8 | static_cast<uint32_t>(std::lround(value * 255.0f));
  }
  return packed;
}

}  // namespace

namespace {

// The vertices of a point list in drawing order, through the index buffer
// of an indexed draw.
bool Vertices(const ScriptPlayer& player, const Record& draw, std::vector<UINT>& vertices, std::string& error) {
  if (!draw.indexed) {
    for (UINT k = 0; k < draw.count; ++k) vertices.push_back(draw.start + k);
    return true;
  }
  const std::vector<uint8_t>* bytes = player.BufferBytes(draw.indices);
  const size_t size = draw.indexBits / 8;
  if (!bytes || size == 0) {
    error = "no index buffer";
    return false;
  }
  for (UINT k = 0; k < draw.count; ++k) {
    const size_t at = (size_t{draw.start} + k) * size;
    if (at + size > bytes->size()) {
      error = "index " + std::to_string(draw.start + k) + " lies outside its buffer";
      return false;
    }
    uint32_t index = 0;
    for (size_t i = 0; i < size; ++i) index |= uint32_t{(*bytes)[at + i]} << (8 * i);
    vertices.push_back(static_cast<UINT>(static_cast<int64_t>(index) + draw.baseVertex));
  }
  return true;
}

// One vertex through both stages; `spritePixel` picks a pixel of its
// sprite, else the pixel is the point's centre.
bool EvaluateVertex(const ScriptPlayer& player, const Record& draw, UINT vertex, const std::array<int, 2>* spritePixel,
                    PointModel::Pixel& pixel, std::string& error) {
  const std::vector<D3DVERTEXELEMENT9> elements = player.Declaration(draw.declaration);
  if (elements.empty()) {
    error = "no declaration";
    return false;
  }
  Attributes attributes;
  Varyings varyings;
  if (!ReadAttributes(player, draw, elements, vertex, attributes, error) ||
      !RunVertex(player, draw, elements, attributes, varyings, error)) {
    return false;
  }
  pixel.vertex = vertex;
  const float w = varyings.position[3] != 0.0f ? varyings.position[3] : 1.0f;
  const D3DVIEWPORT9& viewport = draw.viewport;
  pixel.centerX = static_cast<float>(viewport.X) + (varyings.position[0] / w + 1.0f) / 2.0f * viewport.Width;
  pixel.centerY = static_cast<float>(viewport.Y) + (1.0f - varyings.position[1] / w) / 2.0f * viewport.Height;
  pixel.size = varyings.pointSize;
  Vector pointCoord{0.5f, 0.5f, 0.0f, 1.0f};
  if (spritePixel) {
    pixel.x = (*spritePixel)[0];
    pixel.y = (*spritePixel)[1];
    pointCoord[0] = (static_cast<float>(pixel.x) - pixel.centerX) / pixel.size + 0.5f;
    pointCoord[1] = (static_cast<float>(pixel.y) - pixel.centerY) / pixel.size + 0.5f;
  } else {
    pixel.x = static_cast<int>(std::lround(pixel.centerX));
    pixel.y = static_cast<int>(std::lround(pixel.centerY));
  }
  Vector color{};
  if (!RunPixel(player, draw, elements, varyings, pointCoord, color, pixel.drawn, error)) return false;
  pixel.color = Pack(color);
  return true;
}

}  // namespace

bool PointModel::Evaluate(const ScriptPlayer& player, const Record& draw, std::vector<Pixel>& pixels,
                          std::string& error) {
  if (draw.type != D3DPT_POINTLIST) {
    error = "not a point list";
    return false;
  }
  std::vector<UINT> vertices;
  if (!Vertices(player, draw, vertices, error)) return false;
  for (const UINT vertex : vertices) {
    Pixel pixel;
    if (!EvaluateVertex(player, draw, vertex, nullptr, pixel, error)) return false;
    pixels.push_back(pixel);
  }
  return true;
}

bool PointModel::EvaluateSprite(const ScriptPlayer& player, const Record& draw, const Pixel& point, int x, int y,
                                Pixel& pixel, std::string& error) {
  const std::array<int, 2> at{x, y};
  return EvaluateVertex(player, draw, static_cast<UINT>(point.vertex), &at, pixel, error);
}

}  // namespace ynx::test
