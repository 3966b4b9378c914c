#include <gtest/gtest.h>

#include <SDL.h>

#include "tests/d3d9device/DeviceFixture.h"

namespace ynx::test {
namespace {

using Direct3D9Test = DeviceFixture;

TEST_F(Direct3D9Test, TheAdapterListsTheDisplaysModes) {
  EXPECT_EQ(direct3d->GetAdapterCount(), 1u);
  D3DDISPLAYMODE desktop{};
  ASSERT_EQ(direct3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop), D3D_OK);
  // The virtual screen the tests run on.
  EXPECT_EQ(desktop.Width, 1280u);
  EXPECT_EQ(desktop.Height, 1024u);
  EXPECT_EQ(desktop.Format, D3DFMT_X8R8G8B8);

  const UINT count = direct3d->GetAdapterModeCount(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8);
  ASSERT_GE(count, 1u);
  bool found = false;
  for (UINT i = 0; i < count; ++i) {
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(direct3d->EnumAdapterModes(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8, i, &mode), D3D_OK);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    found = found || (mode.Width == desktop.Width && mode.Height == desktop.Height);
  }
  EXPECT_TRUE(found);
  D3DDISPLAYMODE mode{};
  EXPECT_EQ(direct3d->EnumAdapterModes(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8, count, &mode), D3DERR_INVALIDCALL);
  EXPECT_EQ(direct3d->GetAdapterModeCount(D3DADAPTER_DEFAULT, D3DFMT_A8R8G8B8), 0u);
  EXPECT_EQ(direct3d->GetAdapterModeCount(1, D3DFMT_X8R8G8B8), 0u);
}

TEST_F(Direct3D9Test, FormatChecksMatchWhatTheDeviceMakes) {
  const D3DDEVTYPE hal = D3DDEVTYPE_HAL;
  const D3DFORMAT adapter = D3DFMT_X8R8G8B8;
  EXPECT_EQ(direct3d->CheckDeviceType(0, hal, adapter, D3DFMT_A8R8G8B8, FALSE), D3D_OK);
  EXPECT_EQ(direct3d->CheckDeviceType(0, hal, adapter, D3DFMT_X8R8G8B8, FALSE), D3D_OK);
  EXPECT_EQ(direct3d->CheckDeviceType(0, hal, adapter, D3DFMT_R5G6B5, FALSE), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(direct3d->CheckDeviceType(0, hal, adapter, D3DFMT_R5G6B5, TRUE), D3D_OK);
  EXPECT_EQ(direct3d->CheckDeviceType(0, hal, D3DFMT_A2R10G10B10, D3DFMT_A2R10G10B10, FALSE), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(direct3d->CheckDeviceType(0, D3DDEVTYPE_REF, adapter, D3DFMT_X8R8G8B8, TRUE), D3DERR_NOTAVAILABLE);

  struct Case {
    DWORD usage;
    D3DRESOURCETYPE type;
    D3DFORMAT format;
    HRESULT expected;
  };
  const Case cases[] = {
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8, D3D_OK},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24X8, D3D_OK},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D16, D3D_OK},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_TEXTURE, D3DFMT_D24S8, D3D_OK},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D32, D3DERR_NOTAVAILABLE},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24X4S4, D3DERR_NOTAVAILABLE},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D15S1, D3DERR_NOTAVAILABLE},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_CUBETEXTURE, D3DFMT_D24S8, D3DERR_NOTAVAILABLE},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_X8R8G8B8, D3DERR_NOTAVAILABLE},
      {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3D_OK},
      {D3DUSAGE_RENDERTARGET, D3DRTYPE_CUBETEXTURE, D3DFMT_X8R8G8B8, D3D_OK},
      {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_A8, D3DERR_NOTAVAILABLE},
      {0, D3DRTYPE_TEXTURE, D3DFMT_A8, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_D16, D3DERR_NOTAVAILABLE},
      {0, D3DRTYPE_TEXTURE, D3DFMT_DXT1, D3DERR_NOTAVAILABLE},
      {D3DUSAGE_AUTOGENMIPMAP, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3DOK_NOAUTOGEN},
      {0, D3DRTYPE_INDEXBUFFER, D3DFMT_INDEX32, D3D_OK},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(direct3d->CheckDeviceFormat(0, hal, adapter, test.usage, test.type, test.format), test.expected)
        << "usage " << test.usage << " type " << test.type << " format " << test.format;
  }
  EXPECT_EQ(direct3d->CheckDepthStencilMatch(0, hal, adapter, D3DFMT_A8R8G8B8, D3DFMT_D24S8), D3D_OK);
  EXPECT_EQ(direct3d->CheckDepthStencilMatch(0, hal, adapter, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8), D3DERR_NOTAVAILABLE);
  DWORD quality = 7;
  EXPECT_EQ(direct3d->CheckDeviceMultiSampleType(0, hal, D3DFMT_X8R8G8B8, TRUE, D3DMULTISAMPLE_NONE, &quality), D3D_OK);
  EXPECT_EQ(quality, 1u);
  EXPECT_EQ(direct3d->CheckDeviceMultiSampleType(0, hal, D3DFMT_X8R8G8B8, TRUE, D3DMULTISAMPLE_2_SAMPLES, &quality),
            D3DERR_NOTAVAILABLE);

  // What the renderer reads from the caps.
  D3DCAPS9 caps{};
  ASSERT_EQ(direct3d->GetDeviceCaps(0, hal, &caps), D3D_OK);
  EXPECT_EQ(caps.VertexShaderVersion, D3DVS_VERSION(2, 0));
  EXPECT_EQ(caps.PixelShaderVersion, D3DPS_VERSION(2, 0));
  EXPECT_EQ(caps.MaxSimultaneousTextures, 8u);
  EXPECT_EQ(caps.MaxActiveLights, 8u);
  EXPECT_GT(caps.MaxPointSize, 1.0f);
  EXPECT_GT(caps.MaxVertexIndex, 65536u);
  D3DCAPS9 deviceCaps{};
  ASSERT_EQ(device->GetDeviceCaps(&deviceCaps), D3D_OK);
  EXPECT_EQ(deviceCaps.PixelShaderVersion, caps.PixelShaderVersion);
}

