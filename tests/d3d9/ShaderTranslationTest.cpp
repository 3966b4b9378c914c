// Every program the translator builds must compile on Mesa's GLSL compiler
// and link with the programs of the other stage: each in-scope shader of
// the shared vector set under the default key and the keys that change the
// generated code. Shaders it cannot translate are refused with a reason.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/d3d9/shader/ShaderAssembler.h"
#include "platform/d3d9/shader/ShaderDecoder.h"
#include "platform/d3d9/shader/ShaderTranslator.h"
#include "tests/d3d9/GlslRunner.h"
#include "tests/d3d9/ShaderVectorSet.h"

namespace ynx {
namespace {

using test::GlslRunner;
using test::ShaderVectorSet;

// The keys whose fields change the generated code, one field family each.
std::vector<std::pair<std::string, ShaderKey>> Keys() {
  std::vector<std::pair<std::string, ShaderKey>> keys;
  keys.emplace_back("default", ShaderKey());
  ShaderKey key;
  key.fog = ShaderKey::FOG_VERTEX;
  key.alphaFunction = 5;  // GREATER
  key.clipPlanes = 0x3F;
  keys.emplace_back("vertex fog, alpha test, all clip planes", key);
  key = ShaderKey();
  key.fog = ShaderKey::FOG_TABLE_EXP2;
  key.fogFromW = 1;
  key.alphaFunction = ShaderKey::COMPARE_NEVER;
  key.shadowSamplers = 0xFFFF;
  key.clipPlanes = 0x21;
  keys.emplace_back("exp2 fog from w, alpha never, shadow samplers", key);
  key = ShaderKey();
  key.fog = ShaderKey::FOG_TABLE_LINEAR;
  key.projection = 04321;  // stages 0 to 3: none, by y, by z, by w
  key.textureKinds = 0x1 << 2 | 0x2 << 4;  // stage 1 a cube, stage 2 a volume
  key.pointSprite = 1;
  key.flatColors = 1;
  keys.emplace_back("linear fog, projection, cube and volume, point sprites, flat", key);
  return keys;
}

bool Decode(const std::string& text, DecodedShader& shader) {
  std::vector<uint32_t> tokens;
  std::string errors;
  if (!ShaderAssembler::Assemble(text, tokens, errors)) {
    ADD_FAILURE() << text << errors;
    return false;
  }
  std::string error;
  const bool decoded = ShaderDecoder::Decode(tokens.data(), tokens.size(), shader, error);
  EXPECT_TRUE(decoded) << text << error;
  return decoded;
}

TEST(ShaderTranslationTest, EveryVectorCompilesAndLinksOnMesa) {
  if (!ShaderVectorSet::Available()) GTEST_SKIP() << "no vector set at " << ShaderVectorSet::Folder();
  std::string why;
  GlslRunner* runner = GlslRunner::Get(why);
  if (runner == nullptr) GTEST_SKIP() << "no OpenGL 4.5 context: " << why;

  const auto keys = Keys();
  // Per key: the vertex and the pixel programs built with it.
  std::vector<std::vector<std::string>> vertexPrograms(keys.size());
  std::vector<std::vector<std::string>> pixelPrograms(keys.size());
  std::map<std::string, int> refusals;
  int compiled = 0;
  for (const ShaderVectorSet::Vector& vector : ShaderVectorSet::Vectors()) {
    if (!vector.inScope) continue;
    DecodedShader shader;
    std::string error;
    ASSERT_TRUE(ShaderDecoder::Decode(vector.tokens.data(), vector.tokens.size(), shader, error)) << vector.where << error;
    ShaderInterface analyzed;
    const bool accepted = ShaderTranslator::Analyze(shader, analyzed, error);
    if (!accepted) {
      EXPECT_FALSE(error.empty()) << vector.where;
      ++refusals[vector.where + ": " + error];
    }
    for (size_t k = 0; k < keys.size(); ++k) {
      const auto& [name, key] = keys[k];
      std::string source = "stale";
      ShaderInterface interface;
      std::string reason;
      const bool translated = ShaderTranslator::Translate(shader, key, source, interface, reason);
      EXPECT_EQ(accepted, translated) << vector.where << " (" << name << ")";
      if (!translated) {
        EXPECT_TRUE(source.empty()) << vector.where;
        EXPECT_EQ(error, reason) << vector.where;
        continue;
      }
      std::string log;
      const bool pixel = shader.IsPixelShader();
      EXPECT_TRUE(runner->Compile(pixel, source, log))
          << vector.where << " (" << name << ")\n" << vector.text << "\n" << source << log;
      ++compiled;
      (pixel ? pixelPrograms : vertexPrograms)[k].push_back(source);
    }
  }
  // Each program against the tests' own program of the other stage, and
  // translated programs of the same key against each other.
  std::string log;
  int linked = 0;
  for (size_t k = 0; k < keys.size(); ++k) {
    const std::vector<std::string>& vertices = vertexPrograms[k];
    const std::vector<std::string>& pixels = pixelPrograms[k];
    for (const std::string& vertex : vertices) EXPECT_TRUE(runner->Link(vertex, "", log)) << vertex << log;
    for (const std::string& pixel : pixels) EXPECT_TRUE(runner->Link("", pixel, log)) << pixel << log;
    for (size_t i = 0; i < std::max(vertices.size(), pixels.size()) && !vertices.empty() && !pixels.empty(); ++i) {
      const std::string& vertex = vertices[i % vertices.size()];
      const std::string& pixel = pixels[i % pixels.size()];
      EXPECT_TRUE(runner->Link(vertex, pixel, log)) << keys[k].first << "\n" << vertex << pixel << log;
    }
    linked += static_cast<int>(vertices.size() + pixels.size() + std::max(vertices.size(), pixels.size()));
  }
  std::printf("compiled %d programs of %zu vertex and %zu pixel shaders, linked %d pairs; refused %zu shaders:\n",
              compiled, vertexPrograms[0].size(), pixelPrograms[0].size(), linked, refusals.size());
  for (const auto& [what, count] : refusals) std::printf("  %s\n", what.c_str());
}

// What the runtime's validator refuses is refused with a reason, before any
// GLSL is written.
TEST(ShaderTranslationTest, UntranslatableShadersAreRefusedWithAReason) {
  const struct {
    const char* text;
    const char* reason;
  } cases[] = {
      {"vs_2_0\nrep i0\nrep i1\nendrep\nendrep\n", "loop and rep blocks nest only one deep"},
      {"vs_2_0\nif b0\nmov oPos, c0\n", "not closed"},
      {"vs_2_0\nelse\nendif\n", "else without if"},
      {"vs_2_0\nendloop\n", "endloop without loop"},
      {"vs_2_0\ncall l3\nret\nlabel l1\nret\n", "l3, which is not defined"},
      {"vs_2_0\ncall l1\nret\nlabel l1\ncall l2\nret\nlabel l2\nret\n", "calls nest only one deep"},
      {"vs_2_0\nlabel l1\nret\nlabel l1\nret\n", "defined twice"},
      {"vs_1_1\nmov oPos, c300\n", "beyond the device's 256 vertex constants"},
      {"vs_1_1\nm4x4 oPos, v0, c254\n", "beyond the device's 256 vertex constants"},
      {"ps_2_0\ndcl t0\ntexld r0, t0, s0\nmov oC0, r0\n", "s0 is sampled without a dcl"},
      {"ps_1_1\ntex t0\ntexm3x2tex t1, t0\nmov r0, t1\n", "a texture matrix needs 1 pad"},
      {"ps_1_1\ntexm3x3tex t1, t0\nmov r0, t1\n", "a texture matrix needs 2 pad"},
      {"ps_1_1\ntex t0\ntexm3x3pad t1, t0\nmov r0, t0\n", "not followed by the rest of its matrix"},
  };
  for (const auto& entry : cases) {
    DecodedShader shader;
    if (!Decode(entry.text, shader)) continue;
    std::string source = "stale";
    std::string error;
    ShaderInterface interface;
    EXPECT_FALSE(ShaderTranslator::Analyze(shader, interface, error)) << entry.text;
    EXPECT_NE(error.find(entry.reason), std::string::npos) << entry.text << "gave: " << error;
    error.clear();
    EXPECT_FALSE(ShaderTranslator::Translate(shader, ShaderKey(), source, interface, error)) << entry.text;
    EXPECT_TRUE(source.empty());
    EXPECT_NE(error.find(entry.reason), std::string::npos) << entry.text << "gave: " << error;
  }
}

// The interface the device binds by: inputs by location, outputs, samplers
// with their kind and compare mode, and the key fields that matter.
TEST(ShaderTranslationTest, InterfaceNamesWhatTheDeviceBinds) {
  DecodedShader vertex;
  ASSERT_TRUE(Decode(
      "vs_1_1\ndcl_position v0\ndcl_texcoord2 v4\nmov oPos, v0\nmov oT3, v4\nmov oD1, v7\nmov oFog, c5.x\n"
      "mov a0.x, c6.x\nmov oPts, c[a0.x + 2]\n",
      vertex));
  ShaderInterface interface;
  std::string error;
  ASSERT_TRUE(ShaderTranslator::Analyze(vertex, interface, error)) << error;
  EXPECT_FALSE(interface.pixel);
  ASSERT_EQ(interface.inputs.size(), 3u);
  EXPECT_EQ(interface.inputs[0].location, 0u);
  EXPECT_EQ(interface.inputs[0].usage, ShaderTokens::Usage::POSITION);
  EXPECT_TRUE(interface.inputs[0].declared);
  EXPECT_EQ(interface.inputs[1].location, 4u);
  EXPECT_EQ(interface.inputs[1].usage, ShaderTokens::Usage::TEXCOORD);
  EXPECT_EQ(interface.inputs[1].usageIndex, 2);
  EXPECT_EQ(interface.inputs[2].location, 7u);
  EXPECT_FALSE(interface.inputs[2].declared);
  EXPECT_EQ(interface.outputs, ShaderInterface::OUTPUT_POSITION | ShaderInterface::OUTPUT_TEXCOORD0 << 3 |
                                   ShaderInterface::OUTPUT_COLOR0 << 1 | ShaderInterface::OUTPUT_FOG |
                                   ShaderInterface::OUTPUT_POINT_SIZE);
  EXPECT_TRUE(interface.relativeConstants);
  EXPECT_TRUE(interface.constants.test(5));
  EXPECT_TRUE(interface.constants.test(6));
  EXPECT_FALSE(interface.constants.test(2));
  EXPECT_EQ(interface.keyMask.clipPlanes, 0x3F);
  EXPECT_EQ(interface.keyMask.fog, 0);
  EXPECT_EQ(interface.keyMask.shadowSamplers, 0);

  DecodedShader pixel;
  ASSERT_TRUE(Decode("ps_2_0\ndef c3, 1, 1, 1, 1\ndcl t1\ndcl v0\ndcl_2d s0\ndcl_cube s4\ntexld r0, t1, s0\n"
                     "texld r1, t1, s4\nmad r0, r0, c3, c2\nmul oC1, r1, v0\nmov oC0, r0\n",
                     pixel));
  ShaderKey key;
  key.shadowSamplers = 0x11;
  std::string source;
  ASSERT_TRUE(ShaderTranslator::Translate(pixel, key, source, interface, error)) << error;
  EXPECT_TRUE(interface.pixel);
  EXPECT_EQ(interface.colorsRead, 1);
  EXPECT_EQ(interface.texcoordsRead, 1 << 1);
  EXPECT_EQ(interface.renderTargets, 0x3);
  ASSERT_EQ(interface.samplers.size(), 2u);
  EXPECT_EQ(interface.samplers[0].unit, 0u);
  EXPECT_TRUE(interface.samplers[0].shadow);
  EXPECT_EQ(interface.samplers[1].unit, 4u);
  EXPECT_EQ(interface.samplers[1].kind, ShaderKey::KIND_CUBE);
  EXPECT_FALSE(interface.samplers[1].shadow) << "cube textures never compare";
  EXPECT_TRUE(interface.constants.test(2));
  EXPECT_FALSE(interface.constants.test(3)) << "def constants are not bound";
  // Only 2D samplers can hold a depth texture; the cube's bit is masked off.
  EXPECT_EQ(interface.keyMask.shadowSamplers, 0x1);
  EXPECT_EQ(interface.keyMask.clipPlanes, 0);
  EXPECT_EQ(interface.keyMask.projection, 0u);
  EXPECT_EQ(key.Masked(interface.keyMask).shadowSamplers, 0x1);
  EXPECT_NE(source.find("sampler2DShadow ynx_sampler0"), std::string::npos) << source;
  EXPECT_NE(source.find("samplerCube ynx_sampler4"), std::string::npos) << source;
}

}  // namespace
}  // namespace ynx
