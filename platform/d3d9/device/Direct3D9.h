#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/d3d9/device/IUnknown.h"

namespace ynx {

class IDirect3DDevice9;

// The adapter: one, SDL's display 0, whose modes are listed as X8R8G8B8
// (24 and 32 bits) or R5G6B5 (16 bits). It answers format questions for
// what the device can make and creates devices. Holding one keeps SDL's
// video subsystem started.
class IDirect3D9 final : public IUnknown {
 public:
  IDirect3D9();

  // Where devices made from here send their messages (see
  // IDirect3DDevice9::SetMessageSink); also failures of CreateDevice.
  void SetMessageSink(std::function<void(const std::string&)> sink) { this->sink = std::move(sink); }

  UINT GetAdapterCount() const { return 1; }
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode);
  UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format);
  HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index, D3DDISPLAYMODE* mode);
  HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                          BOOL windowed);
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                            D3DRESOURCETYPE resourceType, D3DFORMAT format);
  HRESULT CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT format, BOOL windowed,
                                     D3DMULTISAMPLE_TYPE multiSample, DWORD* qualityLevels);
  HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                 D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat);
  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps);
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device);

  // What every device of this adapter reports.
  static D3DCAPS9 Caps();

 protected:
  ~IDirect3D9() override;

 private:
  std::vector<D3DDISPLAYMODE> Modes(D3DFORMAT format) const;

  std::function<void(const std::string&)> sink;
  bool video = false;
};

// Null when the SDK version is not one this runtime serves.
IDirect3D9* Direct3DCreate9(UINT sdkVersion);

}  // namespace ynx
