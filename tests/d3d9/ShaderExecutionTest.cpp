// Translated programs run on Mesa against the CPU model: every instruction
// and modifier of the supported models on random inputs, the special
// values with their exact Direct3D 9 results, and the device epilogue
// (position fix-up, unwritten outputs, fog, alpha test, point sprites).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/d3d9/shader/ShaderAssembler.h"
#include "platform/d3d9/shader/ShaderDecoder.h"
#include "platform/d3d9/shader/ShaderTranslator.h"
#include "tests/d3d9/GlslRunner.h"
#include "tests/d3d9/ShaderInterpreter.h"

namespace ynx {
namespace {

using test::GlslRunner;
using test::ShaderInterpreter;
using Vector = ShaderInterpreter::Vector;

constexpr float MAX = std::numeric_limits<float>::max();
constexpr int COUNT = 8;  // vertices or pixels per case

DecodedShader Decode(const std::string& text) {
  std::vector<uint32_t> tokens;
  std::string errors;
  EXPECT_TRUE(ShaderAssembler::Assemble(text, tokens, errors)) << text << errors;
  DecodedShader shader;
  std::string error;
  EXPECT_TRUE(ShaderDecoder::Decode(tokens.data(), tokens.size(), shader, error)) << error;
  return shader;
}

bool Near(float expected, float actual, float tolerance) {
  if (std::isnan(expected) || std::isnan(actual)) return std::isnan(expected) && std::isnan(actual);
  if (std::isinf(expected) || std::isinf(actual)) return expected == actual;
  return std::fabs(expected - actual) <= tolerance * std::max(1.0f, std::fabs(expected));
}

std::string Text(const Vector& v) {
  return "(" + std::to_string(v[0]) + ", " + std::to_string(v[1]) + ", " + std::to_string(v[2]) + ", " +
         std::to_string(v[3]) + ")";
}

void ExpectNear(const Vector& expected, const Vector& actual, float tolerance, const std::string& where) {
  for (int i = 0; i < 4; ++i) {
    if (!Near(expected[i], actual[i], tolerance)) {
      ADD_FAILURE() << where << ": expected " << Text(expected) << ", got " << Text(actual);
      return;
    }
  }
}

// The textures a pixel program samples: 4 x 4 texels that differ per
// unit, six coloured cube faces, or a depth of 0.5.
std::vector<GlslRunner::Texture> TexturesFor(const ShaderInterface& interface) {
  std::vector<GlslRunner::Texture> textures;
  for (const ShaderInterface::Sampler& sampler : interface.samplers) {
    GlslRunner::Texture texture;
    texture.unit = sampler.unit;
    texture.kind = sampler.kind;
    texture.depth = sampler.shadow;
    if (sampler.shadow) {
      texture.texels = {0.5f};
    } else if (sampler.kind == ShaderKey::KIND_CUBE) {
      for (int face = 0; face < 6; ++face) {
        texture.faces.push_back({0.1f * static_cast<float>(face + 1), 0.5f, 1.0f - 0.1f * static_cast<float>(face), 1.0f});
      }
    } else {
      texture.width = texture.height = 4;
      for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
          texture.texels.insert(texture.texels.end(), {(static_cast<float>(x) + 0.5f) / 4.0f, (static_cast<float>(y) + 0.5f) / 4.0f,
                                                       0.1f * static_cast<float>(sampler.unit), 1.0f - static_cast<float>(x + y) / 8.0f});
        }
      }
    }
    textures.push_back(std::move(texture));
  }
  return textures;
}

// The same lookups on the CPU: nearest texel, edges clamped.
ShaderInterpreter::Sampler CpuSampler(const std::vector<GlslRunner::Texture>& textures) {
  return [textures](uint32_t unit, const Vector& at, float) -> Vector {
    for (const GlslRunner::Texture& texture : textures) {
      if (texture.unit != unit) continue;
      if (texture.depth) return at[2] <= 0.5f ? Vector{1, 1, 1, 1} : Vector{0, 0, 0, 0};
      if (texture.kind == ShaderKey::KIND_CUBE) {
        const float x = std::fabs(at[0]), y = std::fabs(at[1]), z = std::fabs(at[2]);
        const int face = x >= y && x >= z ? (at[0] >= 0 ? 0 : 1) : y >= z ? (at[1] >= 0 ? 2 : 3) : (at[2] >= 0 ? 4 : 5);
        return texture.faces[static_cast<size_t>(face)];
      }
      const auto texel = [](float u) { return static_cast<int>(std::clamp(std::floor(u * 4.0f), 0.0f, 3.0f)); };
      const size_t index = static_cast<size_t>(texel(at[1]) * 4 + texel(at[0])) * 4;
      return {texture.texels[index], texture.texels[index + 1], texture.texels[index + 2], texture.texels[index + 3]};
    }
    return {0, 0, 0, 1};
  };
}

class ShaderExecutionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    runner = GlslRunner::Get(why);
    if (runner == nullptr) GTEST_SKIP() << "no OpenGL 4.5 context: " << why;
    // Uniform values every case starts from.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> wide(-2.0f, 2.0f);
    for (size_t n = 0; n < 64; ++n) base.constants[n] = {wide(random), wide(random), wide(random), wide(random)};
    base.integers[0] = {4, 1, 2, 0};
    base.booleans = 0x5;  // b0 and b2
    for (size_t n = 0; n < ShaderInterface::STAGES; ++n) {
      base.bumpMatrix[n] = {0.5f, -0.25f, 0.125f, 0.75f};
      base.bumpLuminance[n] = {0.5f, 0.25f, 0, 0};
    }
  }

  static GlslRunner::Uniforms UniformsOf(const ShaderInterpreter::Inputs& inputs) {
    GlslRunner::Uniforms uniforms;
    for (size_t n = 0; n < ShaderInterface::VERTEX_FLOAT_CONSTANTS; ++n) {
      for (size_t i = 0; i < 4; ++i) {
        uniforms.vertexConstants.c[n][i] = inputs.constants[n][i];
        if (n < ShaderInterface::PIXEL_FLOAT_CONSTANTS) uniforms.pixelConstants.c[n][i] = inputs.constants[n][i];
      }
    }
    for (size_t n = 0; n < ShaderInterface::INTEGER_CONSTANTS; ++n) {
      for (size_t i = 0; i < 4; ++i) uniforms.vertexConstants.i[n][i] = inputs.integers[n][i];
    }
    uniforms.vertexConstants.b = inputs.booleans;
    for (size_t n = 0; n < ShaderInterface::STAGES; ++n) {
      for (size_t i = 0; i < 4; ++i) {
        uniforms.pixelState.bumpMatrix[n][i] = inputs.bumpMatrix[n][i];
        uniforms.pixelState.bumpLuminance[n][i] = inputs.bumpLuminance[n][i];
      }
    }
    return uniforms;
  }

  // Runs a vertex shader on the CPU model and on Mesa; returns the model's
  // outputs after checking that both agree.
  std::vector<ShaderInterpreter::Outputs> RunVertex(const std::string& text, ShaderInterpreter::Inputs inputs,
                                                    float tolerance = 1e-5f) {
    const DecodedShader shader = Decode(text);
    std::mt19937 random(11);
    std::uniform_real_distribution<float> wide(-2.0f, 2.0f);
    std::vector<std::array<Vector, ShaderInterface::VERTEX_INPUTS>> vertices(COUNT);
    std::vector<ShaderInterpreter::Outputs> expected(COUNT);
    for (int v = 0; v < COUNT; ++v) {
      for (Vector& input : vertices[v]) input = {wide(random), wide(random), wide(random), wide(random)};
      inputs.vertex = vertices[v];
      std::string error;
      EXPECT_TRUE(ShaderInterpreter().Run(shader, ShaderKey(), inputs, expected[v], error)) << text << error;
    }
    std::string source, error, log;
    ShaderInterface interface;
    if (!ShaderTranslator::Translate(shader, ShaderKey(), source, interface, error)) {
      ADD_FAILURE() << text << error;
      return expected;
    }
    std::vector<GlslRunner::VertexOutput> actual;
    if (!runner->RunVertex(source, UniformsOf(inputs), vertices, 0, actual, log)) {
      ADD_FAILURE() << text << source << log;
      return expected;
    }
    for (int v = 0; v < COUNT; ++v) {
      const std::string where = text + "vertex " + std::to_string(v);
      ExpectNear(expected[v].position, actual[v].position, tolerance, where + " position");
      for (size_t n = 0; n < 2; ++n) ExpectNear(expected[v].colors[n], actual[v].colors[n], tolerance, where + " oD" + std::to_string(n));
      for (size_t n = 0; n < ShaderInterface::TEXCOORDS; ++n) {
        ExpectNear(expected[v].texcoords[n], actual[v].texcoords[n], tolerance, where + " oT" + std::to_string(n));
      }
      EXPECT_TRUE(Near(expected[v].fog, actual[v].fog, tolerance)) << where << " fog";
    }
    return expected;
  }

  // The same for a pixel shader over COUNT random pixels.
  std::vector<ShaderInterpreter::Outputs> RunPixel(const std::string& text, const ShaderKey& key,
                                                   ShaderInterpreter::Inputs inputs, float tolerance = 1e-5f) {
    const DecodedShader shader = Decode(text);
    std::string source, error, log;
    ShaderInterface interface;
    if (!ShaderTranslator::Translate(shader, key, source, interface, error)) {
      ADD_FAILURE() << text << error;
      return {};
    }
    const std::vector<GlslRunner::Texture> textures = TexturesFor(interface);
    inputs.sampler = CpuSampler(textures);
    std::mt19937 random(13);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f), coordinate(-0.2f, 1.2f), z(0.3f, 1.2f), w(0.5f, 2.0f);
    std::vector<GlslRunner::PixelInput> pixels(COUNT);
    std::vector<ShaderInterpreter::Outputs> expected(COUNT);
    for (int p = 0; p < COUNT; ++p) {
      GlslRunner::PixelInput& pixel = pixels[p];
      for (Vector& color : pixel.colors) color = {unit(random), unit(random), unit(random), unit(random)};
      for (Vector& texcoord : pixel.texcoords) texcoord = {coordinate(random), coordinate(random), z(random), w(random)};
      pixel.depth = unit(random);
      inputs.colors = pixel.colors;
      inputs.texcoords = pixel.texcoords;
      inputs.fragmentDepth = pixel.depth;
      EXPECT_TRUE(ShaderInterpreter().Run(shader, key, inputs, expected[p], error)) << text << error;
    }
    std::vector<GlslRunner::PixelOutput> actual;
    if (!runner->RunPixel(source, UniformsOf(inputs), textures, pixels, actual, log)) {
      ADD_FAILURE() << text << source << log;
      return expected;
    }
    for (int p = 0; p < COUNT; ++p) {
      const std::string where = text + "pixel " + std::to_string(p);
      const bool killed = actual[p].color[0] == GlslRunner::KILLED;
      EXPECT_EQ(expected[p].killed, killed) << where;
      if (killed || expected[p].killed) continue;
      ExpectNear(expected[p].targets[0], actual[p].color, tolerance, where);
      EXPECT_TRUE(Near(expected[p].depth, actual[p].depth, 1e-6f)) << where << " depth " << actual[p].depth;
    }
    return expected;
  }

  GlslRunner* runner = nullptr;
  ShaderInterpreter::Inputs base;
};

