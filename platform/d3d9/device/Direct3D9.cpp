#include "platform/d3d9/device/Direct3D9.h"

#include <SDL.h>

#include "platform/d3d9/device/Device.h"
#include "platform/d3d9/device/FormatInfo.h"
#include "platform/os/Monitor.h"

namespace ynx {

namespace {

bool IsAdapterFormat(D3DFORMAT format) { return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5; }

bool IsBackBufferFormat(D3DFORMAT format) {
  const FormatInfo* info = FormatInfo::Find(format);
  return info && info->renderTarget;
}

D3DFORMAT ModeFormat(const SDL_DisplayMode& mode) {
  return SDL_BITSPERPIXEL(mode.format) == 16 ? D3DFMT_R5G6B5
         : SDL_BITSPERPIXEL(mode.format) >= 24 ? D3DFMT_X8R8G8B8
                                               : D3DFMT_UNKNOWN;
}

// The adapter drives the primary monitor. A monitor that is part of what SDL
// calls a display runs in that display's desktop mode, at its own size.
bool PrimaryDesktopMode(D3DDISPLAYMODE& mode) {
  const std::vector<Monitor> monitors = Monitor::List();
  if (monitors.empty()) return false;
  SDL_DisplayMode desktop{};
  if (SDL_GetDesktopDisplayMode(monitors.front().sdlDisplay, &desktop) != 0) return false;
  mode = {static_cast<UINT>(monitors.front().wholeDisplay ? desktop.w : monitors.front().width),
          static_cast<UINT>(monitors.front().wholeDisplay ? desktop.h : monitors.front().height),
          static_cast<UINT>(desktop.refresh_rate), ModeFormat(desktop)};
  return true;
}

}  // namespace

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
  // 31 and 32 both name the Direct3D 9 interfaces this runtime has.
  if ((sdkVersion & 0x7FFFFFFF) != 31 && (sdkVersion & 0x7FFFFFFF) != D3D_SDK_VERSION) return nullptr;
  return new IDirect3D9;
}

IDirect3D9::IDirect3D9() : video(SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {}

IDirect3D9::~IDirect3D9() {
  if (video) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

std::vector<D3DDISPLAYMODE> IDirect3D9::Modes(D3DFORMAT format) const {
  std::vector<D3DDISPLAYMODE> modes;
  if (!video || !IsAdapterFormat(format)) return modes;
  const std::vector<Monitor> monitors = Monitor::List();
  if (monitors.empty()) return modes;
  if (!monitors.front().wholeDisplay) {
    D3DDISPLAYMODE desktop{};
    if (PrimaryDesktopMode(desktop) && desktop.Format == format) modes.push_back(desktop);
    return modes;
  }
  const int display = monitors.front().sdlDisplay;
  const int count = SDL_GetNumDisplayModes(display);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode{};
    if (SDL_GetDisplayMode(display, i, &mode) != 0) continue;
    if (ModeFormat(mode) != format) continue;
    const D3DDISPLAYMODE entry{static_cast<UINT>(mode.w), static_cast<UINT>(mode.h),
                               static_cast<UINT>(mode.refresh_rate), format};
    bool seen = false;
    for (const D3DDISPLAYMODE& other : modes) {
      seen = seen || (other.Width == entry.Width && other.Height == entry.Height &&
                      other.RefreshRate == entry.RefreshRate);
    }
    if (!seen) modes.push_back(entry);
  }
  return modes;
}

HRESULT IDirect3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
  if (adapter != D3DADAPTER_DEFAULT || !mode || !video) return D3DERR_INVALIDCALL;
  return PrimaryDesktopMode(*mode) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

UINT IDirect3D9::GetAdapterModeCount(UINT adapter, D3DFORMAT format) {
  return adapter == D3DADAPTER_DEFAULT ? static_cast<UINT>(Modes(format).size()) : 0;
}

HRESULT IDirect3D9::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index, D3DDISPLAYMODE* mode) {
  if (adapter != D3DADAPTER_DEFAULT || !mode) return D3DERR_INVALIDCALL;
  const std::vector<D3DDISPLAYMODE> modes = Modes(format);
  if (index >= modes.size()) return D3DERR_INVALIDCALL;
  *mode = modes[index];
  return D3D_OK;
}

HRESULT IDirect3D9::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                    D3DFORMAT backBufferFormat, BOOL windowed) {
  if (adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL || !IsAdapterFormat(adapterFormat) || !IsBackBufferFormat(backBufferFormat)) {
    return D3DERR_NOTAVAILABLE;
  }
  // Full screen keeps the display's colour depth.
  const UINT adapterBytes = FormatInfo::Find(adapterFormat)->bytesPerPixel;
  if (!windowed && FormatInfo::Find(backBufferFormat)->bytesPerPixel != adapterBytes) return D3DERR_NOTAVAILABLE;
  return D3D_OK;
}

