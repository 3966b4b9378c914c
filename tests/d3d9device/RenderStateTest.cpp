#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "tests/d3d9device/DeviceFixture.h"

namespace ynx::test {
namespace {

constexpr D3DCOLOR BLACK = 0xFF000000;
constexpr D3DCOLOR WHITE = 0xFFFFFFFF;

DWORD Float(float value) { return std::bit_cast<DWORD>(value); }

// Render states that GL keeps outside the programs or that select program
// variants, each seen in pixels.
using RenderStateTest = DeviceFixture;

TEST_F(RenderStateTest, StencilMarksAndMasksWithTwoSidedStates) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, BLACK, 1.0f, 0);
  device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
  device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
  device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE);
  device->SetRenderState(D3DRS_STENCILREF, 1);
  // Two-sided: counter-clockwise faces increment instead.
  device->SetRenderState(D3DRS_TWOSIDEDSTENCILMODE, TRUE);
  device->SetRenderState(D3DRS_CCW_STENCILFUNC, D3DCMP_ALWAYS);
  device->SetRenderState(D3DRS_CCW_STENCILPASS, D3DSTENCILOP_INCRSAT);
  device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  device->BeginScene();
  // Left half clockwise (replace with 1), right half counter-clockwise
  // (incremented twice: 2).
  DrawColorQuad(-1, 1, 0, -1, 0.5f, 0xFF101010);
  DrawColorQuad(1, 1, 0, -1, 0.5f, 0xFF101010);
  DrawColorQuad(1, 1, 0, -1, 0.5f, 0xFF101010);
  device->SetRenderState(D3DRS_TWOSIDEDSTENCILMODE, FALSE);
  device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
  device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
  device->SetRenderState(D3DRS_STENCILREF, 2);
  DrawColorQuad(-1, 1, 1, -1, 0.5f, WHITE);
  device->EndScene();
  const std::vector<uint32_t> pixels = ReadBack();
  EXPECT_EQ(At(pixels, WIDTH, 10, 10), 0xFF101010u);
  EXPECT_EQ(At(pixels, WIDTH, 100, 10), WHITE);
}

TEST_F(RenderStateTest, DepthBiasMovesTheVisibleEdge) {
  // A quad at the cleared depth fails LESS unless biased towards the eye.
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  for (const float bias : {0.0f, -0.001f, 0.001f}) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BLACK, 0.5f, 0);
    device->SetRenderState(D3DRS_DEPTHBIAS, Float(bias));
    device->BeginScene();
    DrawColorQuad(-1, 1, 1, -1, 0.5f, WHITE);
    device->EndScene();
    EXPECT_EQ(ReadBack()[0], bias < 0 ? WHITE : BLACK) << "bias " << bias;
  }
  // In steps of a 24-bit buffer (2^-24): against a depth 16 steps behind
  // the quad, a bias of 10 steps still passes and one of 22 does not.
  const float step = 1.0f / 16777216.0f;
  for (const float steps : {10.0f, 22.0f}) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BLACK, 0.5f + 16.0f * step, 0);
    device->SetRenderState(D3DRS_DEPTHBIAS, Float(steps * step));
    device->BeginScene();
    DrawColorQuad(-1, 1, 1, -1, 0.5f, WHITE);
    device->EndScene();
    EXPECT_EQ(ReadBack()[0], steps < 16.0f ? WHITE : BLACK) << steps << " steps";
  }
  // The slope-scaled bias acts on a quad whose depth runs 0.25 to 0.75
  // across the screen, against 0.5: without bias the right half is hidden.
  device->SetRenderState(D3DRS_DEPTHBIAS, 0);
  UseColorPipeline();
  const ColorVertex ramp[4] = {{-1, 1, 0.25f, WHITE}, {1, 1, 0.75f, WHITE}, {-1, -1, 0.25f, WHITE}, {1, -1, 0.75f, WHITE}};
  IDirect3DVertexBuffer9* buffer = VertexBufferOf(&ramp, sizeof ramp);
  device->SetStreamSource(0, buffer, 0, sizeof(ColorVertex));
  UINT edges[2] = {};
  for (int biased = 0; biased < 2; ++biased) {
    device->SetRenderState(D3DRS_SLOPESCALEDEPTHBIAS, Float(biased ? -8.0f : 0.0f));
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BLACK, 0.5f, 0);
    device->BeginScene();
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    device->EndScene();
    const std::vector<uint32_t> pixels = ReadBack();
    while (edges[biased] < WIDTH && At(pixels, WIDTH, edges[biased], HEIGHT / 2) == WHITE) ++edges[biased];
  }
  EXPECT_NEAR(edges[0], WIDTH / 2, 1);
  EXPECT_GT(edges[1], edges[0] + 2);
  device->SetStreamSource(0, nullptr, 0, 0);
  buffer->Release();
}