TEST_F(ShaderExecutionTest, VertexArithmeticMatchesTheModel) {
  RunVertex(
      "vs_1_1\ndcl_position v0\ndcl_normal v1\ndcl_texcoord v2\nmov oPos, v0\nadd oT0, v0, c0\n"
      "add oT1, v1, -c1.wzyx\nmad oT2, v0, c2, -v1\nmul oT3.xz, v2.yyxw, c3\nmin oT4, v0, v1\n"
      "max oT5, v0, -v1\nslt oT6, v0, v1\nsge oT7, v0, c4.x\n",
      base);
  RunVertex(
      "vs_1_1\ndcl_position v0\ndcl_normal v1\ndp3 oT0, v0, v1\ndp4 oT1, v0, c0\nm4x4 oT2, v0, c4\n"
      "m4x3 oT3, v1, c8\nm3x3 oT4, v0, c12\nm3x4 oT5, v1, c16\nm3x2 oT6, v0, c20\ndst oT7, v0, v1\n"
      "mov oPos, v1\nmov oD0, v0\nmov oD1, -v1\nmov oFog, v0.w\n",
      base);
  RunVertex(
      "vs_1_1\ndcl_position v0\ndcl_normal v1\nrcp oT0, v0.x\nrsq oT1, v1.y\nexp oT2, v0.z\nlog oT3, v1.w\n"
      "expp oT4, v0.y\nlogp oT5, v1.x\nfrc oT6.xy, v0\nlit oT7, v1\nmov oPos, v0\n",
      base, 1e-4f);
  RunVertex(
      "vs_2_0\ndcl_position v0\ndcl_normal v1\ndef c90, 0, 0, 0, 5\npow oT0, v0.x, v1.y\ncrs oT1.xyz, v0, v1\n"
      "sgn oT2, v0, r10, r11\nabs oT3, v1\nnrm oT4, v0\nmov r0, c90\nsincos r0.xy, v1.z, c0, c1\nmov oT5, r0\n"
      "lrp oT6, v0, v1, c2\nmov r1, c90\nsincos r1.y, v0.w, c0, c1\nmov oT7, r1\nmov oPos, v0\n",
      base, 1e-4f);
}

