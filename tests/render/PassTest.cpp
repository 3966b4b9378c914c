// Passes through the renderer: recording at the first draw, replay, the
// render-state translation, and draws that must not happen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "engine/render/VertexShader.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/StripLines.h"
#include "tests/render/RendererFixture.h"
#include "tests/support/NearColor.h"

namespace ynx::test {
namespace {

using PassTest = RendererFixture;

TEST_F(PassTest, AQuadDrawsInItsVertexColourWithAndWithoutShaders) {
  for (const char* limits : {"", "ps=none"}) {
    setenv("YNX_RENDERER_CAPS", limits, 1);
    ASSERT_EQ(Reopen(), 0);
    Ptr<QuadEffect> effect(new QuadEffect());
    const Ptr<Triangles> quad = Quad(-0.5f, -0.5f, 0.5f, 0.5f, Color{1.0f, 0.5f, 0.0f, 1.0f}, effect.Get());
    Frame({quad.Get()});
    const std::vector<uint32_t> pixels = ReadBack();
    EXPECT_TRUE(NearColor(At(pixels, 32, 32), 0xFFFF7F00u, 1, false)) << limits;
    EXPECT_TRUE(NearColor(At(pixels, 4, 4), BLACK, 0, false)) << limits;
    // Packed colours take a quarter of the floats' room.
    IDirect3DVertexBuffer9* colors = nullptr;
    UINT offset = 0;
    UINT stride = 0;
    ASSERT_EQ(device->GetStreamSource(1, &colors, &offset, &stride), D3D_OK);
    ASSERT_NE(colors, nullptr);
    EXPECT_EQ(colors->Size(), limits[0] == '\0' ? 64u : 16u) << limits;
    colors->Release();
  }
}

TEST_F(PassTest, APassRecordsOnceReplaysAfterwardsAndUploadsOnlyWhatChanged) {
  Ptr<QuadEffect> effect(new QuadEffect());
  const Ptr<Triangles> quad = Quad(-1.0f, -1.0f, 1.0f, 1.0f, Color{1.0f, 1.0f, 1.0f, 1.0f}, effect.Get());
  struct Step {
    void (*change)(Triangles& quad, QuadEffect& effect);
    RenderStats expected;  // draws, recorded, uploads, device objects
  };
  const Step steps[] = {
      {[](Triangles&, QuadEffect&) {}, {1, 1, 3, 5}},
      {[](Triangles&, QuadEffect&) {}, {1, 0, 0, 0}},
      {[](Triangles&, QuadEffect& e) { e.GetQuadPass()->MarkDirty(); }, {1, 1, 0, 2}},
      {[](Triangles& q, QuadEffect&) { q.GetVertices()->MarkChanged(); }, {1, 0, 1, 0}},
  };
  for (const Step& step : steps) {
    if (effect->GetQuadPass() != nullptr) step.change(*quad, *effect);
    Frame({quad.Get()});
    const RenderStats& stats = renderer->GetStats();
    const auto index = &step - steps;
    EXPECT_EQ(stats.draws, step.expected.draws) << "frame " << index;
    EXPECT_EQ(stats.passesRecorded, step.expected.passesRecorded) << "frame " << index;
    EXPECT_EQ(stats.uploads, step.expected.uploads) << "frame " << index;
    EXPECT_EQ(stats.deviceObjectsCreated, step.expected.deviceObjectsCreated) << "frame " << index;
    QuadPass* pass = effect->GetQuadPass();
    EXPECT_NE(pass->GetBinding().rendererData, nullptr);
    EXPECT_NE(pass->GetStateBlock()->GetBinding().rendererData, nullptr);
  }
  EXPECT_EQ(renderer->GetResourceCount(), 5u);
  renderer->ReleasePass(effect->GetQuadPass());
  EXPECT_EQ(renderer->GetResourceCount(), 3u);
  EXPECT_EQ(effect->GetQuadPass()->GetStateBlock()->GetBinding().owner, nullptr);
}

TEST_F(PassTest, GeometriesSharingAnEffectEachDrawTheirOwnStreams) {
  Ptr<QuadEffect> effect(new QuadEffect());
  const Ptr<Triangles> left = Quad(-1.0f, -1.0f, 0.0f, 1.0f, Color{1.0f, 0.0f, 0.0f, 1.0f}, effect.Get());
  const Ptr<Triangles> right = Quad(0.0f, -1.0f, 1.0f, 1.0f, Color{0.0f, 0.0f, 1.0f, 1.0f}, effect.Get());
  for (int32_t frame = 0; frame < 2; ++frame) {
    Frame({left.Get(), right.Get()});
    const std::vector<uint32_t> pixels = ReadBack();
    EXPECT_TRUE(NearColor(At(pixels, 16, 32), 0xFFFF0000u, 1, false)) << frame;
    EXPECT_TRUE(NearColor(At(pixels, 48, 32), 0xFF0000FFu, 1, false)) << frame;
  }
}

TEST_F(PassTest, AnAbandonedPassLeavesNoRecordingAndNoLight) {
  Ptr<QuadEffect> effect(new QuadEffect());
  const Ptr<Triangles> quad = Quad(-1.0f, -1.0f, 1.0f, 1.0f, Color{0.0f, 1.0f, 0.0f, 1.0f}, effect.Get());
  Ptr<Light> light(new Light());
  effect->PassCount();
  effect->GetQuadPass()->light = light.Get();
  effect->GetQuadPass()->result = 1;
  renderer->Clear(Renderer::CLEAR_COLOR, Color{}, 1.0f, 0);
  ASSERT_EQ(renderer->BeginFrame(), 0);
  quad->Draw(*renderer);
  // Whatever comes next reaches the device, not a recording left open.
  ASSERT_EQ(device->BeginStateBlock(), D3D_OK);
  IDirect3DStateBlock9* block = nullptr;
  ASSERT_EQ(device->EndStateBlock(&block), D3D_OK);
  block->Release();
  renderer->EndFrame();
  EXPECT_EQ(renderer->GetStats().draws, 0);
  EXPECT_EQ(effect->GetQuadPass()->GetBinding().rendererData, nullptr);
  BOOL enabled = TRUE;
  DWORD lighting = TRUE;
  device->GetLightEnable(0, &enabled);
  device->GetRenderState(D3DRS_LIGHTING, &lighting);
  EXPECT_FALSE(enabled);
  EXPECT_FALSE(lighting);
  // The next frame records the pass from the start and draws.
  effect->GetQuadPass()->result = 0;
  effect->GetQuadPass()->light = nullptr;
  Frame({quad.Get()});
  EXPECT_EQ(renderer->GetStats().passesRecorded, 1);
  EXPECT_TRUE(NearColor(At(ReadBack(), 32, 32), 0xFF00FF00u, 1, false));
}

TEST_F(PassTest, ABlockReachesTheDeviceTranslatedAndBadValuesFallBack) {
  Ptr<QuadEffect> effect(new QuadEffect());
  const Ptr<Triangles> quad = Quad(-1.0f, -1.0f, 1.0f, 1.0f, Color{1.0f, 1.0f, 1.0f, 1.0f}, effect.Get());
  effect->PassCount();
  RenderStateBlock& block = *effect->GetQuadPass()->GetStateBlock();
  block.blendEnable = true;
  block.srcBlend = RenderStateBlock::BLEND_DEST_COLOR;
  block.dstBlend = 42;
  block.alphaTestEnable = true;
  block.alphaFunc = -1;
  block.alphaRef = 300;
  block.cullMode = RenderStateBlock::CULL_CLOCKWISE;
  block.fogEnable = true;
  block.fogMode = RenderStateBlock::FOG_EXP2;
  block.fogPerPixel = true;
  block.depthWrite = false;
  block.depthFunc = RenderStateBlock::COMPARE_GREATER;
  block.stencilEnable = true;
  block.stencilPass = 9;
  block.stages[0].mode = TextureStageState::COMBINE;
  block.stages[0].combineColorOp = TextureStageState::OP_INTERPOLATE;
  block.stages[0].colorOperand[1] = TextureStageState::ONE_MINUS_ALPHA;
  block.stages[1].mode = 7;
  block.stages[1].minFilter = TextureStageState::MIN_NEAREST_MIP_LINEAR;
  block.stages[2].texGen = TextureStageState::TEXGEN_SPHERE_MAP;
  block.stages[7].constantColor = Color{1.0f, 0.0f, 0.0f, 1.0f};
  block.pointSprites = true;
  Frame({quad.Get()});

  struct RenderCase {
    D3DRENDERSTATETYPE state;
    DWORD expected;
  };
  for (const RenderCase& c : std::vector<RenderCase>{
           {D3DRS_SRCBLEND, D3DBLEND_DESTCOLOR},
           {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
           {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
           {D3DRS_ALPHAREF, 255},
           {D3DRS_CULLMODE, D3DCULL_CW},
           {D3DRS_FOGTABLEMODE, D3DFOG_EXP2},
           {D3DRS_FOGVERTEXMODE, D3DFOG_NONE},
           {D3DRS_ZWRITEENABLE, FALSE},
           {D3DRS_ZFUNC, D3DCMP_GREATER},
           {D3DRS_STENCILPASS, D3DSTENCILOP_KEEP},
           {D3DRS_TEXTUREFACTOR, 0xFFFF0000u},
           {D3DRS_NORMALIZENORMALS, TRUE},
           {D3DRS_POINTSCALE_C, 0x3F800000u},
       }) {
    DWORD value = 0;
    device->GetRenderState(c.state, &value);
    EXPECT_EQ(value, c.expected) << "render state " << c.state;
  }
  struct StageCase {
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE state;
    DWORD expected;
  };
  for (const StageCase& c : std::vector<StageCase>{
           {0, D3DTSS_COLOROP, D3DTOP_LERP},
           {0, D3DTSS_COLORARG2, D3DTA_CURRENT | D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE},
           {0, D3DTSS_COLORARG0, D3DTA_TFACTOR},
           {1, D3DTSS_COLOROP, D3DTOP_MODULATE},
           {2, D3DTSS_TEXCOORDINDEX, 2 | D3DTSS_TCI_SPHEREMAP},
           {2, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3},
       }) {
    DWORD value = 0;
    device->GetTextureStageState(c.stage, c.state, &value);
    EXPECT_EQ(value, c.expected) << "stage " << c.stage << " state " << c.state;
  }
  DWORD filter = 0;
  device->GetSamplerState(1, D3DSAMP_MIPFILTER, &filter);
  EXPECT_EQ(filter, D3DTEXF_LINEAR);
  device->GetSamplerState(1, D3DSAMP_MINFILTER, &filter);
  EXPECT_EQ(filter, D3DTEXF_POINT);
  EXPECT_EQ(log.Filtered({"WARNING. Недопустимое значение"}).size(), 4u);
}

TEST_F(PassTest, EmptyAndOutOfRangeDrawsAreSkipped) {
  struct Case {
    const char* name;
    bool strip;
    std::vector<int32_t> indices;
    bool positions;
    int32_t draws;
  };
  for (const Case& c : std::vector<Case>{
           {"seven indices", false, {0, 1, 2, 0, 2, 3, 1}, true, 1},
           {"no indices", false, {}, true, 0},
           {"one strip index", true, {2}, true, 0},
           {"five strip indices", true, {0, 1, 2, 3, 0}, true, 1},
           {"an index past the positions", false, {0, 1, 4}, true, 0},
           {"no positions", false, {0, 1, 2}, false, 0},
       }) {
    Ptr<QuadEffect> effect(new QuadEffect());
    Ptr<GeometryNode> node = Quad(-1.0f, -1.0f, 1.0f, 1.0f, Color{1.0f, 1.0f, 1.0f, 1.0f}, effect.Get());
    if (c.strip) {
      Ptr<StripLines> strip(new StripLines());
      strip->SetVertices(node->GetVertices());
      strip->SetColors(node->GetColors());
      strip->SetEffect(effect.Get());
      node = strip;
    }
    node->SetIndices(c.indices.empty() ? nullptr : new IntBuffer(static_cast<int32_t>(c.indices.size()),
                                                                 new int32_t[c.indices.size()]));
    if (!c.indices.empty()) std::copy(c.indices.begin(), c.indices.end(), node->GetIndices()->GetElements());
    if (!c.positions) node->SetVertices(nullptr);
    Frame({node.Get()});
    EXPECT_EQ(renderer->GetStats().draws, c.draws) << c.name;
  }
}

TEST_F(PassTest, AShaderThatDoesNotAssembleIsTriedOnceUntilItsTextChanges) {
  const Ptr<VertexShader> shader(new VertexShader(String("Broken"), "vs_1_1\nmvo oPos, v0\n"));
  for (int32_t bind = 0; bind < 3; ++bind) renderer->SetVertexShader(shader.Get());
  EXPECT_EQ(log.Filtered({"ERROR. Невозможно ассемблировать шейдер [Broken]"}).size(), 1u);
  EXPECT_TRUE(shader->HasFailed());
  IDirect3DVertexShader9* bound = nullptr;
  device->GetVertexShader(&bound);
  EXPECT_EQ(bound, nullptr);

  shader->SetText("vs_1_1\ndcl_position v0\nmov oPos, v0\n");
  renderer->SetVertexShader(shader.Get());
  device->GetVertexShader(&bound);
  ASSERT_NE(bound, nullptr);
  bound->Release();
  EXPECT_EQ(renderer->GetResourceCount(), 1u);
}

}  // namespace
}  // namespace ynx::test