TEST_F(RenderStateTest, AlphaTestAndFogRunInThePixelProgram) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BLACK, 1.0f, 0);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  device->SetRenderState(D3DRS_ALPHAREF, 0x80);
  device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
  device->BeginScene();
  DrawColorQuad(-1, 1, 0, -1, 0.5f, 0x80FFFFFF);  // equal: discarded
  DrawColorQuad(0, 1, 1, -1, 0.5f, 0x81FFFFFF);   // greater: kept
  device->EndScene();
  std::vector<uint32_t> pixels = ReadBack();
  EXPECT_EQ(At(pixels, WIDTH, 10, 10) & 0xFFFFFF, 0u);
  EXPECT_EQ(At(pixels, WIDTH, 100, 10) & 0xFFFFFF, 0xFFFFFFu);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);

  // Linear table fog from 0 to 1 on a quad at depth 0.25 (the projection
  // is the identity, so fog measures z): three quarters of the colour.
  device->SetRenderState(D3DRS_FOGENABLE, TRUE);
  device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
  device->SetRenderState(D3DRS_FOGCOLOR, 0xFF0000FF);
  device->SetRenderState(D3DRS_FOGSTART, Float(0.0f));
  device->SetRenderState(D3DRS_FOGEND, Float(1.0f));
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BLACK, 1.0f, 0);
  device->BeginScene();
  DrawColorQuad(-1, 1, 1, -1, 0.25f, 0xFFFF0000);
  device->EndScene();
  EXPECT_TRUE(NearColor(ReadBack()[0], 0xFFBF0040, 2));
}

TEST_F(RenderStateTest, SamplerStatesChooseAddressingAndFiltering) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(2, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  D3DLOCKED_RECT locked{};
  texture->LockRect(0, &locked, nullptr, 0);
  static_cast<uint32_t*>(locked.pBits)[0] = 0xFFFF0000;
  static_cast<uint32_t*>(locked.pBits)[1] = 0xFF00FF00;
  texture->UnlockRect(0);
  device->SetTexture(0, texture);
  device->SetSamplerState(0, D3DSAMP_BORDERCOLOR, 0xFF0000FF);
  struct Case {
    DWORD address;
    D3DCOLOR right;  // the colour at u = 1.75
  };
  for (const Case& test : {Case{D3DTADDRESS_WRAP, 0xFF00FF00}, Case{D3DTADDRESS_CLAMP, 0xFF00FF00},
                           Case{D3DTADDRESS_MIRROR, 0xFFFF0000}, Case{D3DTADDRESS_BORDER, 0xFF0000FF}}) {
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, test.address);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BLACK, 1.0f, 0);
    device->BeginScene();
    DrawTexturedQuad(-1, 1, 1, -1, -1, 0, 2, 1);
    device->EndScene();
    EXPECT_EQ(At(ReadBack(), WIDTH, WIDTH * 11 / 12, 10), test.right) << "address mode " << test.address;
  }
  // Linear magnification blends the two texels in the middle.
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  device->BeginScene();
  DrawTexturedQuad(-1, 1, 1, -1, 0, 0, 1, 1);
  device->EndScene();
  const uint32_t middle = At(ReadBack(), WIDTH, WIDTH / 2, 10);
  EXPECT_GT(middle >> 16 & 0xFF, 0x60u);
  EXPECT_GT(middle >> 8 & 0xFF, 0x60u);
  device->SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(RenderStateTest, FlatShadingTakesTheFirstVertex) {
  device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  UseColorPipeline();
  const ColorVertex triangle[3] = {{-1, 1, 0.5f, 0xFFFF0000}, {1, 1, 0.5f, 0xFF00FF00}, {-1, -1, 0.5f, 0xFF0000FF}};
  IDirect3DVertexBuffer9* buffer = VertexBufferOf(&triangle, sizeof triangle);
  device->SetStreamSource(0, buffer, 0, sizeof(ColorVertex));
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BLACK, 1.0f, 0);
  device->BeginScene();
  device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
  device->EndScene();
  const std::vector<uint32_t> pixels = ReadBack();
  EXPECT_EQ(At(pixels, WIDTH, 60, 2), 0xFFFF0000u);
  EXPECT_EQ(At(pixels, WIDTH, 2, 60), 0xFFFF0000u);
  device->SetStreamSource(0, nullptr, 0, 0);
  buffer->Release();
}