TEST_F(ShaderExecutionTest, SpecialValuesGiveDirect3DResults) {
  const auto outputs = RunVertex(
      "vs_1_1\ndef c90, 0, 1, -2, 0.25\ndef c91, -1, 0.5, 0, 10\ndef c92, 0.5, -1, 0, 10\n"
      "def c93, 0.5, 1.0625, 0, 200\ndef c94, -1.5, 0, 0, 0\nrcp oT0, c90.x\nrsq oT1, c90.z\nlogp oT2, c90.x\n"
      "lit oT3, c91\nlit oT4, c92\nlit oT5, c93\nexpp oT6, c94.x\nrcp oT7.x, c90.y\nrsq oT7.y, c90.w\n"
      "log oT7.z, c90.z\nmov oT7.w, c90.x\nmov oPos, c90\n",
      base, 1e-4f);
  const auto& t = outputs[0].texcoords;
  ExpectNear({MAX, MAX, MAX, MAX}, t[0], 0, "rcp of 0");
  ExpectNear({0.70710678f, 0.70710678f, 0.70710678f, 0.70710678f}, t[1], 1e-6f, "rsq of |-2|");
  ExpectNear({-MAX, -MAX, -MAX, -MAX}, t[2], 0, "logp of 0");
  ExpectNear({1, 0, 0, 1}, t[3], 0, "lit with x < 0");
  ExpectNear({1, 0.5f, 0, 1}, t[4], 0, "lit with y < 0");
  ExpectNear({1, 0.5f, std::pow(1.0625f, 127.9961f), 1}, t[5], 1e-4f, "lit clamps the power");
  ExpectNear({0.25f, 0.5f, 0.35355339f, 1}, t[6], 1e-5f, "vs_1_1 expp");
  ExpectNear({1, 2, 1, 0}, t[7], 0, "rcp of 1, rsq of 0.25, log of |-2|");

  const auto zero = RunVertex(
      "vs_2_0\ndef c91, 0, -0, 0, 0\ndef c92, 2, -1, 200, 1\nnrm oT0, c91\npow oT1, c91.x, c91.x\n"
      "pow oT2, c91.x, c92.x\npow oT3, c91.x, c92.y\nrcp oT4, c91.y\nlog oT5, c91.x\nexp oT6, c92.z\n"
      "rsq oT7, c92.w\nexpp r0, c92.y\nmov oD0, r0\nmov oPos, c91\n",
      base);
  const auto& z = zero[0].texcoords;
  ExpectNear({0, 0, 0, 0}, z[0], 0, "nrm of 0");
  ExpectNear({1, 1, 1, 1}, z[1], 0, "pow(0, 0)");
  ExpectNear({0, 0, 0, 0}, z[2], 0, "pow(0, 2)");
  ExpectNear({MAX, MAX, MAX, MAX}, z[3], 0, "pow(0, -1)");
  ExpectNear({MAX, MAX, MAX, MAX}, z[4], 0, "rcp of -0");
  ExpectNear({-MAX, -MAX, -MAX, -MAX}, z[5], 0, "log of 0");
  ExpectNear({MAX, MAX, MAX, MAX}, z[6], 0, "exp overflows to FLT_MAX");
  ExpectNear({1, 1, 1, 1}, z[7], 0, "rsq of 1");
  ExpectNear({0.5f, 0.5f, 0.5f, 0.5f}, zero[0].colors[0], 1e-5f, "vs_2_0 expp is 2^x everywhere");

  // sincos writes .x cos and .y sin and leaves the rest alone.
  const auto sincos = RunVertex(
      "vs_2_0\ndef c10, 1, 2, 3, 4\ndef c11, 0.5, 0, 0, 0\nmov r0, c10\nsincos r0.y, c11.x, c0, c1\n"
      "mov oT0, r0\nmov r1, c10\nsincos r1.xy, c11.x, c0, c1\nmov oT1, r1\nmov oPos, c10\n",
      base, 1e-5f);
  ExpectNear({1, std::sin(0.5f), 3, 4}, sincos[0].texcoords[0], 1e-5f, "sincos .y");
  ExpectNear({std::cos(0.5f), std::sin(0.5f), 3, 4}, sincos[0].texcoords[1], 1e-5f, "sincos .xy");
}