HRESULT IDirect3D9::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                      D3DRESOURCETYPE resourceType, D3DFORMAT format) {
  if (adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL || !IsAdapterFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
  if (resourceType == D3DRTYPE_VERTEXBUFFER) return format == D3DFMT_VERTEXDATA ? D3D_OK : D3DERR_NOTAVAILABLE;
  if (resourceType == D3DRTYPE_INDEXBUFFER) {
    return format == D3DFMT_INDEX16 || format == D3DFMT_INDEX32 ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  if (resourceType != D3DRTYPE_SURFACE && resourceType != D3DRTYPE_TEXTURE && resourceType != D3DRTYPE_CUBETEXTURE) {
    return D3DERR_NOTAVAILABLE;
  }
  const FormatInfo* info = FormatInfo::Find(format);
  if (!info) return D3DERR_NOTAVAILABLE;
  constexpr DWORD KNOWN = D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_DYNAMIC |
                          D3DUSAGE_AUTOGENMIPMAP | D3DUSAGE_QUERY_FILTER | D3DUSAGE_QUERY_WRAPANDMIP |
                          D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING;
  if (usage & ~KNOWN) return D3DERR_NOTAVAILABLE;
  if ((usage & D3DUSAGE_DEPTHSTENCIL) && !info->IsDepth()) return D3DERR_NOTAVAILABLE;
  if ((usage & D3DUSAGE_RENDERTARGET) && !info->renderTarget) return D3DERR_NOTAVAILABLE;
  // Depth formats are only depth-stencil surfaces and textures.
  if (info->IsDepth() && !(usage & D3DUSAGE_DEPTHSTENCIL)) return D3DERR_NOTAVAILABLE;
  if (info->IsDepth() && resourceType == D3DRTYPE_CUBETEXTURE) return D3DERR_NOTAVAILABLE;
  // Mipmaps are filtered by the application, never generated.
  if (usage & D3DUSAGE_AUTOGENMIPMAP) return D3DOK_NOAUTOGEN;
  return D3D_OK;
}

HRESULT IDirect3D9::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT format, BOOL,
                                               D3DMULTISAMPLE_TYPE multiSample, DWORD* qualityLevels) {
  if (adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
  if (qualityLevels) *qualityLevels = 0;
  if (type != D3DDEVTYPE_HAL || !FormatInfo::Find(format)) return D3DERR_NOTAVAILABLE;
  // Render targets are single-sampled.
  if (multiSample != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
  if (qualityLevels) *qualityLevels = 1;
  return D3D_OK;
}

HRESULT IDirect3D9::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                           D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) {
  if (adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
  const FormatInfo* target = FormatInfo::Find(renderTargetFormat);
  const FormatInfo* depth = FormatInfo::Find(depthStencilFormat);
  if (type != D3DDEVTYPE_HAL || !IsAdapterFormat(adapterFormat) || !target || !target->renderTarget || !depth ||
      !depth->IsDepth()) {
    return D3DERR_NOTAVAILABLE;
  }
  return D3D_OK;
}

D3DCAPS9 IDirect3D9::Caps() {
  D3DCAPS9 caps{};
  caps.DeviceType = D3DDEVTYPE_HAL;
  caps.AdapterOrdinal = D3DADAPTER_DEFAULT;
  caps.MaxTextureWidth = 8192;
  caps.MaxTextureHeight = 8192;
  caps.MaxTextureAspectRatio = 8192;
  caps.MaxAnisotropy = 1;
  caps.MaxTextureBlendStages = 8;
  caps.MaxSimultaneousTextures = 8;
  caps.MaxActiveLights = 8;
  caps.MaxUserClipPlanes = 0;
  caps.MaxPointSize = 64.0f;
  caps.MaxPrimitiveCount = 0xFFFFFF;
  caps.MaxVertexIndex = 0xFFFFFF;
  caps.MaxStreams = 16;
  caps.MaxStreamStride = 508;
  caps.VertexShaderVersion = D3DVS_VERSION(2, 0);
  caps.MaxVertexShaderConst = 256;
  caps.PixelShaderVersion = D3DPS_VERSION(2, 0);
  caps.PixelShader1xMaxValue = 8.0f;
  caps.NumSimultaneousRTs = 1;
  return caps;
}

HRESULT IDirect3D9::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) {
  if (adapter != D3DADAPTER_DEFAULT || !caps) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  *caps = Caps();
  return D3D_OK;
}

HRESULT IDirect3D9::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                                 D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) {
  if (!device) return D3DERR_INVALIDCALL;
  *device = nullptr;
  if (adapter != D3DADAPTER_DEFAULT || !parameters) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  const DWORD processing = behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                            D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MIXED_VERTEXPROCESSING);
  if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
      processing != D3DCREATE_MIXED_VERTEXPROCESSING) {
    return D3DERR_INVALIDCALL;
  }
  const HWND window = parameters->hDeviceWindow ? parameters->hDeviceWindow : focusWindow;
  return IDirect3DDevice9::Create(this, window, *parameters, sink, device);
}

}  // namespace ynx
