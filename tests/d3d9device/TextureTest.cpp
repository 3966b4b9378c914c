#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3d9/device/D3DX9.h"
#include "tests/d3d9device/DeviceFixture.h"

namespace ynx::test {
namespace {

using TextureTest = DeviceFixture;

void UseLinearFiltering(IDirect3DDevice9* device) {
  device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
}

void FillSolid(IDirect3DBaseTexture9* texture, UINT face, UINT level, uint32_t color) {
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockLevel(face, level, &locked, nullptr, 0), D3D_OK);
  for (UINT y = 0; y < texture->LevelHeight(level); ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + size_t{y} * locked.Pitch);
    for (UINT x = 0; x < texture->LevelWidth(level); ++x) row[x] = color;
  }
  texture->UnlockLevel(face, level);
}

class ScreenQuad {
 public:
  // Corners of the whole target moved half a pixel up and left: where
  // Direct3D maps texel centres onto pixel centres.
  static constexpr float LEFT = -1.0f - 1.0f / 128.0f;
  static constexpr float TOP = 1.0f + 1.0f / 96.0f;
  static constexpr float RIGHT = 1.0f - 1.0f / 128.0f;
  static constexpr float BOTTOM = -1.0f + 1.0f / 96.0f;
};

TEST_F(TextureTest, AFullScreenQuadReproducesItsTexturePixelForPixel) {
  IDirect3DTexture9* pattern = PatternTexture(WIDTH, HEIGHT);
  UseLinearFiltering(device);
  device->SetTexture(0, pattern);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  device->BeginScene();
  DrawTexturedQuad(ScreenQuad::LEFT, ScreenQuad::TOP, ScreenQuad::RIGHT, ScreenQuad::BOTTOM, 0, 0, 1, 1);
  device->EndScene();
  std::vector<uint32_t> pixels = ReadBack();
  for (UINT y = 0; y < HEIGHT; ++y) {
    for (UINT x = 0; x < WIDTH; ++x) {
      ASSERT_TRUE(NearColor(At(pixels, WIDTH, x, y), Pattern(x, y), 2)) << x << ", " << y;
    }
  }

  // The same through a render-target texture, then onto the screen.
  IDirect3DTexture9* target = nullptr;
  ASSERT_EQ(device->CreateTexture(WIDTH, HEIGHT, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target,
                                  nullptr),
            D3D_OK);
  IDirect3DSurface9* surface = nullptr;
  ASSERT_EQ(target->GetSurfaceLevel(0, &surface), D3D_OK);
  IDirect3DSurface9* backBuffer = nullptr;
  device->GetRenderTarget(0, &backBuffer);
  device->SetRenderTarget(0, surface);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  device->BeginScene();
  DrawTexturedQuad(ScreenQuad::LEFT, ScreenQuad::TOP, ScreenQuad::RIGHT, ScreenQuad::BOTTOM, 0, 0, 1, 1);
  device->EndScene();
  pixels = ReadBack(surface);
  for (UINT y = 0; y < HEIGHT; ++y) {
    for (UINT x = 0; x < WIDTH; ++x) {
      ASSERT_TRUE(NearColor(At(pixels, WIDTH, x, y), Pattern(x, y), 2)) << "target " << x << ", " << y;
    }
  }
  device->SetRenderTarget(0, backBuffer);
  device->SetTexture(0, target);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  device->BeginScene();
  DrawTexturedQuad(ScreenQuad::LEFT, ScreenQuad::TOP, ScreenQuad::RIGHT, ScreenQuad::BOTTOM, 0, 0, 1, 1);
  device->EndScene();
  pixels = ReadBack();
  for (UINT y = 0; y < HEIGHT; ++y) {
    for (UINT x = 0; x < WIDTH; ++x) {
      ASSERT_TRUE(NearColor(At(pixels, WIDTH, x, y), Pattern(x, y), 3)) << "screen " << x << ", " << y;
    }
  }
  device->SetTexture(0, nullptr);
  surface->Release();
  backBuffer->Release();
  target->Release();
  pattern->Release();
}