TEST_F(ShaderExecutionTest, AddressRegisterAndRelativeConstants) {
  ShaderInterpreter::Inputs inputs = base;
  inputs.constants[4] = {4, 4, 4, 4};
  inputs.constants[3] = {3, 3, 3, 3};
  // vs_1_1 mov floors; out of range reads give zero.
  const auto floors = RunVertex(
      "vs_1_1\ndcl_position v0\ndef c1, -0.5, 2.5, 1.75, 300\ndef c12, 7, 8, 9, 10\nmov a0.x, c1.x\n"
      "mov oT0, c[a0.x + 5]\nmov a0.x, c1.y\nmov oT1, c[a0.x + 10]\nmov a0.x, c1.z\nmov oT2, c[a0.x + 2]\n"
      "mov a0.x, c1.w\nmov oT3, c[a0.x + 0]\nmov a0.x, -c1.w\nmov oT4, c[a0.x + 1]\nmov a0.x, v0.x\n"
      "mov oT5, c[a0.x + 40]\nmov oPos, v0\n",
      inputs);
  const auto& t = floors[0].texcoords;
  ExpectNear({4, 4, 4, 4}, t[0], 0, "floor(-0.5) + 5 reads c4");
  ExpectNear({7, 8, 9, 10}, t[1], 0, "a relative read reaches a def");
  ExpectNear({3, 3, 3, 3}, t[2], 0, "floor(1.75) + 2 reads c3");
  ExpectNear({0, 0, 0, 0}, t[3], 0, "c300 is out of range");
  ExpectNear({0, 0, 0, 0}, t[4], 0, "c-299 is out of range");

  // vs_2_0 mova rounds to nearest (halves up), per component.
  inputs.constants[10] = {10, 10, 10, 10};
  inputs.constants[11] = {11, 11, 11, 11};
  inputs.constants[13] = {13, 13, 13, 13};
  inputs.constants[8] = {8, 8, 8, 8};
  const auto rounds = RunVertex(
      "vs_2_0\ndcl_position v0\ndef c1, -0.5, 2.5, 1.49, -2.5\nmova a0, c1\nmov oT0, c[a0.x + 10]\n"
      "mov oT1, c[a0.y + 10]\nmov oT2, c[a0.z + 10]\nmov oT3, c[a0.w + 10]\nmova a0.x, v0.y\n"
      "mov oT4, -c[a0.x + 20].wzyx\nmov oPos, v0\n",
      inputs);
  ExpectNear({10, 10, 10, 10}, rounds[0].texcoords[0], 0, "round(-0.5) = 0");
  ExpectNear({13, 13, 13, 13}, rounds[0].texcoords[1], 0, "round(2.5) = 3");
  ExpectNear({11, 11, 11, 11}, rounds[0].texcoords[2], 0, "round(1.49) = 1");
  ExpectNear({8, 8, 8, 8}, rounds[0].texcoords[3], 0, "round(-2.5) = -2");
}

TEST_F(ShaderExecutionTest, FlowControl) {
  const auto outputs = RunVertex(
      "vs_2_0\ndcl_position v0\ndefi i1, 3, 2, 3, 0\ndefb b3, true\nmov r0, c0\nloop aL, i0\n"
      "add r0, r0, c[aL + 10]\nendloop\nmov oT0, r0\nmov r1, c1\nrep i1\nmad r1, r1, c2, c3\nendrep\n"
      "mov oT1, r1\nmov r2, c4\nif b0\nadd r2, r2, c5\nelse\nsub r2, r2, c5\nendif\nif !b1\nmul r2, r2, c6\n"
      "endif\nif b3\nadd r2, r2, c7\nendif\nmov oT2, r2\nmov r3, c8\ncall l1\ncallnz l2, b2\ncallnz l2, !b0\n"
      "mov oT3, r3\nmov oPos, v0\nret\nlabel l1\nadd r3, r3, c9\nret\nlabel l2\nmul r3, r3, c9\nret\n",
      base);
  // The loop ran aL = 1, 3, 5, 7.
  Vector sum = base.constants[0];
  for (const size_t n : {11, 13, 15, 17}) {
    for (int i = 0; i < 4; ++i) sum[i] += base.constants[n][i];
  }
  ExpectNear(sum, outputs[0].texcoords[0], 1e-5f, "loop aL, i0");
  Vector calls{};
  for (int i = 0; i < 4; ++i) calls[i] = (base.constants[8][i] + base.constants[9][i]) * base.constants[9][i];
  ExpectNear(calls, outputs[0].texcoords[3], 1e-5f, "call, callnz");
}

