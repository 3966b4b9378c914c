// The fixed-function key: what a vertex declaration contributes, that state
// the programs never read leaves the key alone while state they read
// changes it, and that every program the renderer's states can produce (and
// a broad random sample beyond them) compiles on Mesa and links with the
// other stage's programs, translated ones included.

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/d3d9/device/FixedFunctionProgram.h"
#include "platform/d3d9/shader/ShaderTranslator.h"
#include "tests/d3d9/FixedFunctionModel.h"
#include "tests/d3d9/GlslRunner.h"
#include "tests/d3d9/ShaderText.h"

namespace ynx {
namespace {

using test::GlslRunner;
using Device = test::FixedFunctionModel::Device;
using Draw = FixedFunctionKey::Draw;

FixedFunctionKey KeyOf(const Device& device, const Draw& draw) { return FixedFunctionKey::Make(device.State(), draw); }

TEST(FixedFunctionKeyTest, DeclarationsGiveTheVertexFormat) {
  const D3DVERTEXELEMENT9 elements[] = {
      {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
      {1, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},
      {2, 0, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
      {3, 0, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
      {4, 0, D3DDECLTYPE_FLOAT1, 0, D3DDECLUSAGE_TEXCOORD, 3},
      {5, 0, D3DDECLTYPE_SHORT4, 0, D3DDECLUSAGE_TEXCOORD, 1},
      {6, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_TEXCOORD, 9},   // beyond the eight sets
      {7, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 1},     // a second normal is not read
      {8, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_BLENDWEIGHT, 0},
      D3DDECL_END(),
      {9, 0, D3DDECLTYPE_FLOAT1, 0, D3DDECLUSAGE_PSIZE, 0},  // after the end
  };
  const Draw draw = Draw::FromDeclaration(elements, std::size(elements));
  EXPECT_FALSE(draw.transformed);
  EXPECT_TRUE(draw.normal);
  EXPECT_TRUE(draw.diffuse);
  EXPECT_FALSE(draw.specular);
  EXPECT_FALSE(draw.pointSize);
  const uint8_t components[8] = {2, 4, 0, 1, 0, 0, 0, 0};
  for (int set = 0; set < 8; ++set) EXPECT_EQ(draw.texcoordComponents[set], components[set]) << "set " << set;

  const D3DVERTEXELEMENT9 screen[] = {
      {0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITIONT, 0},
      {0, 16, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 1},
      {0, 20, D3DDECLTYPE_FLOAT1, 0, D3DDECLUSAGE_PSIZE, 0},
  };
  const Draw transformed = Draw::FromDeclaration(screen, std::size(screen));
  EXPECT_TRUE(transformed.transformed);
  EXPECT_TRUE(transformed.specular);
  EXPECT_FALSE(transformed.diffuse);
  EXPECT_TRUE(transformed.pointSize);

  EXPECT_EQ(FixedFunctionProgram::AttributeLocation(D3DDECLUSAGE_POSITION, 0), 0);
  EXPECT_EQ(FixedFunctionProgram::AttributeLocation(D3DDECLUSAGE_POSITIONT, 0), 0);
  EXPECT_EQ(FixedFunctionProgram::AttributeLocation(D3DDECLUSAGE_NORMAL, 0), 1);
  EXPECT_EQ(FixedFunctionProgram::AttributeLocation(D3DDECLUSAGE_COLOR, 0), 2);
  EXPECT_EQ(FixedFunctionProgram::AttributeLocation(D3DDECLUSAGE_COLOR, 1), 3);
  EXPECT_EQ(FixedFunctionProgram::AttributeLocation(D3DDECLUSAGE_PSIZE, 0), 4);
  EXPECT_EQ(FixedFunctionProgram::AttributeLocation(D3DDECLUSAGE_TEXCOORD, 7), 12);
  EXPECT_EQ(FixedFunctionProgram::AttributeLocation(D3DDECLUSAGE_TEXCOORD, 8), -1);
  EXPECT_EQ(FixedFunctionProgram::AttributeLocation(D3DDECLUSAGE_BLENDWEIGHT, 0), -1);
  EXPECT_EQ(FixedFunctionProgram::AttributeLocation(D3DDECLUSAGE_COLOR, 2), -1);
}

TEST(FixedFunctionKeyTest, StateTheProgramsDoNotReadLeavesTheKeyAlone) {
  Draw draw;
  draw.normal = true;
  draw.texcoordComponents[0] = 2;
  draw.textures[0] = FixedFunctionKey::TEXTURE_2D;
  Device base;
  base.renderStates[D3DRS_LIGHTING] = FALSE;
  const FixedFunctionKey reference = KeyOf(base, draw);

  const auto same = [&](const char* what, auto change) {
    Device device = base;
    Draw changed = draw;
    change(device, changed);
    const FixedFunctionKey key = KeyOf(device, changed);
    EXPECT_TRUE(key == reference) << what;
    EXPECT_EQ(key.vertex.Hash(), reference.vertex.Hash()) << what;
    EXPECT_EQ(key.pixel.Hash(), reference.pixel.Hash()) << what;
  };
  same("lights without lighting", [](Device& d, Draw&) {
    d.lights[0].Type = D3DLIGHT_SPOT;
    d.lightEnables = 1;
    d.renderStates[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_MATERIAL;
    d.renderStates[D3DRS_LOCALVIEWER] = FALSE;
  });
  same("normalisation without a normal read", [](Device& d, Draw&) { d.renderStates[D3DRS_NORMALIZENORMALS] = TRUE; });
  same("stages after the first disabled one", [](Device& d, Draw&) {
    d.stageStates[2][D3DTSS_COLOROP] = D3DTOP_ADD;
    d.stageStates[2][D3DTSS_COLORARG1] = D3DTA_TFACTOR;
  });
  same("arguments the operation does not read", [](Device& d, Draw&) {
    d.stageStates[0][D3DTSS_COLORARG0] = D3DTA_SPECULAR;
    d.stageStates[0][D3DTSS_ALPHAARG2] = D3DTA_TEMP | D3DTA_COMPLEMENT;
  });
  same("a texture on a stage that is off", [](Device&, Draw& w) { w.textures[3] = FixedFunctionKey::TEXTURE_CUBE; });
  same("the components of a set no matrix reads", [](Device&, Draw& w) { w.texcoordComponents[0] = 3; });
  same("fog values and the colour", [](Device& d, Draw&) {
    d.SetFloat(D3DRS_FOGSTART, 3.0f);
    d.renderStates[D3DRS_FOGCOLOR] = 0xFF00FF00;
    d.renderStates[D3DRS_FOGVERTEXMODE] = D3DFOG_EXP;  // fog is off
  });
  same("point states without points", [](Device& d, Draw&) {
    d.renderStates[D3DRS_POINTSCALEENABLE] = TRUE;
    d.renderStates[D3DRS_POINTSPRITEENABLE] = TRUE;
  });
  same("alpha function with the test off", [](Device& d, Draw&) { d.renderStates[D3DRS_ALPHAFUNC] = D3DCMP_LESS; });

  // Enabled lights are listed in slot order without gaps.
  Device lit = base;
  lit.renderStates[D3DRS_LIGHTING] = TRUE;
  lit.lights[1].Type = D3DLIGHT_POINT;
  lit.lights[3].Type = D3DLIGHT_DIRECTIONAL;
  lit.lightEnables = 0x0A;
  Device packed = base;
  packed.renderStates[D3DRS_LIGHTING] = TRUE;
  packed.lights[0].Type = D3DLIGHT_POINT;
  packed.lights[1].Type = D3DLIGHT_DIRECTIONAL;
  packed.lightEnables = 0x03;
  EXPECT_TRUE(KeyOf(lit, draw) == KeyOf(packed, draw));

  // A stage reading a texture it does not have is SELECTARG1(CURRENT).
  Device missing = base;
  missing.stageStates[1][D3DTSS_COLOROP] = D3DTOP_MODULATE;
  missing.stageStates[1][D3DTSS_ALPHAOP] = D3DTOP_BLENDTEXTUREALPHA;
  Device passing = base;
  for (const uint32_t op : {D3DTSS_COLOROP, D3DTSS_ALPHAOP}) passing.stageStates[1][op] = D3DTOP_SELECTARG1;
  passing.stageStates[1][D3DTSS_COLORARG1] = passing.stageStates[1][D3DTSS_ALPHAARG1] = D3DTA_CURRENT;
  EXPECT_TRUE(KeyOf(missing, draw).pixel == KeyOf(passing, draw).pixel);
}

TEST(FixedFunctionKeyTest, StateTheProgramsReadChangesTheKey) {
  Draw draw;
  draw.normal = draw.diffuse = true;
  draw.texcoordComponents[0] = 2;
  draw.textures[0] = FixedFunctionKey::TEXTURE_2D;
  const Device base;
  const FixedFunctionKey reference = KeyOf(base, draw);
  std::unordered_set<size_t> hashes{reference.vertex.Hash() ^ reference.pixel.Hash() << 1};

  const auto differs = [&](const char* what, auto change) {
    Device device = base;
    Draw changed = draw;
    change(device, changed);
    const FixedFunctionKey key = KeyOf(device, changed);
    EXPECT_FALSE(key == reference) << what;
    EXPECT_TRUE(hashes.insert(key.vertex.Hash() ^ key.pixel.Hash() << 1).second) << what << ": hash collision";
  };
  differs("a light", [](Device& d, Draw&) {
    d.lightEnables = 1;
    d.lights[0].Type = D3DLIGHT_DIRECTIONAL;
  });
  differs("a spot light", [](Device& d, Draw&) {
    d.lightEnables = 1;
    d.lights[0].Type = D3DLIGHT_SPOT;
  });
  differs("specular", [](Device& d, Draw&) { d.renderStates[D3DRS_SPECULARENABLE] = TRUE; });
  differs("local viewer", [](Device& d, Draw&) {
    d.renderStates[D3DRS_SPECULARENABLE] = TRUE;
    d.renderStates[D3DRS_LOCALVIEWER] = FALSE;
  });
  differs("normalisation", [](Device& d, Draw&) { d.renderStates[D3DRS_NORMALIZENORMALS] = TRUE; });
  differs("COLORVERTEX", [](Device& d, Draw&) { d.renderStates[D3DRS_COLORVERTEX] = FALSE; });
  differs("vertex fog", [](Device& d, Draw&) {
    d.renderStates[D3DRS_FOGENABLE] = TRUE;
    d.renderStates[D3DRS_FOGVERTEXMODE] = D3DFOG_LINEAR;
  });
  differs("table fog", [](Device& d, Draw&) {
    d.renderStates[D3DRS_FOGENABLE] = TRUE;
    d.renderStates[D3DRS_FOGTABLEMODE] = D3DFOG_EXP2;
  });
  differs("texture generation", [](Device& d, Draw&) {
    d.stageStates[0][D3DTSS_TEXCOORDINDEX] = D3DTSS_TCI_SPHEREMAP;
  });
  differs("a texture transform", [](Device& d, Draw&) {
    d.stageStates[0][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_COUNT2;
  });
  differs("projection", [](Device& d, Draw&) {
    d.stageStates[0][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_PROJECTED;
  });
  differs("a second stage", [](Device& d, Draw&) {
    d.stageStates[1][D3DTSS_COLOROP] = D3DTOP_ADD;
    d.stageStates[1][D3DTSS_COLORARG1] = D3DTA_TFACTOR;
  });
  differs("an argument modifier", [](Device& d, Draw&) { d.stageStates[0][D3DTSS_COLORARG2] |= D3DTA_COMPLEMENT; });
  differs("the result into TEMP", [](Device& d, Draw&) { d.stageStates[0][D3DTSS_RESULTARG] = D3DTA_TEMP; });
  differs("a cube texture", [](Device&, Draw& w) { w.textures[0] = FixedFunctionKey::TEXTURE_CUBE; });
  differs("alpha test", [](Device& d, Draw&) {
    d.renderStates[D3DRS_ALPHATESTENABLE] = TRUE;
    d.renderStates[D3DRS_ALPHAFUNC] = D3DCMP_GREATER;
  });
  differs("flat shading", [](Device& d, Draw&) { d.renderStates[D3DRS_SHADEMODE] = D3DSHADE_FLAT; });
  differs("points", [](Device&, Draw& w) { w.points = true; });
  differs("point sprites", [](Device& d, Draw& w) {
    w.points = true;
    d.renderStates[D3DRS_POINTSPRITEENABLE] = TRUE;
  });
  differs("pre-transformed", [](Device&, Draw& w) { w.transformed = true; });
}

// A vertex and a pixel shader through the translator, to pair with the
// fixed-function programs.
std::string Translated(const std::string& text) {
  const DecodedShader shader = test::ShaderText::Decode(text);
  std::string error;
  std::string source;
  ShaderInterface interface;
  EXPECT_TRUE(ShaderTranslator::Translate(shader, ShaderKey(), source, interface, error)) << error;
  return source;
}

class FixedFunctionCompileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    runner = GlslRunner::Get(why);
    if (runner == nullptr) GTEST_SKIP() << "no OpenGL 4.5 context: " << why;
  }

  // Builds the programs of a key once each and links the pair.
  void Build(const FixedFunctionKey& key, const std::string& what) {
    if (!built.insert(key.vertex.Hash() ^ key.pixel.Hash() * 31).second) return;
    const std::string vertex = FixedFunctionProgram::VertexSource(key.vertex);
    const std::string pixel = FixedFunctionProgram::PixelSource(key.pixel);
    std::string log;
    EXPECT_TRUE(runner->Link(vertex, pixel, log)) << what << "\n" << vertex << pixel << log;
  }

  GlslRunner* runner = nullptr;
  std::set<size_t> built;
};

TEST_F(FixedFunctionCompileTest, EveryKeyTheRendererProduces) {
  // The renderer's states: stage modes (with combine operations), texture
  // generation modes, fog per vertex or per pixel, lights of each type,
  // colour streams, points with sprites, on one or two stages.
  struct Mode {
    uint32_t colorOp, colorArgs[3], alphaOp, alphaArgs[3];
  };
  const Mode modes[] = {
      {D3DTOP_SELECTARG1, {0, D3DTA_TEXTURE, 0}, D3DTOP_SELECTARG1, {0, D3DTA_TEXTURE, 0}},
      {D3DTOP_BLENDTEXTUREALPHA, {0, D3DTA_TEXTURE, D3DTA_CURRENT}, D3DTOP_SELECTARG1, {0, D3DTA_CURRENT, 0}},
      {D3DTOP_MODULATE, {0, D3DTA_TEXTURE, D3DTA_CURRENT}, D3DTOP_MODULATE, {0, D3DTA_TEXTURE, D3DTA_CURRENT}},
      {D3DTOP_LERP, {D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTA_CURRENT}, D3DTOP_MODULATE, {0, D3DTA_TEXTURE, D3DTA_CURRENT}},
      {D3DTOP_ADD, {0, D3DTA_TEXTURE, D3DTA_CURRENT}, D3DTOP_ADD, {0, D3DTA_TEXTURE, D3DTA_CURRENT}},
      {D3DTOP_SUBTRACT, {0, D3DTA_DIFFUSE | D3DTA_COMPLEMENT, D3DTA_TFACTOR}, D3DTOP_ADDSIGNED,
       {0, D3DTA_CURRENT | D3DTA_ALPHAREPLICATE, D3DTA_TEXTURE}},
  };
  const uint32_t generations[] = {0, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR, D3DTSS_TCI_CAMERASPACENORMAL,
                                  D3DTSS_TCI_CAMERASPACEPOSITION, D3DTSS_TCI_SPHEREMAP, 0};
  int combinations = 0;
  for (const Mode& first : modes) {
    for (const Mode& second : modes) {
      for (uint32_t texGen = 0; texGen < 6; ++texGen) {
        for (uint32_t variant = 0; variant < 6; ++variant) {
          Device device;
          Draw draw;
          draw.diffuse = variant % 2 == 1;
          draw.normal = true;
          draw.texcoordComponents[0] = 2;
          draw.texcoordComponents[1] = 3;
          draw.points = variant == 5;
          draw.textures[0] = FixedFunctionKey::TEXTURE_2D;
          draw.textures[1] = variant == 4 ? FixedFunctionKey::TEXTURE_DEPTH
                             : texGen == 1 ? FixedFunctionKey::TEXTURE_CUBE
                                           : FixedFunctionKey::TEXTURE_2D;
          const Mode* stages[2] = {&first, &second};
          for (uint32_t n = 0; n < 2; ++n) {
            auto& ss = device.stageStates[n];
            ss[D3DTSS_COLOROP] = stages[n]->colorOp;
            ss[D3DTSS_ALPHAOP] = stages[n]->alphaOp;
            for (int i = 0; i < 3; ++i) {
              ss[i == 0 ? D3DTSS_COLORARG0 : D3DTSS_COLORARG1 + i - 1] = stages[n]->colorArgs[i];
              ss[i == 0 ? D3DTSS_ALPHAARG0 : D3DTSS_ALPHAARG1 + i - 1] = stages[n]->alphaArgs[i];
            }
          }
          auto& ss = device.stageStates[1];
          ss[D3DTSS_TEXCOORDINDEX] = 1 | generations[texGen];
          ss[D3DTSS_TEXTURETRANSFORMFLAGS] = texGen == 5 ? D3DTTFF_PROJECTED : texGen ? D3DTTFF_COUNT3 : D3DTTFF_DISABLE;
          device.renderStates[D3DRS_NORMALIZENORMALS] = texGen >= 1 && texGen <= 4;
          device.renderStates[D3DRS_LIGHTING] = variant >= 2;
          device.renderStates[D3DRS_SPECULARENABLE] = variant >= 2;
          device.lightEnables = variant >= 2 ? 1 : 0;
          device.lights[0].Type = static_cast<D3DLIGHTTYPE>(1 + variant % 3);
          device.renderStates[D3DRS_FOGENABLE] = variant != 0;
          device.renderStates[variant == 3 ? D3DRS_FOGTABLEMODE : D3DRS_FOGVERTEXMODE] = 1 + (texGen + variant) % 3;
          device.renderStates[D3DRS_ALPHATESTENABLE] = variant == 1;
          device.renderStates[D3DRS_ALPHAFUNC] = D3DCMP_GREATEREQUAL;
          device.renderStates[D3DRS_POINTSPRITEENABLE] = draw.points;
          device.renderStates[D3DRS_POINTSCALEENABLE] = draw.points;
          Build(KeyOf(device, draw), "renderer combination " + std::to_string(combinations));
          ++combinations;
        }
      }
    }
  }
  EXPECT_GT(built.size(), 500u);
}

TEST_F(FixedFunctionCompileTest, RandomKeysCompileAndPairWithTranslatedPrograms) {
  std::mt19937 random(2024);
  const auto pick = [&](uint32_t count) { return static_cast<uint32_t>(random() % count); };
  for (int round = 0; round < 300; ++round) {
    Device device;
    Draw draw;
    draw.transformed = pick(8) == 0;
    draw.normal = pick(4) != 0;
    draw.diffuse = pick(2) != 0;
    draw.specular = pick(2) != 0;
    draw.pointSize = pick(4) == 0;
    draw.points = pick(4) == 0;
    for (auto& components : draw.texcoordComponents) components = static_cast<uint8_t>(pick(5));
    for (auto& texture : draw.textures) texture = static_cast<uint8_t>(pick(4));
    auto& rs = device.renderStates;
    for (const D3DRENDERSTATETYPE flag : {D3DRS_LIGHTING, D3DRS_SPECULARENABLE, D3DRS_LOCALVIEWER, D3DRS_COLORVERTEX,
                                          D3DRS_NORMALIZENORMALS, D3DRS_FOGENABLE, D3DRS_RANGEFOGENABLE,
                                          D3DRS_ALPHATESTENABLE, D3DRS_POINTSCALEENABLE, D3DRS_POINTSPRITEENABLE}) {
      rs[flag] = pick(2);
    }
    for (const D3DRENDERSTATETYPE source : {D3DRS_DIFFUSEMATERIALSOURCE, D3DRS_AMBIENTMATERIALSOURCE,
                                            D3DRS_SPECULARMATERIALSOURCE, D3DRS_EMISSIVEMATERIALSOURCE}) {
      rs[source] = pick(3);
    }
    rs[D3DRS_FOGVERTEXMODE] = pick(4);
    rs[D3DRS_FOGTABLEMODE] = pick(3) == 0 ? pick(4) : 0;
    rs[D3DRS_ALPHAFUNC] = 1 + pick(8);
    rs[D3DRS_SHADEMODE] = 1 + pick(2);
    device.lightEnables = static_cast<uint8_t>(random());
    for (auto& light : device.lights) light.Type = static_cast<D3DLIGHTTYPE>(1 + pick(3));
    for (uint32_t n = 0; n < FixedFunctionState::STAGES; ++n) {
      auto& ss = device.stageStates[n];
      ss[D3DTSS_COLOROP] = n < 2 || pick(3) ? 1 + pick(26) : D3DTOP_DISABLE;
      ss[D3DTSS_ALPHAOP] = 1 + pick(26);
      for (const uint32_t arg : {D3DTSS_COLORARG0, D3DTSS_COLORARG1, D3DTSS_COLORARG2, D3DTSS_ALPHAARG0,
                                 D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2}) {
        ss[arg] = pick(7) | pick(4) << 4;
      }
      ss[D3DTSS_RESULTARG] = pick(4) == 0 ? D3DTA_TEMP : D3DTA_CURRENT;
      ss[D3DTSS_TEXCOORDINDEX] = pick(8) | pick(5) << 16;
      ss[D3DTSS_TEXTURETRANSFORMFLAGS] = pick(5) | (pick(2) ? D3DTTFF_PROJECTED : D3DTTFF_DISABLE);
    }
    Build(KeyOf(device, draw), "random round " + std::to_string(round));
  }
  EXPECT_GT(built.size(), 250u);

  // Fixed-function programs meet translated ones across the stages.
  Device device;
  Draw draw;
  draw.normal = draw.diffuse = true;
  draw.texcoordComponents[0] = 2;
  draw.textures[0] = FixedFunctionKey::TEXTURE_2D;
  device.renderStates[D3DRS_FOGENABLE] = TRUE;
  device.renderStates[D3DRS_FOGVERTEXMODE] = D3DFOG_LINEAR;
  const FixedFunctionKey key = KeyOf(device, draw);
  const std::string translatedVertex =
      Translated("vs_1_1\ndcl_position v0\ndcl_texcoord v1\nmov oPos, v0\nmov oT0, v1\nmov oD0, v1\nmov oFog, v0.z\n");
  const std::string translatedPixel = Translated("ps_1_1\ntex t0\nmul r0, t0, v0\nadd r0, r0, v1\n");
  std::string log;
  EXPECT_TRUE(runner->Link(FixedFunctionProgram::VertexSource(key.vertex), translatedPixel, log)) << log;
  EXPECT_TRUE(runner->Link(translatedVertex, FixedFunctionProgram::PixelSource(key.pixel), log)) << log;
}

}  // namespace
}  // namespace ynx