TEST_F(TextureTest, MipLevelsAreBoxFilteredAndSampledByLevel) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  EXPECT_EQ(texture->GetLevelCount(), 3u);
  // Level 0: left half 0xFF204060, right half 0x00A0C0E1.
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  for (UINT y = 0; y < 4; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + size_t{y} * locked.Pitch);
    for (UINT x = 0; x < 4; ++x) row[x] = x < 2 ? 0xFF204060 : 0x00A0C0E1;
  }
  texture->UnlockRect(0);
  ASSERT_EQ(D3DXFilterTexture(texture, nullptr, 0, D3DX_DEFAULT), D3D_OK);
  ASSERT_EQ(texture->LockRect(1, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<const uint32_t*>(locked.pBits)[0], 0xFF204060u);
  EXPECT_EQ(static_cast<const uint32_t*>(locked.pBits)[1], 0x00A0C0E1u);
  texture->UnlockRect(1);
  ASSERT_EQ(texture->LockRect(2, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  // Rounded averages: (0xFF + 0) / 2, (0x20 + 0xA0) / 2, ...
  EXPECT_EQ(static_cast<const uint32_t*>(locked.pBits)[0], 0x806080A1u);
  texture->UnlockRect(2);

  // MAXMIPLEVEL 2 makes the sampler use the 1 x 1 level.
  device->SetTexture(0, texture);
  device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
  device->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 2);
  IDirect3DTexture9* target = nullptr;
  ASSERT_EQ(device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target, nullptr),
            D3D_OK);
  IDirect3DSurface9* surface = nullptr;
  target->GetSurfaceLevel(0, &surface);
  device->SetRenderTarget(0, surface);
  device->SetDepthStencilSurface(nullptr);
  device->BeginScene();
  DrawTexturedQuad(-1, 1, 1, -1, 0, 0, 1, 1);
  device->EndScene();
  EXPECT_TRUE(NearColor(ReadBack(surface)[0], 0x806080A1));
  // After an update of level 2 through a lock, the new texels are drawn.
  ASSERT_EQ(texture->LockRect(2, &locked, nullptr, 0), D3D_OK);
  *static_cast<uint32_t*>(locked.pBits) = 0x11223344;
  texture->UnlockRect(2);
  device->BeginScene();
  DrawTexturedQuad(-1, 1, 1, -1, 0, 0, 1, 1);
  device->EndScene();
  EXPECT_EQ(ReadBack(surface)[27], 0x11223344u);
  device->SetTexture(0, nullptr);
  surface->Release();
  target->Release();
  texture->Release();
}

