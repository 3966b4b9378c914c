#include "tests/render/RendererFixture.h"

#include <cstdlib>

#include "engine/render/Technique.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "tests/support/VideoEnvironment.h"
#include "tools/d3d9play/HiddenDevice.h"

namespace ynx::test {
namespace {

[[maybe_unused]] ::testing::Environment* const VIDEO = ::testing::AddGlobalTestEnvironment(new VideoEnvironment);

class QuadTechnique : public Technique {
 public:
  using Technique::Technique;
  bool Create() override {
    AddPass(new QuadPass());
    return true;
  }
};

}  // namespace

int32_t QuadPass::Apply() {
  Renderer* renderer = Renderer::GetCurrent();
  GeometryNode* geometry = renderer->GetCurrentGeometry();
  renderer->SetIndexBuffer(geometry->GetIndices());
  // Quads have no normals: the layout gets no element for them.
  renderer->SetNormalStream(geometry->GetNormals());
  renderer->SetPositionStream(geometry->GetVertices());
  renderer->SetColorStream(geometry->GetColors());
  renderer->SetWorldMatrix(Matrix4::Identity());
  renderer->SetViewMatrix(Matrix4::Identity());
  renderer->SetProjectionMatrix(Matrix4::Identity());
  if (light != nullptr) {
    renderer->GetLights().push_back(light);
    renderer->PushLight(light);
  }
  return result;
}

QuadEffect::QuadEffect() { AddTechnique(new QuadTechnique(this)); }

QuadPass* QuadEffect::GetQuadPass() const {
  const Technique* active = GetActiveTechnique();
  return active != nullptr ? static_cast<QuadPass*>(active->GetPass(0)) : nullptr;
}

void RendererFixture::SetUp() {
  unsetenv("XDG_CURRENT_DESKTOP");
  unsetenv("DESKTOP_SESSION");
  ASSERT_EQ(CreateRendererFromModule(String("DirectX9")), 0);
  renderer = static_cast<D3D9Renderer*>(Renderer::GetCurrent());
  ASSERT_EQ(Reopen(), 0);
}

void RendererFixture::TearDown() {
  EXPECT_EQ(log.Filtered({"WARNING. Direct3D:"}), std::vector<std::string>());
  // A test that stopped inside a frame leaves nothing for the next one.
  if (renderer) renderer->Close();
  ReleaseRenderer();
  renderer = nullptr;
  unsetenv("YNX_RENDERER_CAPS");
}

int32_t RendererFixture::Reopen(int32_t width, int32_t height) {
  const int32_t status =
      renderer->Open(WindowedMode(32, 0, 24, 8), String("RendererTest"), 0, 0, 0, width, height);
  device = renderer->GetDevice();
  return status;
}

int32_t RendererFixture::WindowedMode(int32_t colorBits, int32_t alphaBits, int32_t depthBits,
                                      int32_t stencilBits) const {
  const std::vector<DisplayModeDesc>& modes = renderer->GetModes();
  for (size_t index = 0; index < modes.size(); ++index) {
    const DisplayModeDesc& mode = modes[index];
    if (!mode.fullscreen && mode.colorBits == colorBits && mode.alphaBits == alphaBits &&
        mode.depthBits == depthBits && mode.stencilBits == stencilBits) {
      return static_cast<int32_t>(index);
    }
  }
  return -1;
}

Ptr<Triangles> RendererFixture::Quad(float x0, float y0, float x1, float y1, const Color& color,
                                     QuadEffect* effect) {
  Ptr<Triangles> quad(new Triangles());
  quad->SetVertices(new Vector3Buffer(4, new Vector3[4]{{x0, y0, 0.5f}, {x0, y1, 0.5f}, {x1, y1, 0.5f},
                                                        {x1, y0, 0.5f}}));
  quad->SetColors(new ColorBuffer(4, new Color[4]{color, color, color, color}));
  quad->SetIndices(new IntBuffer(6, new int32_t[6]{0, 1, 2, 0, 2, 3}));
  quad->SetEffect(effect);
  return quad;
}

void RendererFixture::Frame(const std::vector<GeometryNode*>& nodes) {
  renderer->Clear(Renderer::CLEAR_COLOR | Renderer::CLEAR_DEPTH, Color{0.0f, 0.0f, 0.0f, 1.0f}, 1.0f, 0);
  ASSERT_EQ(renderer->BeginFrame(), 0);
  for (GeometryNode* node : nodes) node->Draw(*renderer);
  renderer->EndFrame();
}

std::vector<uint32_t> RendererFixture::ReadBack() const {
  std::vector<uint32_t> pixels;
  IDirect3DSurface9* backBuffer = nullptr;
  if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer))) return pixels;
  D3DSURFACE_DESC desc{};
  HiddenDevice::ReadPixels(device, backBuffer, pixels, desc);
  backBuffer->Release();
  return pixels;
}

}  // namespace ynx::test
