#include <gtest/gtest.h>

#include <cstring>

#include "tests/d3d9device/DeviceFixture.h"

namespace ynx::test {
namespace {

// Draws without shaders go through the generated fixed-function programs;
// their formulas are tested with the generator. Here: that the device feeds
// them (declaration inputs, textures by stage, uniforms) and pairs them with
// translated programs.
class FixedFunctionDrawTest : public DeviceFixture {
 protected:
  struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
  };

  void SetUp() override {
    DeviceFixture::SetUp();
    const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITIONT, 0},
                                          {0, 16, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                          {0, 20, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                          D3DDECL_END()};
    ASSERT_EQ(device->CreateVertexDeclaration(elements, &screen), D3D_OK);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
  }
  void TearDown() override {
    device->SetVertexDeclaration(nullptr);
    screen->Release();
    DeviceFixture::TearDown();
  }

  // A screen-space quad over pixels [x0, x1) x [y0, y1), texture corners
  // on pixel corners: Direct3D's half-pixel rule puts them at -0.5.
  void DrawScreenQuad(float x0, float y0, float x1, float y1, D3DCOLOR color) {
    const ScreenVertex quad[4] = {{x0 - 0.5f, y0 - 0.5f, 0.5f, 1.0f, color, 0, 0},
                                  {x1 - 0.5f, y0 - 0.5f, 0.5f, 1.0f, color, 1, 0},
                                  {x0 - 0.5f, y1 - 0.5f, 0.5f, 1.0f, color, 0, 1},
                                  {x1 - 0.5f, y1 - 0.5f, 0.5f, 1.0f, color, 1, 1}};
    IDirect3DVertexBuffer9* buffer = VertexBufferOf(&quad, sizeof quad);
    device->SetVertexDeclaration(screen);
    device->SetStreamSource(0, buffer, 0, sizeof(ScreenVertex));
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    device->SetStreamSource(0, nullptr, 0, 0);
    buffer->Release();
  }

  IDirect3DVertexDeclaration9* screen = nullptr;
};

TEST_F(FixedFunctionDrawTest, ScreenSpaceVerticesAndStagesReachTheirPixels) {
  // No texture: the default stage 0 (texture x diffuse) gives the diffuse
  // colour.
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  device->BeginScene();
  DrawScreenQuad(0, 0, WIDTH / 2, HEIGHT / 2, 0xFF20C040);
  device->EndScene();
  std::vector<uint32_t> pixels = ReadBack();
  EXPECT_EQ(At(pixels, WIDTH, 0, 0), 0xFF20C040u);
  EXPECT_EQ(At(pixels, WIDTH, WIDTH / 2 - 1, HEIGHT / 2 - 1), 0xFF20C040u);
  EXPECT_EQ(At(pixels, WIDTH, WIDTH / 2, HEIGHT / 2 - 1), 0xFF000000u);
  EXPECT_EQ(At(pixels, WIDTH, WIDTH / 2 - 1, HEIGHT / 2), 0xFF000000u);

  // The texture alone, texel for pixel.
  IDirect3DTexture9* pattern = PatternTexture(WIDTH, HEIGHT);
  device->SetTexture(0, pattern);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->BeginScene();
  DrawScreenQuad(0, 0, WIDTH, HEIGHT, 0xFFFFFFFF);
  device->EndScene();
  pixels = ReadBack();
  for (UINT y = 0; y < HEIGHT; ++y) {
    for (UINT x = 0; x < WIDTH; ++x) ASSERT_TRUE(NearColor(At(pixels, WIDTH, x, y), Pattern(x, y))) << x << ", " << y;
  }

  // Texture factor through stage 1.
  device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF808080);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TFACTOR);
  device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
  device->BeginScene();
  DrawScreenQuad(0, 0, WIDTH, HEIGHT, 0xFFFFFFFF);
  device->EndScene();
  const uint32_t halved = ReadBack()[5 * WIDTH + 7];
  const uint32_t expected = Pattern(7, 5);
  for (int shift = 0; shift < 24; shift += 8) {
    EXPECT_NEAR(static_cast<int>(halved >> shift & 0xFF), static_cast<int>((expected >> shift & 0xFF) * 128 / 255), 1);
  }
  device->SetTexture(0, nullptr);
  pattern->Release();
}

TEST_F(FixedFunctionDrawTest, FixedAndProgrammableStagesPair) {
  // A translated vertex program with the fixed-function pixel pipeline.
  UseColorPipeline();
  device->SetPixelShader(nullptr);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  const ColorVertex quad[4] = {{-1, 1, 0.5f, 0xFF3060C0}, {1, 1, 0.5f, 0xFF3060C0},
                               {-1, -1, 0.5f, 0xFF3060C0}, {1, -1, 0.5f, 0xFF3060C0}};
  IDirect3DVertexBuffer9* buffer = VertexBufferOf(&quad, sizeof quad);
  device->SetStreamSource(0, buffer, 0, sizeof(ColorVertex));
  device->BeginScene();
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  device->EndScene();
  EXPECT_EQ(ReadBack()[0], 0xFF3060C0u);

  // The fixed-function vertex pipeline (transforms, no lighting) with a
  // translated pixel program.
  IDirect3DPixelShader9* pixelShader = PixelShader("ps_2_0\ndcl v0\nmul oC0, v0, c0\n");
  const float half[4] = {0.5f, 0.5f, 0.5f, 1.0f};
  device->SetPixelShaderConstantF(0, half, 1);
  device->SetVertexShader(nullptr);
  device->SetPixelShader(pixelShader);
  // World moves the quad right by half the screen.
  const D3DMATRIX world = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 1}}};
  device->SetTransform(D3DTS_WORLD, &world);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  device->BeginScene();
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  device->EndScene();
  const std::vector<uint32_t> pixels = ReadBack();
  EXPECT_EQ(At(pixels, WIDTH, WIDTH / 2 - 1, 10), 0xFF000000u);
  EXPECT_TRUE(NearColor(At(pixels, WIDTH, WIDTH / 2, 10), 0xFF183060));
  device->SetStreamSource(0, nullptr, 0, 0);
  device->SetPixelShader(nullptr);
  buffer->Release();
  pixelShader->Release();
}

}  // namespace
}  // namespace ynx::test