TEST_F(TextureTest, FormatsSampleAsTheApiSays) {
  // A8 samples as (0, 0, 0, a); X8R8G8B8 ignores its stored alpha.
  IDirect3DTexture9* alpha = nullptr;
  IDirect3DTexture9* opaque = nullptr;
  ASSERT_EQ(device->CreateTexture(3, 3, 1, 0, D3DFMT_A8, D3DPOOL_MANAGED, &alpha, nullptr), D3D_OK);
  ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &opaque, nullptr), D3D_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(alpha->LockRect(0, &locked, nullptr, 0), D3D_OK);
  EXPECT_EQ(locked.Pitch, 3);
  std::memset(locked.pBits, 0x80, 9);
  alpha->UnlockRect(0);
  FillSolid(opaque, 0, 0, 0x00336699);

  IDirect3DTexture9* target = nullptr;
  ASSERT_EQ(device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target, nullptr),
            D3D_OK);
  IDirect3DSurface9* surface = nullptr;
  target->GetSurfaceLevel(0, &surface);
  device->SetRenderTarget(0, surface);
  device->SetDepthStencilSurface(nullptr);
  device->BeginScene();
  device->SetTexture(0, alpha);
  DrawTexturedQuad(-1, 1, 0, -1, 0, 0, 1, 1);
  device->SetTexture(0, opaque);
  DrawTexturedQuad(0, 1, 1, -1, 0, 0, 1, 1);
  device->EndScene();
  const std::vector<uint32_t> pixels = ReadBack(surface);
  EXPECT_EQ(At(pixels, 8, 1, 1), 0x80000000u);
  EXPECT_EQ(At(pixels, 8, 6, 6), 0xFF336699u);

  // A rectangle lock points into the right place.
  const RECT rect{1, 2, 3, 3};
  ASSERT_EQ(alpha->LockRect(0, &locked, &rect, 0), D3D_OK);
  static_cast<uint8_t*>(locked.pBits)[1] = 0x7F;
  alpha->UnlockRect(0);
  ASSERT_EQ(alpha->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<const uint8_t*>(locked.pBits)[2 * 3 + 2], 0x7F);
  EXPECT_EQ(alpha->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
  alpha->UnlockRect(0);
  const RECT outside{2, 2, 4, 3};
  EXPECT_EQ(alpha->LockRect(0, &locked, &outside, 0), D3DERR_INVALIDCALL);
  // Render targets cannot be locked.
  EXPECT_EQ(target->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);

  device->SetTexture(0, nullptr);
  surface->Release();
  target->Release();
  alpha->Release();
  opaque->Release();
}

TEST_F(TextureTest, CubeFacesKeepTheirOrderThroughUploadAndRendering) {
  constexpr D3DCOLOR FACES[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
  constexpr float DIRECTIONS[6][4] = {{1, 0, 0, 0}, {-1, 0, 0, 0}, {0, 1, 0, 0},
                                      {0, -1, 0, 0}, {0, 0, 1, 0}, {0, 0, -1, 0}};
  // Staged in system memory and copied up, as the renderer does.
  IDirect3DCubeTexture9* staging = nullptr;
  IDirect3DCubeTexture9* cube = nullptr;
  ASSERT_EQ(device->CreateCubeTexture(4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &staging, nullptr), D3D_OK);
  ASSERT_EQ(device->CreateCubeTexture(4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &cube, nullptr), D3D_OK);
  for (UINT face = 0; face < 6; ++face) FillSolid(staging, face, 0, FACES[face]);
  EXPECT_EQ(device->SetTexture(0, staging), D3DERR_INVALIDCALL);
  ASSERT_EQ(device->UpdateTexture(staging, cube), D3D_OK);

  IDirect3DVertexShader9* vertexShader =
      VertexShader("vs_2_0\ndcl_position v0\nmov oPos, v0\nmov oT0, c0\n");
  IDirect3DPixelShader9* pixelShader =
      PixelShader("ps_2_0\ndcl t0.xyz\ndcl_cube s0\ntexld r0, t0, s0\nmov oC0, r0\n");
  auto sampleFaces = [&](IDirect3DCubeTexture9* texture, const char* what) {
    device->SetTexture(0, texture);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    for (UINT face = 0; face < 6; ++face) {
      device->BeginScene();
      device->SetVertexShaderConstantF(0, DIRECTIONS[face], 1);
      UseColorPipeline();
      device->SetVertexShader(vertexShader);
      device->SetPixelShader(pixelShader);
      const ColorVertex quad[4] = {{-1, 1, 0, 0}, {1, 1, 0, 0}, {-1, -1, 0, 0}, {1, -1, 0, 0}};
      IDirect3DVertexBuffer9* buffer = VertexBufferOf(&quad, sizeof quad);
      device->SetStreamSource(0, buffer, 0, sizeof(ColorVertex));
      device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
      device->SetStreamSource(0, nullptr, 0, 0);
      buffer->Release();
      device->EndScene();
      EXPECT_EQ(ReadBack()[0], FACES[face]) << what << " face " << face;
    }
  };
  sampleFaces(cube, "uploaded");

  // Rendering into each face of a cube render target.
  IDirect3DCubeTexture9* target = nullptr;
  ASSERT_EQ(device->CreateCubeTexture(8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target, nullptr),
            D3D_OK);
  IDirect3DSurface9* backBuffer = nullptr;
  device->GetRenderTarget(0, &backBuffer);
  for (UINT face = 0; face < 6; ++face) {
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(target->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), 0, &surface), D3D_OK);
    device->SetRenderTarget(0, surface);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, FACES[face], 1.0f, 0);
    surface->Release();
  }
  device->SetRenderTarget(0, backBuffer);
  backBuffer->Release();
  sampleFaces(target, "rendered");

  device->SetTexture(0, nullptr);
  vertexShader->Release();
  pixelShader->Release();
  target->Release();
  staging->Release();
  cube->Release();
}

