// Device copies of textures and queries, and drawing into textures.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/io/Image.h"
#include "engine/render/CubeTexture.h"
#include "engine/render/OcclusionQuery.h"
#include "engine/render/Texture.h"
#include "engine/render/VolumeTexture.h"
#include "tests/render/RendererFixture.h"

namespace ynx::test {
namespace {

using ResourceTest = RendererFixture;

// An RGB image whose pixel (x, y) is (x, y, row marker), rows from the
// bottom as images keep them.
Ptr<Image> Picture(uint32_t width, uint32_t height) {
  Ptr<Image> image(new Image(String(), Image::FORMAT_RGB, width, height));
  uint8_t* pixel = image->GetData();
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x, pixel += 3) {
      pixel[0] = static_cast<uint8_t>(x);
      pixel[1] = static_cast<uint8_t>(y);
      pixel[2] = 0x40;
    }
  }
  return image;
}

UINT BoundWidth(IDirect3DDevice9* device, DWORD stage) {
  IDirect3DBaseTexture9* bound = nullptr;
  device->GetTexture(stage, &bound);
  if (bound == nullptr) return 0;
  const UINT width = bound->LevelWidth(0);
  bound->Release();
  return width;
}

TEST_F(ResourceTest, ATextureUploadsBottomRowFirstAndIsRemadeForANewSize) {
  const Ptr<Texture> texture(new Texture(String("Picture"), Picture(8, 4).Get()));
  renderer->SetTexture(texture.Get(), 0);
  EXPECT_EQ(texture->GetMipLevels(), 4);
  IDirect3DBaseTexture9* bound = nullptr;
  device->GetTexture(0, &bound);
  ASSERT_NE(bound, nullptr);
  // Texture row 0 is the image's last row; texels are blue, green, red, alpha.
  const uint8_t* top = bound->LevelBits(0, 0);
  EXPECT_EQ(std::vector<uint8_t>(top + 4 * 2, top + 4 * 3), (std::vector<uint8_t>{0x40, 3, 2, 0xFF}));
  bound->Release();
  EXPECT_EQ(renderer->GetStats().uploads, 1);

  renderer->SetTexture(texture.Get(), 0);
  EXPECT_EQ(renderer->GetStats().uploads, 1);
  texture->SetImage(Picture(16, 16).Get());
  renderer->SetTexture(texture.Get(), 0);
  EXPECT_EQ(BoundWidth(device, 0), 16u);
  EXPECT_EQ(texture->GetMipLevels(), 5);
  EXPECT_EQ(renderer->GetResourceCount(), 1u);
}

TEST_F(ResourceTest, TexturesWithoutUsableImagesAreNotMade) {
  const Ptr<Texture> good(new Texture(String(), Picture(4, 4).Get()));
  const Ptr<Texture> empty(new Texture(String("Empty")));
  const Ptr<CubeTexture> flat(new CubeTexture(String("Flat"), Picture(4, 2).Get()));
  const Ptr<VolumeTexture> volume(new VolumeTexture());
  for (BaseTexture* texture : std::vector<BaseTexture*>{empty.Get(), flat.Get(), volume.Get()}) {
    renderer->SetTexture(good.Get(), 1);
    renderer->SetTexture(texture, 1);
    EXPECT_EQ(BoundWidth(device, 1), 0u) << texture->GetName().CStr();
    EXPECT_EQ(texture->GetBinding().owner, nullptr);
  }
  renderer->SetTexture(good.Get(), 8);
  renderer->SetTexture(good.Get(), -1);
  EXPECT_EQ(renderer->GetResourceCount(), 1u);
  EXPECT_EQ(log.Filtered({"WARNING. Текстура [Empty]", "WARNING. Кубическая текстура [Flat]"}).size(), 2u);
}

