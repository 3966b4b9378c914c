// Generated fixed-function pixel programs run on Mesa against the CPU model:
// the renderer's stage modes and combine operations, every supported stage
// operation with every argument and modifier, the end of the chain and
// stages without texture, texture kinds and projection, specular add, fog,
// alpha test and point sprites.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "tests/d3d9/FixedFunctionHarness.h"

namespace ynx {
namespace {

using test::FixedFunctionHarness;
using test::GlslRunner;
using Model = test::FixedFunctionModel;
using Vector = Model::Vector;
using Draw = FixedFunctionKey::Draw;

std::string Text(const Vector& v) {
  return "(" + std::to_string(v[0]) + ", " + std::to_string(v[1]) + ", " + std::to_string(v[2]) + ", " +
         std::to_string(v[3]) + ")";
}

void SetStage(Model::Device& device, uint32_t stage, uint32_t colorOp, uint32_t colorArg1, uint32_t colorArg2,
              uint32_t alphaOp, uint32_t alphaArg1, uint32_t alphaArg2) {
  auto& ss = device.stageStates[stage];
  ss[D3DTSS_COLOROP] = colorOp;
  ss[D3DTSS_COLORARG1] = colorArg1;
  ss[D3DTSS_COLORARG2] = colorArg2;
  ss[D3DTSS_ALPHAOP] = alphaOp;
  ss[D3DTSS_ALPHAARG1] = alphaArg1;
  ss[D3DTSS_ALPHAARG2] = alphaArg2;
}

class FixedFunctionPixelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    runner = GlslRunner::Get(why);
    if (runner == nullptr) GTEST_SKIP() << "no OpenGL 4.5 context: " << why;
    draw.textures[0] = draw.textures[1] = draw.textures[2] = FixedFunctionKey::TEXTURE_2D;
    device.renderStates[D3DRS_TEXTUREFACTOR] = D3DCOLOR_ARGB(0x60, 0xC0, 0x80, 0x40);
    std::mt19937 random(11);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int i = 0; i < 16; ++i) {
      Model::PixelInput input;
      for (auto& color : input.colors) color = {unit(random), unit(random), unit(random), unit(random)};
      for (auto& texcoord : input.texcoords) texcoord = {unit(random), unit(random), unit(random), 1.0f};
      input.fog = unit(random);
      input.depth = unit(random);
      inputs.push_back(input);
    }
  }

  void Check(const std::string& what, float tolerance = 1e-4f) {
    const auto textures = FixedFunctionHarness::TexturesFor(draw);
    std::vector<Vector> colors;
    std::string log;
    ASSERT_TRUE(FixedFunctionHarness::RunPixel(*runner, device, draw, textures, inputs, colors, log)) << what << "\n" << log;
    for (size_t i = 0; i < inputs.size(); ++i) {
      const Vector expected = FixedFunctionHarness::ModelPixel(device, draw, textures, inputs[i]);
      for (int c = 0; c < 4; ++c) {
        if (std::fabs(expected[c] - colors[i][c]) > tolerance) {
          ADD_FAILURE() << what << ", pixel " << i << ": expected " << Text(expected) << ", got " << Text(colors[i]);
          break;
        }
      }
    }
  }

  GlslRunner* runner = nullptr;
  Model::Device device;
  Draw draw;
  std::vector<Model::PixelInput> inputs;
};

