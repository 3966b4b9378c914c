#include <gtest/gtest.h>

#include <SDL.h>

#include "tests/d3d9device/DeviceFixture.h"

namespace ynx::test {
namespace {

using LostDeviceTest = DeviceFixture;

TEST_F(LostDeviceTest, ALostDeviceComesBackThroughReset) {
  IDirect3DTexture9* managed = PatternTexture(WIDTH, HEIGHT);
  IDirect3DTexture9* target = nullptr;
  ASSERT_EQ(device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target,
                                  nullptr),
            D3D_OK);
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(device->Present(nullptr, nullptr, 0, nullptr), D3D_OK);

  device->SimulateDeviceLost();
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device->Present(nullptr, nullptr, 0, nullptr), D3DERR_DEVICELOST);
  // Calls go on without effect.
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3D_OK);
  EXPECT_EQ(device->BeginScene(), D3D_OK);
  DrawColorQuad(-1, 1, 1, -1, 0.5f, 0xFFFFFFFF);
  EXPECT_EQ(device->EndScene(), D3D_OK);

  // Default-pool resources must go first.
  D3DPRESENT_PARAMETERS parameters = Parameters();
  parameters.BackBufferWidth = 64;
  parameters.BackBufferHeight = 32;
  EXPECT_EQ(device->Reset(&parameters), D3DERR_INVALIDCALL);
  EXPECT_EQ(TakeMessages().size(), 1u);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  target->Release();
  ASSERT_EQ(device->Reset(&parameters), D3D_OK);
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);

  // The new back buffer, the viewport on it, and states at their defaults.
  IDirect3DSurface9* backBuffer = nullptr;
  ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
  D3DSURFACE_DESC desc{};
  backBuffer->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 64u);
  EXPECT_EQ(desc.Height, 32u);
  backBuffer->Release();
  D3DVIEWPORT9 viewport{};
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, 64u);
  EXPECT_EQ(viewport.Height, 32u);
  DWORD zfunc = 0;
  device->GetRenderState(D3DRS_ZFUNC, &zfunc);
  EXPECT_EQ(zfunc, DWORD{D3DCMP_LESSEQUAL});

  // The managed texture survived: drawn 1:1 into the top left of the new
  // back buffer.
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetTexture(0, managed);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  device->BeginScene();
  const float left = -1.0f - 1.0f / 64.0f;
  const float top = 1.0f + 1.0f / 32.0f;
  DrawTexturedQuad(left, top, left + 2.0f, top - 2.0f, 0, 0, 64.0f / WIDTH, 32.0f / HEIGHT);
  device->EndScene();
  const std::vector<uint32_t> pixels = ReadBack();
  EXPECT_EQ(At(pixels, 64, 0, 0), Pattern(0, 0));
  EXPECT_EQ(At(pixels, 64, 63, 31), Pattern(63, 31));
  EXPECT_EQ(device->Present(nullptr, nullptr, 0, nullptr), D3D_OK);
  device->SetTexture(0, nullptr);
  managed->Release();
}

TEST_F(LostDeviceTest, AWindowThatHasGoneIsALostDevice) {
  IDirect3DTexture9* texture = PatternTexture(8, 8);
  IDirect3DQuery9* query = nullptr;
  ASSERT_EQ(device->CreateQuery(D3DQUERYTYPE_OCCLUSION, &query), D3D_OK);
  SDL_DestroyWindow(SDL_GetWindowFromID(window));

  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(device->Present(nullptr, nullptr, 0, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
  EXPECT_EQ(device->BeginScene(), D3D_OK);
  device->SetTexture(0, texture);
  DrawTexturedQuad(-1, 1, 1, -1, 0, 0, 1, 1);
  EXPECT_EQ(query->Issue(D3DISSUE_BEGIN), D3D_OK);
  EXPECT_EQ(query->Issue(D3DISSUE_END), D3D_OK);
  DWORD count = 1;
  EXPECT_EQ(query->GetData(&count, sizeof count, D3DGETDATA_FLUSH), S_OK);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(device->EndScene(), D3D_OK);
  IDirect3DSurface9* backBuffer = nullptr;
  IDirect3DSurface9* copy = nullptr;
  device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
  ASSERT_EQ(device->CreateOffscreenPlainSurface(WIDTH, HEIGHT, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr),
            D3D_OK);
  EXPECT_EQ(device->GetRenderTargetData(backBuffer, copy), D3DERR_DEVICELOST);
  D3DPRESENT_PARAMETERS parameters = Parameters();
  EXPECT_EQ(device->Reset(&parameters), D3DERR_DEVICELOST);
  // Resources made now are usable as far as the CPU goes.
  IDirect3DTexture9* later = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &later, nullptr), D3D_OK);
  D3DLOCKED_RECT locked{};
  EXPECT_EQ(later->LockRect(0, &locked, nullptr, 0), D3D_OK);
  later->UnlockRect(0);
  later->Release();
  device->SetTexture(0, nullptr);
  copy->Release();
  backBuffer->Release();
  query->Release();
  texture->Release();
}

}  // namespace
}  // namespace ynx::test