TEST_F(Direct3D9Test, CreationFailsCleanly) {
  IDirect3D9* asked = Direct3DCreate9(31);  // the version the renderer asks for
  ASSERT_NE(asked, nullptr);
  asked->Release();
  EXPECT_EQ(Direct3DCreate9(20), nullptr);

  IDirect3DDevice9* other = reinterpret_cast<IDirect3DDevice9*>(1);
  D3DPRESENT_PARAMETERS parameters = Parameters();
  parameters.hDeviceWindow = 0;
  EXPECT_EQ(direct3d->CreateDevice(0, D3DDEVTYPE_HAL, 987654, D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &other),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(other, nullptr);
  const std::vector<std::string> messages = TakeMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("does not exist"), std::string::npos) << messages[0];
  parameters = Parameters();
  EXPECT_EQ(direct3d->CreateDevice(0, D3DDEVTYPE_HAL, window, 0, &parameters, &other), D3DERR_INVALIDCALL);
  parameters.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES;
  EXPECT_EQ(direct3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &other),
            D3DERR_NOTAVAILABLE);
  parameters = Parameters();
  parameters.AutoDepthStencilFormat = D3DFMT_D32;
  EXPECT_EQ(direct3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters, &other),
            D3DERR_INVALIDCALL);
  // Shaders of the wrong kind, or broken, are refused with a message.
  const DWORD pixelTokens[] = {0xFFFF0200, 0x0000FFFF};
  IDirect3DVertexShader9* shader = nullptr;
  EXPECT_EQ(device->CreateVertexShader(pixelTokens, &shader), D3DERR_INVALIDCALL);
  EXPECT_EQ(shader, nullptr);
  EXPECT_EQ(TakeMessages().size(), 1u);
}

TEST_F(Direct3D9Test, ASecondWindowGetsAFullScreenDeviceOfItsOwn) {
  SDL_Window* second = SDL_CreateWindow("full screen", 0, 0, 1280, 1024, SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS);
  ASSERT_NE(second, nullptr);
  D3DPRESENT_PARAMETERS parameters = Parameters();
  parameters.hDeviceWindow = SDL_GetWindowID(second);
  parameters.Windowed = FALSE;
  parameters.BackBufferWidth = 1280;
  parameters.BackBufferHeight = 1024;
  IDirect3DDevice9* fullScreen = nullptr;
  ASSERT_EQ(direct3d->CreateDevice(0, D3DDEVTYPE_HAL, 0, D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &fullScreen),
            D3D_OK);
  EXPECT_NE(SDL_GetWindowFlags(second) & SDL_WINDOW_FULLSCREEN, 0u);
  D3DDISPLAYMODE mode{};
  ASSERT_EQ(fullScreen->GetDisplayMode(0, &mode), D3D_OK);
  EXPECT_EQ(mode.Width, 1280u);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  D3DGAMMARAMP ramp{};
  for (int i = 0; i < 256; ++i) ramp.red[i] = ramp.green[i] = ramp.blue[i] = static_cast<WORD>(i * 256);
  fullScreen->SetGammaRamp(0, D3DSGR_CALIBRATE, &ramp);
  TakeMessages();  // a virtual display may have no gamma ramp
  D3DGAMMARAMP read{};
  fullScreen->GetGammaRamp(0, &read);
  EXPECT_EQ(read.green[255], 65280);
  EXPECT_EQ(fullScreen->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF102030, 1.0f, 0), D3D_OK);
  EXPECT_EQ(fullScreen->Present(nullptr, nullptr, 0, nullptr), D3D_OK);
  // Both devices draw into their own windows, one after the other.
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF405060, 1.0f, 0), D3D_OK);
  EXPECT_EQ(ReadBack()[0], 0xFF405060u);
  fullScreen->Release();
  EXPECT_EQ(SDL_GetWindowFlags(second) & SDL_WINDOW_FULLSCREEN, 0u);
  SDL_DestroyWindow(second);
}

}  // namespace
}  // namespace ynx::test