TEST_F(FixedFunctionPixelTest, TheRenderersStageModes) {
  Check("device defaults: texture times diffuse, texture alpha");
  // replace, decal, modulate, blend, add on stage 1 over a modulated stage 0.
  SetStage(device, 0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
  SetStage(device, 1, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT);
  Check("replace");
  SetStage(device, 1, D3DTOP_BLENDTEXTUREALPHA, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_CURRENT, 0);
  Check("decal");
  SetStage(device, 1, D3DTOP_LERP, D3DTA_TFACTOR, D3DTA_CURRENT, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
  device.stageStates[1][D3DTSS_COLORARG0] = D3DTA_TEXTURE;
  Check("blend");
  SetStage(device, 1, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT);
  Check("add");
  // combine: each operation over sources texture, vertex colour, factor,
  // current with their operands.
  const uint32_t ops[] = {D3DTOP_SELECTARG1, D3DTOP_MODULATE, D3DTOP_ADD, D3DTOP_SUBTRACT, D3DTOP_ADDSIGNED, D3DTOP_LERP};
  const uint32_t sources[] = {D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_TFACTOR, D3DTA_CURRENT};
  const uint32_t operands[] = {0, D3DTA_COMPLEMENT, D3DTA_ALPHAREPLICATE, D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE};
  for (size_t i = 0; i < std::size(ops); ++i) {
    auto& ss = device.stageStates[1];
    ss[D3DTSS_COLOROP] = ops[i];
    ss[D3DTSS_ALPHAOP] = ops[(i + 2) % std::size(ops)];
    ss[D3DTSS_COLORARG1] = sources[i % 4] | operands[i % 4];
    ss[D3DTSS_COLORARG2] = sources[(i + 1) % 4] | operands[(i + 3) % 4];
    ss[D3DTSS_COLORARG0] = sources[(i + 2) % 4] | operands[(i + 1) % 4];
    ss[D3DTSS_ALPHAARG1] = sources[(i + 3) % 4] | operands[(i + 2) % 4];
    ss[D3DTSS_ALPHAARG2] = sources[i % 4] | operands[(i + 1) % 4];
    ss[D3DTSS_ALPHAARG0] = sources[(i + 1) % 4] | operands[i % 4];
    Check("combine " + std::to_string(ops[i]));
  }
}

TEST_F(FixedFunctionPixelTest, EveryOperationWithEveryArgument) {
  std::mt19937 random(5);
  const uint32_t selectors[] = {D3DTA_DIFFUSE, D3DTA_CURRENT,  D3DTA_TEXTURE, D3DTA_TFACTOR,
                                D3DTA_SPECULAR, D3DTA_TEMP, D3DTA_CONSTANT};
  for (uint32_t stage = 0; stage < 3; ++stage) {
    device.stageStates[stage][D3DTSS_CONSTANT] = D3DCOLOR_ARGB(0x30 + 0x40 * stage, 0x90, 0x20 * stage, 0xE0);
  }
  const auto arg = [&](uint32_t n) { return selectors[(n + random()) % std::size(selectors)] | (random() % 4) << 4; };
  for (uint32_t op = D3DTOP_SELECTARG1; op <= D3DTOP_LERP; ++op) {
    if (op == D3DTOP_PREMODULATE || op == D3DTOP_BUMPENVMAP || op == D3DTOP_BUMPENVMAPLUMINANCE) continue;
    // Stage 0 puts something into CURRENT and TEMP; stage 1 runs the
    // operation as colour and (another one) as alpha; stage 2 reads TEMP.
    SetStage(device, 0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_SPECULAR);
    for (int round = 0; round < 3; ++round) {
      auto& ss = device.stageStates[1];
      SetStage(device, 1, op, arg(1), arg(2), D3DTOP_LERP + D3DTOP_SELECTARG1 - op, arg(3), arg(4));
      ss[D3DTSS_COLORARG0] = arg(5);
      ss[D3DTSS_ALPHAARG0] = arg(6);
      ss[D3DTSS_RESULTARG] = round == 1 ? D3DTA_TEMP : D3DTA_CURRENT;
      SetStage(device, 2, round == 2 ? D3DTOP_DISABLE : D3DTOP_ADD, D3DTA_TEMP, D3DTA_CURRENT, D3DTOP_SUBTRACT,
               D3DTA_CURRENT, D3DTA_TEMP | D3DTA_COMPLEMENT);
      Check("operation " + std::to_string(op) + ", round " + std::to_string(round));
    }
  }
}

TEST_F(FixedFunctionPixelTest, TheChainEndsAtDisableAndMissingTexturesPassCurrent) {
  SetStage(device, 0, D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE, 0);
  SetStage(device, 1, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT);
  Check("stage 0 off: the diffuse colour, later stages ignored");
  std::vector<Vector> colors;
  std::string log;
  ASSERT_TRUE(FixedFunctionHarness::RunPixel(*runner, device, draw, {}, inputs, colors, log)) << log;
  for (size_t i = 0; i < inputs.size(); ++i) EXPECT_EQ(colors[i], inputs[i].colors[0]);

  // Stage 1 reads a texture it does not have: SELECTARG1(CURRENT), while
  // stage 2 with its own texture goes on.
  SetStage(device, 0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, 0);
  SetStage(device, 1, D3DTOP_BLENDTEXTUREALPHA, D3DTA_TFACTOR, D3DTA_CURRENT, D3DTOP_MODULATE, D3DTA_TEXTURE,
           D3DTA_CURRENT);
  SetStage(device, 2, D3DTOP_ADDSIGNED, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SUBTRACT, D3DTA_CURRENT, D3DTA_TEXTURE);
  draw.textures[1] = FixedFunctionKey::TEXTURE_NONE;
  Check("stage 1 without texture");
  // An operation that does not read the texture still runs there.
  SetStage(device, 1, D3DTOP_MODULATE2X, D3DTA_TFACTOR, D3DTA_CURRENT, D3DTOP_ADD, D3DTA_TFACTOR, D3DTA_CURRENT);
  Check("stage 1 without texture, not reading it");
  // Unsupported operations pass CURRENT on too.
  SetStage(device, 1, D3DTOP_BUMPENVMAP, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_PREMODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
  draw.textures[1] = FixedFunctionKey::TEXTURE_2D;
  Check("bump mapping and premodulate");
}

TEST_F(FixedFunctionPixelTest, TextureKindsAndProjection) {
  draw.textures[1] = FixedFunctionKey::TEXTURE_CUBE;
  draw.textures[2] = FixedFunctionKey::TEXTURE_DEPTH;
  SetStage(device, 1, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT);
  SetStage(device, 2, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
  for (size_t i = 0; i < inputs.size(); ++i) {
    auto& t = inputs[i].texcoords;
    t[1] = {t[1][0] * 2.0f - 1.0f, t[1][1] * 2.0f - 1.0f, t[1][2] * 2.0f - 1.0f, 1.0f};
    t[0][3] = t[2][3] = 0.5f + 0.1f * static_cast<float>(i % 5);
    t[0][2] = 0.8f;
  }
  Check("2D, cube and depth");
  device.stageStates[0][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_COUNT3 | D3DTTFF_PROJECTED;
  device.stageStates[2][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_PROJECTED;  // the renderer's projected stage
  Check("projected by z and by w");
  device.stageStates[0][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_COUNT2 | D3DTTFF_PROJECTED;
  device.stageStates[1][D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_COUNT4 | D3DTTFF_PROJECTED;
  Check("projected by y; a cube by w");
}

TEST_F(FixedFunctionPixelTest, SpecularAddFogAndAlphaTest) {
  device.renderStates[D3DRS_SPECULARENABLE] = TRUE;
  Check("specular added after the stages");
  device.renderStates[D3DRS_FOGENABLE] = TRUE;
  device.renderStates[D3DRS_FOGCOLOR] = D3DCOLOR_ARGB(0x00, 0x40, 0x80, 0xC0);
  device.SetFloat(D3DRS_FOGSTART, 0.2f);
  device.SetFloat(D3DRS_FOGEND, 0.9f);
  device.SetFloat(D3DRS_FOGDENSITY, 1.7f);
  Check("vertex fog");
  for (const uint32_t mode : {D3DFOG_LINEAR, D3DFOG_EXP, D3DFOG_EXP2}) {
    device.renderStates[D3DRS_FOGTABLEMODE] = mode;
    Check("table fog " + std::to_string(mode));
  }
  // A perspective projection measures table fog by w (1 in these runs).
  device.projection._34 = 1.0f;
  device.projection._44 = 0.0f;
  device.SetFloat(D3DRS_FOGSTART, 0.5f);
  device.SetFloat(D3DRS_FOGEND, 2.0f);
  device.renderStates[D3DRS_FOGTABLEMODE] = D3DFOG_LINEAR;
  Check("table fog from w");
  device.projection._34 = 0.0f;
  device.projection._44 = 1.0f;
  // FOGSTART == FOGEND: nearer pixels clear, farther ones fogged.
  device.SetFloat(D3DRS_FOGSTART, 0.5f);
  device.SetFloat(D3DRS_FOGEND, 0.5f);
  for (auto& input : inputs) {
    if (std::fabs(input.depth - 0.5f) < 1e-3f) input.depth = 0.4f;
  }
  Check("table fog with FOGSTART == FOGEND");

  device.renderStates[D3DRS_FOGENABLE] = FALSE;
  device.renderStates[D3DRS_ALPHATESTENABLE] = TRUE;
  device.renderStates[D3DRS_ALPHAREF] = 0x80;
  SetStage(device, 0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, 0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, 0);
  // Alphas around the reference, at its 8-bit precision.
  const float alphas[] = {127.0f / 255.0f, 127.4f / 255.0f, 127.6f / 255.0f, 128.0f / 255.0f, 128.6f / 255.0f, 0.0f, 1.0f};
  for (size_t i = 0; i < inputs.size(); ++i) inputs[i].colors[0][3] = alphas[i % std::size(alphas)];
  for (uint32_t function = D3DCMP_NEVER; function <= D3DCMP_ALWAYS; ++function) {
    device.renderStates[D3DRS_ALPHAFUNC] = function;
    Check("alpha test " + std::to_string(function));
  }
}

TEST_F(FixedFunctionPixelTest, PointSpritesReplaceEveryCoordinate) {
  draw.points = true;
  device.renderStates[D3DRS_POINTSPRITEENABLE] = TRUE;
  SetStage(device, 1, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
  Check("sprites");
  device.renderStates[D3DRS_POINTSPRITEENABLE] = FALSE;
  Check("points without sprites");
}

}  // namespace
}  // namespace ynx