TEST_F(ShaderExecutionTest, PixelArithmeticAndModifiers) {
  const ShaderKey key;
  ShaderInterpreter::Inputs inputs = base;
  inputs.constants[3] = {2, -3, 0.5f, 1.5f};
  inputs.constants[4] = {-0.75f, 1.5f, 0.25f, -0.9f};
  inputs.constants[5] = {0.5f, 0.5f, 0.5f, 0.5f};
  RunPixel("ps_1_1\ndef c0, 0.25, 0.5, 0.75, 1\nmad_d2 r0, v0_bx2, c0, v1_bias\n", key, inputs);
  RunPixel("ps_1_1\nsub_x2 r1, v0, -v1_bx2\nmul_d4 r0, r1, 1-c1\n", key, inputs);
  RunPixel("ps_1_4\nadd_d4 r0, -v0_x2, c5\n", key, inputs);
  RunPixel("ps_1_1\nmov r0, v0\ncnd r0, r0.a, v1, c2\n", key, inputs);
  RunPixel("ps_1_4\ncnd r1, v0, v1, c0\ncmp r0, v1_bias, r1, c1\n", key, inputs);
  RunPixel("ps_1_2\ndp3 r1, v0_bx2, v1_bx2\ndp4 r1.a, v0, c0\nlrp r0, v0, r1, v1\n", key, inputs);
  RunPixel("ps_2_0\ndcl t0\ndcl t1\nrcp r0.x, t0.x\nrsq r0.y, t0.y\nexp r0.z, t1.z\nlog r0.w, t1.w\nmov oC0, r0\n",
           key, inputs, 1e-4f);
  RunPixel(
      "ps_2_0\ndcl t0\ndcl t1\npow r0.x, t0.x, t1.y\nfrc r0.y, t0.z\nnrm r1, t0\nsincos r2.xy, t1.w, c0, c1\n"
      "add r0.z, r1.x, r2.x\nadd r0.w, r1.y, r2.y\nmov oC0, r0\n",
      key, inputs, 1e-4f);
  RunPixel(
      "ps_2_0\ndcl t0\ndcl t1\ndcl v0\ncrs r0.xyz, t0, t1\nabs r1, -t0\nmin r2, r1, v0\nmax r2, r2, c3\n"
      "lrp r3, v0, r2, r0\ndp2add r4, t0, t1, c2.z\ncmp r5, -r4, r3, t1\nmad oC0, r5, c1, r4\n",
      key, inputs);
  RunPixel("ps_2_0\ndcl t0\nm4x4 r0, t0, c0\nm3x3 r1, t0, c4\nm3x2 r1.xy, r0, c8\nadd oC0, r0, r1\n", key, inputs);

  // Shift first, then saturate: x4 of v0 * v1 saturates before the halving.
  const auto shifted = RunPixel("ps_1_1\ndef c0, 1, 1, 1, 1\nmul_x4_sat r1, v0, c0\nmul_d2 r0, r1, c0\n", key, inputs);
  for (const auto& pixel : shifted) EXPECT_LE(pixel.targets[0][0], 0.5f);
  // Constants clamp to [-1, 1]; arithmetic to [-8, 8].
  const auto clamped = RunPixel("ps_1_1\nadd r0, c3, c4\n", key, inputs);
  ExpectNear({0.25f, 0, 0.75f, 0.1f}, clamped[0].targets[0], 1e-6f, "ps_1_x constants");
  const auto range = RunPixel("ps_1_1\ndef c0, 1, 1, 1, 1\nadd_x4 r1, c0, c0\nadd_x4 r1, r1, c0\nmul_d8 r0, r1, c5\n",
                              key, inputs);
  ExpectNear({0.5f, 0.5f, 0.5f, 0.5f}, range[0].targets[0], 1e-6f, "ps_1_x range");
  RunPixel("ps_1_1\nmov r0, v0\nadd r0.rgb, r0, v1\n+mov r0.a, r0.b\n", key, inputs);
  RunPixel("ps_1_1\nmov r1, v0\nmov r0, v1\nmul r0.rgb, r1, r0\n+add r0.a, r1.b, r0.b\n", key, inputs);
}

// The model itself: co-issued pairs read before they write, so the alpha
// gets the old blue.
TEST(ShaderInterpreterTest, CoissuedPairReadsOldValues) {
  ShaderInterpreter::Inputs inputs;
  inputs.colors = {Vector{0.1f, 0.2f, 0.3f, 0.4f}, Vector{0.25f, 0.25f, 0.25f, 0.25f}};
  const DecodedShader shader = Decode("ps_1_1\nmov r0, v0\nadd r0.rgb, r0, v1\n+mov r0.a, r0.b\n");
  ShaderInterpreter::Outputs outputs;
  std::string error;
  ASSERT_TRUE(ShaderInterpreter().Run(shader, ShaderKey(), inputs, outputs, error)) << error;
  ExpectNear({0.35f, 0.45f, 0.55f, 0.3f}, outputs.targets[0], 1e-6f, "co-issue");
}