TEST_F(TextureTest, DepthTexturesSampleAsAComparison) {
  IDirect3DTexture9* depth = nullptr;
  ASSERT_EQ(device->CreateTexture(WIDTH, HEIGHT, 1, D3DUSAGE_DEPTHSTENCIL, D3DFMT_D24S8, D3DPOOL_DEFAULT, &depth,
                                  nullptr),
            D3D_OK);
  IDirect3DSurface9* depthSurface = nullptr;
  depth->GetSurfaceLevel(0, &depthSurface);
  IDirect3DSurface9* autoDepth = nullptr;
  device->GetDepthStencilSurface(&autoDepth);
  // Depth 0.5 on the left half, 1 on the right.
  ASSERT_EQ(device->SetDepthStencilSurface(depthSurface), D3D_OK);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  device->BeginScene();
  DrawColorQuad(-1, 1, 0, -1, 0.5f, 0xFFFFFFFF);
  device->EndScene();
  device->SetDepthStencilSurface(autoDepth);

  // Compared with a reference depth of 0.7: passes (1) where the stored
  // depth is not less.
  IDirect3DVertexShader9* vertexShader = VertexShader(
      "vs_2_0\ndcl_position v0\ndcl_texcoord v1\nmov oPos, v0\nmov r0, v1\nmov r0.z, c0.x\nmov oT0, r0\n");
  const float reference[4] = {0.7f, 0, 0, 0};
  device->SetVertexShaderConstantF(0, reference, 1);
  device->SetTexture(0, depth);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF808080, 1.0f, 0);
  device->BeginScene();
  UseTexturePipeline();
  device->SetVertexShader(vertexShader);
  const TexturedVertex quad[4] = {{-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 1, 0}, {-1, -1, 0.5f, 0, 1}, {1, -1, 0.5f, 1, 1}};
  IDirect3DVertexBuffer9* buffer = VertexBufferOf(&quad, sizeof quad);
  device->SetStreamSource(0, buffer, 0, sizeof(TexturedVertex));
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  device->EndScene();
  const std::vector<uint32_t> pixels = ReadBack();
  EXPECT_EQ(At(pixels, WIDTH, 10, 40) & 0xFFFFFF, 0x000000u);
  EXPECT_EQ(At(pixels, WIDTH, 100, 40) & 0xFFFFFF, 0xFFFFFFu);

  device->SetStreamSource(0, nullptr, 0, 0);
  device->SetTexture(0, nullptr);
  buffer->Release();
  vertexShader->Release();
  autoDepth->Release();
  depthSurface->Release();
  depth->Release();
}

