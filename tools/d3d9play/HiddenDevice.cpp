#include "tools/d3d9play/HiddenDevice.h"

#include <SDL.h>

#include <cstring>

#include "platform/d3d9/device/ComPtr.h"

namespace ynx {

bool HiddenDevice::Open(const char* title, UINT windowWidth, UINT windowHeight, const MessageSink& sink,
                        std::string& error) {
  Close();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    error = std::string("no video: ") + SDL_GetError();
    return false;
  }
  video = true;
  width = windowWidth;
  height = windowHeight;
  SDL_Window* sdlWindow = SDL_CreateWindow(title, 0, 0, static_cast<int>(width), static_cast<int>(height),
                                           SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!sdlWindow) {
    error = std::string("no window: ") + SDL_GetError();
    return false;
  }
  window = SDL_GetWindowID(sdlWindow);
  direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (!direct3d) {
    error = "Direct3DCreate9 failed";
    return false;
  }
  // The device takes Direct3D's sink when it is made.
  direct3d->SetMessageSink(sink);
  return true;
}

D3DPRESENT_PARAMETERS HiddenDevice::Parameters(D3DFORMAT depthFormat) const {
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = width;
  parameters.BackBufferHeight = height;
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  parameters.BackBufferCount = 1;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.hDeviceWindow = window;
  parameters.Windowed = TRUE;
  parameters.EnableAutoDepthStencil = TRUE;
  parameters.AutoDepthStencilFormat = depthFormat;
  return parameters;
}

HRESULT HiddenDevice::CreateDevice(D3DFORMAT depthFormat) {
  D3DPRESENT_PARAMETERS parameters = Parameters(depthFormat);
  return direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                &parameters, &device);
}

void HiddenDevice::Close() {
  // The device before Direct3D, both before their window.
  if (device) device->Release();
  device = nullptr;
  if (direct3d) direct3d->Release();
  direct3d = nullptr;
  if (SDL_Window* sdlWindow = SDL_GetWindowFromID(window)) SDL_DestroyWindow(sdlWindow);
  window = 0;
  if (video) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  video = false;
}

HRESULT HiddenDevice::ReadPixels(IDirect3DDevice9* device, IDirect3DSurface9* source,
                                 std::vector<uint32_t>& pixels, D3DSURFACE_DESC& desc) {
  pixels.clear();
  HRESULT result = source->GetDesc(&desc);
  if (FAILED(result)) return result;
  IDirect3DSurface9* copy = nullptr;
  result = device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                               D3DPOOL_SYSTEMMEM, &copy, nullptr);
  if (FAILED(result)) return result;
  const ComPtr<IDirect3DSurface9> held = ComPtr<IDirect3DSurface9>::Adopt(copy);
  result = device->GetRenderTargetData(source, copy);
  if (FAILED(result)) return result;
  D3DLOCKED_RECT locked{};
  result = copy->LockRect(&locked, nullptr, D3DLOCK_READONLY);
  if (FAILED(result)) return result;
  pixels.resize(size_t{desc.Width} * desc.Height);
  for (UINT y = 0; y < desc.Height; ++y) {
    std::memcpy(&pixels[size_t{y} * desc.Width],
                static_cast<const uint8_t*>(locked.pBits) + size_t{y} * locked.Pitch,
                size_t{desc.Width} * 4);
  }
  return copy->UnlockRect();
}

}  // namespace ynx