TEST_F(ShaderExecutionTest, Pixel11TextureInstructions) {
  ShaderKey key;
  key.projection = 4u << 0 | 3u << 3;  // stage 0 by w, stage 1 by z
  key.textureKinds = ShaderKey::KIND_CUBE << 6;  // stage 3
  RunPixel("ps_1_1\ntex t0\ntex t1\ntexcoord t2\ntexkill t3\nmad r0, t0, t1, t2\n", key, base);
  RunPixel("ps_1_1\ntex t0\ntexreg2ar t1, t0\ntexreg2gb t2, t0\nadd r0, t1, t2\n", key, base);
  RunPixel("ps_1_1\ntex t0\ntexm3x2pad t1, t0_bx2\ntexm3x2tex t2, t0_bx2\nmov r0, t2\n", key, base);
  RunPixel("ps_1_1\ntex t0\ntexm3x3pad t1, t0\ntexm3x3pad t2, t0\ntexm3x3tex t3, t0\nmov r0, t3\n", key, base);
  RunPixel("ps_1_1\ndef c0, 0.3, 0.4, 0.5, 0\ntex t0\ntexm3x3pad t1, t0\ntexm3x3pad t2, t0\ntexm3x3spec t3, t0, c0\n"
           "mov r0, t3\n",
           key, base);
  RunPixel("ps_1_1\ntex t0\ntexm3x3pad t1, t0_bx2\ntexm3x3pad t2, t0_bx2\ntexm3x3vspec t3, t0_bx2\nmov r0, t3\n", key,
           base);
  RunPixel("ps_1_2\ntex t0\ntexdp3tex t1, t0\ntexdp3 t2, t0\nadd r0, t1, t2\n", key, base);
  RunPixel("ps_1_2\ntex t0\ntexm3x3pad t1, t0\ntexm3x3pad t2, t0\ntexm3x3 t3, t0\nmov r0, t3\n", key, base);
  RunPixel("ps_1_1\ntex t0\ntexbem t1, t0\ntexbeml t2, t0\nadd r0, t1, t2\n", key, base);
  RunPixel("ps_1_3\ntex t0\ntexm3x2pad t1, t0\ntexm3x2depth t2, t0\nmov r0, t0\n", key, base);
  ShaderKey shadow;
  shadow.shadowSamplers = 1;
  shadow.projection = 4;
  RunPixel("ps_1_1\ntex t0\nmov r0, t0\n", shadow, base);
}

TEST_F(ShaderExecutionTest, Pixel14And20TextureInstructions) {
  const ShaderKey key;
  RunPixel("ps_1_4\ntexld r0, t0\ntexld r1, t1_dw.xyw\ntexcrd r2.rgb, t2\ntexcrd r3.rgb, t3_dw.xyw\nphase\n"
           "texld r4, r2_dz\nadd r5, r3, r1\nmul r0, r0, r4\nadd_d2 r0, r0, r5\ntexkill t4\ntexkill r3\n",
           key, base);
  RunPixel("ps_1_4\ntexcrd r1.rgb, t1\ntexld r2, t2\nbem r3.rg, r1, r2\nphase\ntexld r3, r3\nmov r0, r3\n", key, base);
  RunPixel("ps_1_4\ntexcrd r5.rgb, t0\nphase\ntexdepth r5\nmov r0, v0\n", key, base);
  RunPixel("ps_1_4\nmov r1, v0\nphase\nmov r0.rgb, r1\n+mov r0.a, r1.a\n", key, base);
  RunPixel("ps_2_0\ndcl t0\ndcl t1\ndcl_2d s0\ndcl_cube s1\ndcl_volume s2\ntexld r0, t0, s0\ntexldp r1, t1, s0\n"
           "texldb r2, t0, s2\ntexld r3, t1, s1\nadd r0, r0, r1\nadd r2, r2, r3\nadd oC0, r0, r2\n",
           key, base);
  RunPixel("ps_2_0\ndcl t0\ndcl t1\ndcl v0\nmov oDepth, t0.x\ntexkill t1\nmov oC0, v0\n", key, base);
  ShaderKey shadow;
  shadow.shadowSamplers = 1;
  RunPixel("ps_2_0\ndcl t0\ndcl_2d s0\ntexldp r0, t0, s0\ntexld r1, t0, s0\nadd oC0, r0, r1\n", shadow, base);
}

TEST_F(ShaderExecutionTest, VertexEpilogue) {
  GlslRunner::Uniforms uniforms;
  const float fixup[4] = {1, -1, 0.5f, 0.25f};
  std::copy(fixup, fixup + 4, uniforms.vertexState.positionFixup);
  std::string source, error, log;
  ShaderInterface interface;
  ShaderKey key;
  key.clipPlanes = 0x5;
  ASSERT_TRUE(ShaderTranslator::Translate(Decode("vs_1_1\ndcl_position v0\ndcl_texcoord v3\nmov oPos, v0\nmov oT0, v3\n"),
                                          key, source, interface, error));
  std::vector<std::array<Vector, ShaderInterface::VERTEX_INPUTS>> vertices(1);
  vertices[0][0] = {0.5f, 0.25f, 0.75f, 2.0f};
  vertices[0][3] = {9, 9, 9, 9};
  std::vector<GlslRunner::VertexOutput> outputs;
  ASSERT_TRUE(runner->RunVertex(source, uniforms, vertices, 1u << 3, outputs, log)) << source << log;
  ExpectNear({0.5f + 2 * 0.5f, -0.25f + 2 * 0.25f, 0.75f, 2.0f}, outputs[0].position, 1e-6f, "position fix-up");
  ExpectNear({0, 0, 0, 1}, outputs[0].texcoords[0], 0, "an unbound input reads (0, 0, 0, 1)");
  ExpectNear({1, 1, 1, 1}, outputs[0].colors[0], 0, "unwritten oD0");
  ExpectNear({0, 0, 0, 0}, outputs[0].colors[1], 0, "unwritten oD1");
  ExpectNear({0, 0, 0, 1}, outputs[0].texcoords[5], 0, "unwritten oT5");
  EXPECT_EQ(outputs[0].fog, 1.0f);
}