TEST_F(ResourceTest, RedirectionsNestAndRestoreTheTargetAndViewportInReverse) {
  const Ptr<Texture> outer(new Texture(String(), Picture(32, 32).Get()));
  const Ptr<Texture> inner(new Texture(String(), Picture(16, 8).Get()));
  const Ptr<Texture> broken(new Texture(String("Broken")));
  IDirect3DSurface9* backBuffer = nullptr;
  device->GetRenderTarget(0, &backBuffer);
  const auto expect = [&](int32_t width, int32_t height, const char* step) {
    EXPECT_EQ(renderer->GetViewportWidth(), width) << step;
    EXPECT_EQ(renderer->GetViewportHeight(), height) << step;
    EXPECT_EQ(renderer->GetWidth(), width) << step;
  };
  renderer->BeginRenderToTexture(outer.Get());
  expect(32, 32, "outer");
  renderer->BeginRenderToTexture(inner.Get());
  expect(16, 8, "inner");
  // A texture being drawn into is not bound; the stage keeps what it had.
  renderer->SetTexture(outer.Get(), 0);
  EXPECT_EQ(BoundWidth(device, 0), 0u);
  renderer->BeginRenderToTexture(broken.Get());
  renderer->BeginRenderToTexture(nullptr);
  expect(16, 8, "after the failed redirection");
  renderer->BeginRenderToTexture(nullptr);
  expect(32, 32, "back to outer");
  renderer->BeginRenderToTexture(nullptr);
  expect(SIZE, SIZE, "back to the window");
  renderer->BeginRenderToTexture(nullptr);
  expect(SIZE, SIZE, "an end too many");
  IDirect3DSurface9* current = nullptr;
  device->GetRenderTarget(0, &current);
  EXPECT_EQ(current, backBuffer);
  current->Release();
  backBuffer->Release();

  // A depth texture without an image takes the viewport's size and the bias.
  const Ptr<Texture> shadow(new Texture(String()));
  renderer->BeginRenderToDepthTexture(shadow.Get(), 1000.0f, 3.0f);
  ASSERT_NE(shadow->GetImage(), nullptr);
  EXPECT_EQ(shadow->GetImage()->GetWidth(), static_cast<uint32_t>(SIZE));
  EXPECT_EQ(shadow->GetImage()->GetFormat(), Image::FORMAT_DEPTH);
  DWORD slope = 0;
  device->GetRenderState(D3DRS_SLOPESCALEDEPTHBIAS, &slope);
  EXPECT_EQ(slope, 0x40400000u);
  renderer->BeginRenderToDepthTexture(nullptr, 0.0f, 1.0f);
  device->GetRenderState(D3DRS_SLOPESCALEDEPTHBIAS, &slope);
  EXPECT_EQ(slope, 0u);
  renderer->SetTexture(shadow.Get(), 1);
  EXPECT_EQ(BoundWidth(device, 1), static_cast<UINT>(SIZE));
}

TEST_F(ResourceTest, AnOcclusionQueryCountsTheQuadsPixels) {
  Ptr<QuadEffect> effect(new QuadEffect());
  const Ptr<Triangles> quad = Quad(-0.5f, -0.5f, 0.5f, 0.5f, Color{1.0f, 1.0f, 1.0f, 1.0f}, effect.Get());
  const Ptr<OcclusionQuery> query(new OcclusionQuery());
  query->SetVisiblePixels(7);
  renderer->EndQuery(query.Get());
  EXPECT_EQ(query->GetVisiblePixels(), 7u);
  renderer->Clear(Renderer::CLEAR_COLOR | Renderer::CLEAR_DEPTH, Color{}, 1.0f, 0);
  ASSERT_EQ(renderer->BeginFrame(), 0);
  renderer->BeginQuery(query.Get());
  quad->Draw(*renderer);
  renderer->EndQuery(query.Get());
  renderer->EndFrame();
  EXPECT_EQ(query->GetVisiblePixels(), 32u * 32u);
}

}  // namespace
}  // namespace ynx::test
