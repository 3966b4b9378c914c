// The module, its modes, device creation and capabilities, the frame and
// the lost device, and the renderer's value tables.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/system/DisplayMode.h"
#include "engine/system/SystemWindow.h"
#include "modules/d3d9/D3D9Mappings.h"
#include "tests/render/RendererFixture.h"
#include "tests/support/NearColor.h"

namespace ynx::test {
namespace {

using RendererTest = RendererFixture;

TEST(D3D9MappingsTest, ModeFormatsDepthFormatsAndPrimitiveCounts) {
  struct ModeCase {
    int32_t colorBits, greenBits, alphaBits;
    D3DFORMAT backBuffer, adapter;
  };
  for (const ModeCase& c : std::vector<ModeCase>{
           {16, 5, 0, D3DFMT_X1R5G5B5, D3DFMT_X1R5G5B5},
           {16, 6, 0, D3DFMT_R5G6B5, D3DFMT_R5G6B5},
           {16, 5, 1, D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5},
           {32, 8, 0, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8},
           {32, 10, 2, D3DFMT_A2R10G10B10, D3DFMT_A2R10G10B10},
           {32, 8, 8, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8},
           {24, 8, 0, D3DFMT_UNKNOWN, D3DFMT_UNKNOWN},
       }) {
    DisplayModeDesc mode;
    mode.colorBits = c.colorBits;
    mode.greenBits = c.greenBits;
    mode.alphaBits = c.alphaBits;
    EXPECT_EQ(D3D9Mappings::BackBufferFormat(mode), c.backBuffer) << c.colorBits << "/" << c.greenBits;
    EXPECT_EQ(D3D9Mappings::AdapterFormat(mode), c.adapter) << c.colorBits << "/" << c.alphaBits;
  }
  EXPECT_EQ(D3D9Mappings::DepthFormat(24, 8), D3DFMT_D24S8);
  EXPECT_EQ(D3D9Mappings::DepthFormat(15, 1), D3DFMT_D15S1);
  EXPECT_EQ(D3D9Mappings::DepthFormat(24, 2), D3DFMT_UNKNOWN);

  struct PrimitiveCase {
    int32_t type, indices;
    D3DPRIMITIVETYPE device;
    uint32_t count;
  };
  for (const PrimitiveCase& c : std::vector<PrimitiveCase>{
           {GeometryNode::PRIMITIVE_TRIANGLES, 7, D3DPT_TRIANGLELIST, 2},
           {GeometryNode::PRIMITIVE_LINE_STRIP, 5, D3DPT_LINESTRIP, 4},
           {GeometryNode::PRIMITIVE_LINE_STRIP, 1, D3DPT_LINESTRIP, 0},
           {GeometryNode::PRIMITIVE_LINE_STRIP, 0, D3DPT_LINESTRIP, 0},
           {GeometryNode::PRIMITIVE_LINES, 5, D3DPT_LINELIST, 2},
           {GeometryNode::PRIMITIVE_POINTS, 3, D3DPT_POINTLIST, 3},
       }) {
    D3DPRIMITIVETYPE device = D3DPT_TRIANGLEFAN;
    uint32_t count = 99;
    ASSERT_TRUE(D3D9Mappings::Primitives(c.type, c.indices, device, count));
    EXPECT_EQ(device, c.device);
    EXPECT_EQ(count, c.count) << "type " << c.type << ", " << c.indices << " indices";
  }
  D3DPRIMITIVETYPE device = D3DPT_TRIANGLEFAN;
  uint32_t count = 0;
  EXPECT_FALSE(D3D9Mappings::Primitives(4, 3, device, count));
}

TEST_F(RendererTest, ModesListWindowedEntriesAndTheDesktopInFullScreen) {
  const std::vector<DisplayModeDesc>& modes = renderer->GetModes();
  DisplayMode desktop;
  ASSERT_TRUE(DisplayMode::Read(0, DisplayMode::CURRENT, desktop));
  const int32_t index = renderer->GetDesktopMode();
  ASSERT_GE(index, 0);
  const DisplayModeDesc& chosen = modes[static_cast<size_t>(index)];
  EXPECT_TRUE(chosen.fullscreen);
  EXPECT_EQ(chosen.width, desktop.width);
  EXPECT_EQ(chosen.height, desktop.height);
  // The first back-buffer and depth formats that fit come first.
  EXPECT_EQ(chosen.alphaBits, 8);
  EXPECT_EQ(chosen.depthBits, 24);
  EXPECT_EQ(chosen.stencilBits, 8);
  for (int32_t earlier = 0; earlier < index; ++earlier) {
    const DisplayModeDesc& mode = modes[static_cast<size_t>(earlier)];
    EXPECT_FALSE(mode.fullscreen && mode.width == chosen.width && mode.height == chosen.height);
  }
  // Windowed modes come with every back buffer the device can draw into,
  // full screen only with the display's depth; nothing is multisampled.
  EXPECT_GE(WindowedMode(16, 0, 16, 0), 0);
  EXPECT_GE(WindowedMode(16, 1, 24, 8), 0);
  EXPECT_EQ(WindowedMode(32, 0, 24, 4), -1);
  for (const DisplayModeDesc& mode : modes) {
    EXPECT_EQ(mode.samples, 1);
    EXPECT_TRUE(!mode.fullscreen || mode.colorBits == 32);
  }
}

TEST_F(RendererTest, CreatingTheDeviceLogsTheModeAndTheCapabilities) {
  EXPECT_EQ(log.Filtered({"INFO. Created", "INFO. COLOR", "INFO. Alpha", "INFO. Depth", "INFO. Stencil",
                          "INFO. Samples", "INFO. VERTEX", "INFO. PIXEL"}),
            (std::vector<std::string>{"INFO. Created HARDWARE VERTEXPROCESSING", "INFO. COLOR BPP 32",
                                      "INFO. Alpha BPP 0", "INFO. Depth BPP 24", "INFO. Stencil BPP 8",
                                      "INFO. Samples 1", "INFO. VERTEX SHADER 1", "INFO. PIXEL SHADER 1"}));
  EXPECT_EQ(renderer->GetMaxTextureStages(), 8);
  EXPECT_EQ(renderer->GetMaxLights(), 8);
  EXPECT_TRUE(renderer->HasPointSprites());
  EXPECT_TRUE(renderer->HasDepthTextures());
  EXPECT_EQ(renderer->GetWidth(), SIZE);
  // A second renderer is refused while this one is current.
  log.Clear();
  EXPECT_EQ(CreateRendererFromModule(String("DirectX9")), 1);
  EXPECT_TRUE(log.Contains("ERROR. Создание рендерера [DirectX9] неудачно."));
}

TEST_F(RendererTest, CapabilityLimitsOnlyLower) {
  struct Case {
    const char* limits;
    int32_t vertex, pixel, stages, lights;
    bool sprites, depthTextures;
    size_t warnings;
  };
  for (const Case& c : std::vector<Case>{
           {"vs=1.1", 0, 1, 8, 8, true, true, 0},
           {"ps=1.1, stages=2", 1, 0, 2, 8, true, true, 0},
           {"ps=none", 4, 4, 8, 8, true, true, 0},
           {"vs=none,lights=1,pointsprites=0,depthtextures=0", 4, 1, 8, 1, false, false, 0},
           {"vs=3.0,ps=3.0,stages=16,lights=99,pointsprites=1", 1, 1, 8, 8, true, true, 0},
           {"stages=-1,colour=2,vs=4.0,lights", 1, 1, 8, 8, true, true, 4},
       }) {
    setenv("YNX_RENDERER_CAPS", c.limits, 1);
    log.Clear();
    ASSERT_EQ(Reopen(), 0);
    EXPECT_EQ(renderer->GetVertexShaderLevel(), c.vertex) << c.limits;
    EXPECT_EQ(renderer->GetPixelShaderLevel(), c.pixel) << c.limits;
    EXPECT_EQ(renderer->GetMaxTextureStages(), c.stages) << c.limits;
    EXPECT_EQ(renderer->GetMaxLights(), c.lights) << c.limits;
    EXPECT_EQ(renderer->HasPointSprites(), c.sprites) << c.limits;
    EXPECT_EQ(renderer->HasDepthTextures(), c.depthTextures) << c.limits;
    EXPECT_EQ(log.Filtered({"WARNING. YNX_RENDERER_CAPS"}).size(), c.warnings) << c.limits;
    EXPECT_TRUE(log.Contains("INFO. VERTEX SHADER " + std::to_string(c.vertex))) << c.limits;
  }
}

TEST_F(RendererTest, BrightnessRampsClampedAndClearPacksClampedColours) {
  D3DGAMMARAMP ramp{};
  renderer->SetBrightness(0);
  device->GetGammaRamp(0, &ramp);
  for (int32_t i = 0; i < 256; ++i) ASSERT_EQ(ramp.green[i], i * 256) << i;
  renderer->SetBrightness(300);
  device->GetGammaRamp(0, &ramp);
  EXPECT_EQ(ramp.red[21], 60000 + 21 * 256);
  for (int32_t i = 22; i < 256; ++i) ASSERT_EQ(ramp.blue[i], 65535) << i;

  const Color bright{2.0f, -1.0f, 0.5f, 1.0f};
  EXPECT_EQ(renderer->Clear(Renderer::CLEAR_COLOR | Renderer::CLEAR_STENCIL, bright, 1.0f, 0), 0);
  EXPECT_EQ(renderer->GetClearColor(), bright);
  EXPECT_TRUE(NearColor(At(ReadBack(), 5, 5), 0xFFFF007Fu, 0, false));
}

TEST_F(RendererTest, TransformsViewportAndLightsReachTheDevice) {
  Matrix4 scaled = Matrix4::Identity();
  scaled.m[0] = 2.0f;
  struct MatrixCase {
    int32_t stage;
    Matrix4 matrix;
    DWORD flags;
  };
  for (const MatrixCase& c : std::vector<MatrixCase>{{1, scaled, D3DTTFF_COUNT3}, {1, Matrix4::Identity(), 0}}) {
    renderer->SetTextureMatrix(c.stage, c.matrix);
    DWORD flags = 99;
    device->GetTextureStageState(static_cast<DWORD>(c.stage), D3DTSS_TEXTURETRANSFORMFLAGS, &flags);
    EXPECT_EQ(flags, c.flags);
  }
  renderer->SetTextureMatrix(8, scaled);
  Matrix4 read;
  renderer->GetTextureMatrix(read, 8);
  EXPECT_EQ(read, Matrix4::Identity());
  renderer->SetViewport(Vector2{-3.0f, 2.2f}, Vector2{30.9f, 20.5f});
  D3DVIEWPORT9 viewport{};
  device->GetViewport(&viewport);
  EXPECT_EQ(std::vector<DWORD>({viewport.X, viewport.Y, viewport.Width, viewport.Height}),
            std::vector<DWORD>({0, 2, 30, 20}));

  Ptr<Light> spot(new Light());
  spot->SetLightType(Light::LIGHT_SPOT);
  spot->SetSpot(2.0f, 0.5f);
  Ptr<Light> fixed(new Light());
  std::vector<Light*>& lights = renderer->GetLights();
  for (Light* light : {spot.Get(), fixed.Get()}) {
    lights.push_back(light);
    renderer->PushLight(light);
  }
  D3DLIGHT9 value{};
  device->GetLight(0, &value);
  EXPECT_EQ(value.Type, D3DLIGHT_SPOT);
  EXPECT_FLOAT_EQ(value.Theta, 1.0f);
  EXPECT_FLOAT_EQ(value.Phi, 1.05f);
  device->GetLight(1, &value);
  EXPECT_EQ(value.Type, D3DLIGHT_DIRECTIONAL);
  EXPECT_EQ(value.Direction.z, 1.0f);
  DWORD lighting = FALSE;
  device->GetRenderState(D3DRS_SPECULARENABLE, &lighting);
  EXPECT_TRUE(lighting);
  renderer->PushLight(nullptr);
  renderer->PopLights();
  BOOL enabled = TRUE;
  device->GetLightEnable(0, &enabled);
  device->GetRenderState(D3DRS_LIGHTING, &lighting);
  EXPECT_FALSE(enabled);
  EXPECT_FALSE(lighting);
}

TEST_F(RendererTest, ALostDeviceReleasesEverythingAndAReopenedOneDrawsAgain) {
  Ptr<QuadEffect> effect(new QuadEffect());
  const Ptr<Triangles> quad = Quad(-1.0f, -1.0f, 1.0f, 1.0f, Color{0.0f, 1.0f, 0.0f, 1.0f}, effect.Get());
  Frame({quad.Get()});
  EXPECT_EQ(renderer->GetResourceCount(), 5u);

  device->SimulateDeviceLost();
  renderer->Clear(Renderer::CLEAR_COLOR, Color{}, 1.0f, 0);
  EXPECT_EQ(renderer->BeginFrame(), 1);
  EXPECT_EQ(renderer->GetResourceCount(), 0u);
  EXPECT_EQ(quad->GetVertices()->GetBinding().owner, nullptr);
  EXPECT_EQ(effect->GetQuadPass()->GetBinding().rendererData, nullptr);

  ASSERT_EQ(Reopen(), 0);
  Frame({quad.Get()});
  EXPECT_EQ(renderer->GetStats().passesRecorded, 1);
  EXPECT_TRUE(NearColor(At(ReadBack(), 32, 32), 0xFF00FF00u, 1, false));
}

// Whichever goes first, the window goes with the renderer's last holder and
// nothing is left behind (the sanitizer build checks the memory).
TEST_F(RendererTest, TeardownInEitherOrder) {
  for (const bool rendererFirst : {false, true}) {
    ASSERT_EQ(Renderer::GetCurrent() == nullptr, rendererFirst);
    if (rendererFirst) {
      ASSERT_EQ(CreateRendererFromModule(String("DirectX9")), 0);
      renderer = static_cast<D3D9Renderer*>(Renderer::GetCurrent());
      ASSERT_EQ(Reopen(), 0);
    }
    const WindowHandle window = renderer->GetWindow();
    Ptr<QuadEffect> effect(new QuadEffect());
    Ptr<Triangles> quad = Quad(-1.0f, -1.0f, 1.0f, 1.0f, Color{1.0f, 0.0f, 0.0f, 1.0f}, effect.Get());
    Frame({quad.Get()});
    if (rendererFirst) {
      ReleaseRenderer();
      renderer = nullptr;
      EXPECT_TRUE(SystemWindow::IsOpen(window));
      quad = nullptr;
      effect = nullptr;
    } else {
      quad = nullptr;
      effect = nullptr;
      EXPECT_EQ(renderer->GetResourceCount(), 0u);
      ReleaseRenderer();
      renderer = nullptr;
    }
    EXPECT_FALSE(SystemWindow::IsOpen(window));
  }
}

}  // namespace
}  // namespace ynx::test