TEST_F(ShaderExecutionTest, PixelEpilogue) {
  GlslRunner::Uniforms uniforms;
  const float fogColor[4] = {1, 0.5f, 0, 0};
  std::copy(fogColor, fogColor + 4, uniforms.pixelState.fogColor);
  uniforms.pixelState.fogParameters[0] = 0.8f;  // end
  uniforms.pixelState.fogParameters[1] = 2.0f;  // 1 / (end - start)
  uniforms.pixelState.fogParameters[2] = 1.5f;  // density
  uniforms.pixelState.alphaReference[0] = 128.0f;
  std::vector<GlslRunner::PixelInput> pixels(2);
  pixels[0].colors[0] = {0.2f, 0.4f, 0.6f, 0.4f};
  pixels[0].fog = 0.25f;
  pixels[0].depth = 0.6f;
  pixels[1].colors[0] = {0.8f, 0.6f, 0.4f, 0.6f};
  pixels[1].fog = 0.75f;
  pixels[1].depth = 0.3f;
  const DecodedShader shader = Decode("ps_2_0\ndcl v0\ndcl t0\nadd oC0, v0, t0\n");

  const auto run = [&](const ShaderKey& key) {
    std::string source, error, log;
    ShaderInterface interface;
    EXPECT_TRUE(ShaderTranslator::Translate(shader, key, source, interface, error)) << error;
    std::vector<GlslRunner::PixelOutput> outputs;
    EXPECT_TRUE(runner->RunPixel(source, uniforms, {}, pixels, outputs, log)) << source << log;
    return outputs;
  };
  const auto fogged = [&](const Vector& color, float f) {
    return Vector{fogColor[0] + (color[0] - fogColor[0]) * f, fogColor[1] + (color[1] - fogColor[1]) * f,
                  fogColor[2] + (color[2] - fogColor[2]) * f, color[3]};
  };
  ShaderKey key;
  key.fog = ShaderKey::FOG_VERTEX;
  auto outputs = run(key);
  ExpectNear(fogged(pixels[0].colors[0], 0.25f), outputs[0].color, 1e-5f, "vertex fog");
  key.fog = ShaderKey::FOG_TABLE_LINEAR;
  outputs = run(key);
  ExpectNear(fogged(pixels[0].colors[0], 0.4f), outputs[0].color, 1e-5f, "linear table fog");
  ExpectNear(fogged(pixels[1].colors[0], 1.0f), outputs[1].color, 1e-5f, "linear table fog, clamped");
  key.fog = ShaderKey::FOG_TABLE_EXP;
  outputs = run(key);
  ExpectNear(fogged(pixels[0].colors[0], std::exp(-1.5f * 0.6f)), outputs[0].color, 1e-5f, "exp table fog");
  key.fog = ShaderKey::FOG_TABLE_EXP2;
  outputs = run(key);
  ExpectNear(fogged(pixels[1].colors[0], std::exp(-0.45f * 0.45f)), outputs[1].color, 1e-5f, "exp2 table fog");
  key.fogFromW = 1;  // the pass-through position has w = 1
  outputs = run(key);
  ExpectNear(fogged(pixels[1].colors[0], std::exp(-1.5f * 1.5f)), outputs[1].color, 1e-5f, "fog from w");

  // Alpha 0.4 is 102 of 255, 0.6 is 153: LESS than 128 keeps the first.
  key = ShaderKey();
  key.alphaFunction = 2;
  outputs = run(key);
  EXPECT_NE(outputs[0].color[0], GlslRunner::KILLED);
  EXPECT_EQ(outputs[1].color[0], GlslRunner::KILLED);
  key.alphaFunction = 7;  // GREATEREQUAL
  outputs = run(key);
  EXPECT_EQ(outputs[0].color[0], GlslRunner::KILLED);
  EXPECT_NE(outputs[1].color[0], GlslRunner::KILLED);
  key.alphaFunction = ShaderKey::COMPARE_NEVER;
  outputs = run(key);
  EXPECT_EQ(outputs[1].color[0], GlslRunner::KILLED);

  // Point sprites: a one-pixel point's centre is (0.5, 0.5).
  key = ShaderKey();
  key.pointSprite = 1;
  key.flatColors = 1;
  outputs = run(key);
  ExpectNear({0.2f + 0.5f, 0.4f + 0.5f, 0.6f, 0.4f + 1.0f}, outputs[0].color, 1e-6f, "point sprite coordinates");
}

}  // namespace
}  // namespace ynx