TEST_F(TextureTest, LegacyPixelShadersFollowTheStageStates) {
  // ps_1_1 tokens say neither the texture's kind nor a projective divide:
  // the device takes both from the stage.
  IDirect3DTexture9* pattern = PatternTexture(WIDTH, HEIGHT);
  IDirect3DVertexShader9* vertexShader = VertexShader(
      "vs_1_1\ndcl_position v0\ndcl_texcoord v1\nmov oPos, v0\nmul oT0, v1, c0.xxxx\n");
  IDirect3DPixelShader9* pixelShader = PixelShader("ps_1_1\ntex t0\nmov r0, t0\n");
  UseLinearFiltering(device);
  device->SetTexture(0, pattern);
  for (const float w : {1.0f, 2.0f}) {
    // The vertex program scales the whole coordinate (u, v, 0, 1) by w;
    // dividing by the fourth component undoes it.
    const float scale[4] = {w, w, w, w};
    device->SetVertexShaderConstantF(0, scale, 1);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS,
                                 w == 1.0f ? D3DTTFF_DISABLE : D3DTTFF_COUNT4 | D3DTTFF_PROJECTED);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device->BeginScene();
    UseTexturePipeline();
    device->SetVertexShader(vertexShader);
    device->SetPixelShader(pixelShader);
    const TexturedVertex quad[4] = {{ScreenQuad::LEFT, ScreenQuad::TOP, 0.5f, 0, 0},
                                    {ScreenQuad::RIGHT, ScreenQuad::TOP, 0.5f, 1, 0},
                                    {ScreenQuad::LEFT, ScreenQuad::BOTTOM, 0.5f, 0, 1},
                                    {ScreenQuad::RIGHT, ScreenQuad::BOTTOM, 0.5f, 1, 1}};
    IDirect3DVertexBuffer9* buffer = VertexBufferOf(&quad, sizeof quad);
    device->SetStreamSource(0, buffer, 0, sizeof(TexturedVertex));
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    device->SetStreamSource(0, nullptr, 0, 0);
    buffer->Release();
    device->EndScene();
    const std::vector<uint32_t> pixels = ReadBack();
    for (const UINT x : {0u, 17u, WIDTH - 1}) {
      for (const UINT y : {0u, 31u, HEIGHT - 1}) {
        EXPECT_TRUE(NearColor(At(pixels, WIDTH, x, y), Pattern(x, y), 2)) << "w " << w << " at " << x << ", " << y;
      }
    }
  }

  // A cube texture on the stage makes the same tokens sample a cube.
  IDirect3DCubeTexture9* cube = nullptr;
  ASSERT_EQ(device->CreateCubeTexture(2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube, nullptr), D3D_OK);
  for (UINT face = 0; face < 6; ++face) FillSolid(cube, face, 0, face == D3DCUBEMAP_FACE_POSITIVE_Z ? 0xFF123456 : 0);
  IDirect3DVertexShader9* towardsZ =
      VertexShader("vs_1_1\ndcl_position v0\nmov oPos, v0\nmov oT0, c0\n");
  const float direction[4] = {0.1f, -0.2f, 1.0f, 1.0f};
  device->SetVertexShaderConstantF(0, direction, 1);
  device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  device->SetTexture(0, cube);
  device->BeginScene();
  UseColorPipeline();
  device->SetVertexShader(towardsZ);
  device->SetPixelShader(pixelShader);
  const ColorVertex quad[4] = {{-1, 1, 0.5f, 0}, {1, 1, 0.5f, 0}, {-1, -1, 0.5f, 0}, {1, -1, 0.5f, 0}};
  IDirect3DVertexBuffer9* buffer = VertexBufferOf(&quad, sizeof quad);
  device->SetStreamSource(0, buffer, 0, sizeof(ColorVertex));
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  device->SetStreamSource(0, nullptr, 0, 0);
  buffer->Release();
  device->EndScene();
  EXPECT_EQ(ReadBack()[WIDTH * 10 + 10], 0xFF123456u);

  device->SetTexture(0, nullptr);
  cube->Release();
  towardsZ->Release();
  vertexShader->Release();
  pixelShader->Release();
  pattern->Release();
}

}  // namespace
}  // namespace ynx::test