TEST_F(RenderStateTest, PointsTakeTheirSizeFromTheState) {
  device->SetRenderState(D3DRS_POINTSIZE, Float(8.0f));
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetVertexShader(nullptr);
  device->SetPixelShader(nullptr);
  const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                        {0, 12, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                        D3DDECL_END()};
  IDirect3DVertexDeclaration9* declaration = nullptr;
  ASSERT_EQ(device->CreateVertexDeclaration(elements, &declaration), D3D_OK);
  device->SetVertexDeclaration(declaration);
  // The centre of pixel (64, 48) in clip space.
  const ColorVertex point = {0.0f, 0.0f, 0.5f, WHITE};
  IDirect3DVertexBuffer9* buffer = VertexBufferOf(&point, sizeof point);
  device->SetStreamSource(0, buffer, 0, sizeof(ColorVertex));
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BLACK, 1.0f, 0);
  device->BeginScene();
  EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3D_OK);
  device->EndScene();
  const std::vector<uint32_t> pixels = ReadBack();
  UINT covered = 0;
  for (uint32_t pixel : pixels) covered += pixel == WHITE;
  EXPECT_EQ(covered, 64u);
  EXPECT_EQ(At(pixels, WIDTH, 60, 44), WHITE);
  EXPECT_EQ(At(pixels, WIDTH, 67, 51), WHITE);
  device->SetStreamSource(0, nullptr, 0, 0);
  device->SetVertexDeclaration(nullptr);
  buffer->Release();
  declaration->Release();
}

TEST_F(RenderStateTest, PointSpritesSpreadTheTextureTopRowFirst) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(1, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  D3DLOCKED_RECT locked{};
  texture->LockRect(0, &locked, nullptr, 0);
  static_cast<uint32_t*>(locked.pBits)[0] = 0xFFFF0000;  // top row
  *reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + locked.Pitch) = 0xFF00FF00;
  texture->UnlockRect(0);
  device->SetTexture(0, texture);
  device->SetRenderState(D3DRS_POINTSIZE, Float(16.0f));
  device->SetRenderState(D3DRS_POINTSIZE_MAX, Float(64.0f));
  device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
  UseTexturePipeline();
  const TexturedVertex point = {0.0f, 0.0f, 0.5f, 0.0f, 0.0f};
  IDirect3DVertexBuffer9* buffer = VertexBufferOf(&point, sizeof point);
  device->SetStreamSource(0, buffer, 0, sizeof(TexturedVertex));
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, BLACK, 1.0f, 0);
  device->BeginScene();
  EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3D_OK);
  device->EndScene();
  const std::vector<uint32_t> pixels = ReadBack();
  EXPECT_EQ(At(pixels, WIDTH, 64, 41), 0xFFFF0000u);
  EXPECT_EQ(At(pixels, WIDTH, 64, 54), 0xFF00FF00u);
  EXPECT_EQ(At(pixels, WIDTH, 64, 38), BLACK);
  device->SetStreamSource(0, nullptr, 0, 0);
  device->SetTexture(0, nullptr);
  buffer->Release();
  texture->Release();
}

}  // namespace
}  // namespace ynx::test
