#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/d3d9/device/D3D9Types.h"
#include "platform/d3d9/device/Device.h"
#include "platform/d3d9/device/Direct3D9.h"

namespace ynx {

// A hidden SDL window and a windowed Direct3D 9 device on it, as the play
// tool, the device tests and the draw benchmark make them: one X8R8G8B8
// back buffer of the window's size, discarded on present, and an automatic
// depth-stencil buffer. The three handles are public so that a user may
// release the device or destroy the window early (and clear the handle);
// Close frees whatever is left.
class HiddenDevice {
 public:
  using MessageSink = std::function<void(const std::string&)>;

  HiddenDevice() = default;
  ~HiddenDevice() { Close(); }
  HiddenDevice(const HiddenDevice&) = delete;
  HiddenDevice& operator=(const HiddenDevice&) = delete;

  // Starts SDL's video, makes the window and Direct3D (after closing what
  // an earlier Open made); what Direct3D and its device report goes to
  // `sink`. False with `error` set ("no video:
  // ...", "no window: ..." with SDL's reason, or "Direct3DCreate9 failed").
  bool Open(const char* title, UINT width, UINT height, const MessageSink& sink, std::string& error);
  // What CreateDevice is given.
  D3DPRESENT_PARAMETERS Parameters(D3DFORMAT depthFormat = D3DFMT_D24S8) const;
  // A HAL device with hardware vertex processing on the window.
  HRESULT CreateDevice(D3DFORMAT depthFormat = D3DFMT_D24S8);
  // Releases the device and Direct3D, destroys the window if it is still
  // there and stops SDL's video again.
  void Close();

  // A render-target surface's pixels, rows top first, as 32-bit words in
  // the surface's format (described in `desc`), copied through a
  // system-memory surface. The first failing call's result, else D3D_OK.
  static HRESULT ReadPixels(IDirect3DDevice9* device, IDirect3DSurface9* source,
                            std::vector<uint32_t>& pixels, D3DSURFACE_DESC& desc);

  uint32_t window = 0;
  IDirect3D9* direct3d = nullptr;
  IDirect3DDevice9* device = nullptr;

 private:
  UINT width = 0;
  UINT height = 0;
  bool video = false;
};

}  // namespace ynx
