// The device's creation, reset, presentation and loss. Its other calls are
// in DeviceResources.cpp, DeviceStateCalls.cpp and DeviceDraw.cpp.
#include "platform/d3d9/device/Device.h"

#include <epoxy/gl.h>

#include <memory>
#include <string>
#include <utility>

#include "platform/d3d9/device/DepthBiasProbe.h"
#include "platform/d3d9/device/DeviceImpl.h"
#include "platform/d3d9/device/Direct3D9.h"
#include "platform/d3d9/device/StateBlock.h"

namespace ynx {

IDirect3DDevice9::IDirect3DDevice9(IDirect3D9* direct3d, MessageSink sink)
    : direct3d(direct3d), sink(std::move(sink)), impl(std::make_unique<Impl>(*this)) {
  state.SetDefaults(false, 0, 0);
}

HRESULT IDirect3DDevice9::Create(IDirect3D9* direct3d, HWND window, D3DPRESENT_PARAMETERS& parameters,
                                 MessageSink sink, IDirect3DDevice9** out) {
  *out = nullptr;
  auto* device = new IDirect3DDevice9(direct3d, std::move(sink));
  std::string error;
  if (!device->impl->context.Create(window, error)) {
    device->Report("cannot create the device: " + error);
    device->Release();
    return D3DERR_NOTAVAILABLE;
  }
  // Direct3D's depth range and row order; its flat shading takes the first
  // vertex; sprite coordinates start at the top row, which the upper-left
  // clip origin makes GL's lower left; images are tightly packed.
  glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
  glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
  glPointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, GL_LOWER_LEFT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  device->impl->depthUnit16 = DepthBiasProbe::Measure(GL_DEPTH_COMPONENT16, 16);
  device->impl->depthUnit24 = DepthBiasProbe::Measure(GL_DEPTH24_STENCIL8, 24);
  device->impl->samplers.Create();
  device->impl->uniforms.Create();
  device->impl->glReady = true;
  const HRESULT result = device->ApplyPresentParameters(parameters);
  if (FAILED(result)) {
    device->Release();
    return result;
  }
  *out = device;
  return D3D_OK;
}

IDirect3DDevice9::~IDirect3DDevice9() {
  const bool current = MakeCurrent();
  recording.Reset();
  state.SetDefaults(false, 0, 0);
  renderTarget.Reset();
  depthStencil.Reset();
  backBuffer.Reset();
  autoDepthStencil.Reset();
  while (!children.empty()) {
    DeviceChild* child = *children.begin();
    children.erase(children.begin());
    child->Orphan(current);
  }
  if (current) {
    impl->fixedPipeline.Clear([this](uint32_t object) { impl->programs.Forget(object); });
    impl->programs.Clear();
    impl->framebuffers.Clear();
    impl->samplers.Destroy();
    impl->uniforms.Destroy();
    impl->arena.Clear();
  }
}

bool IDirect3DDevice9::MakeCurrent() { return impl->glReady && impl->context.MakeCurrent(); }

bool IDirect3DDevice9::Lost() { return simulatedLoss || !impl->context.WindowExists(); }

void IDirect3DDevice9::Report(const std::string& message) {
  if (sink) sink(message);
}

HRESULT IDirect3DDevice9::ApplyPresentParameters(D3DPRESENT_PARAMETERS& requested) {
  D3DPRESENT_PARAMETERS p = requested;
  if (p.BackBufferCount > 1 || p.SwapEffect < D3DSWAPEFFECT_DISCARD || p.SwapEffect > D3DSWAPEFFECT_COPY) {
    return D3DERR_INVALIDCALL;
  }
  if (p.MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
  p.BackBufferCount = 1;
  if (p.Windowed && p.BackBufferFormat == D3DFMT_UNKNOWN) p.BackBufferFormat = D3DFMT_X8R8G8B8;
  const FormatInfo* color = FormatInfo::Find(p.BackBufferFormat);
  const FormatInfo* depth = p.EnableAutoDepthStencil ? FormatInfo::Find(p.AutoDepthStencilFormat) : nullptr;
  if (!color || !color->renderTarget || (p.EnableAutoDepthStencil && (!depth || !depth->IsDepth()))) {
    return D3DERR_INVALIDCALL;
  }
  if (p.Windowed) {
    UINT width = 0;
    UINT height = 0;
    impl->context.DrawableSize(width, height);
    if (p.BackBufferWidth == 0) p.BackBufferWidth = width;
    if (p.BackBufferHeight == 0) p.BackBufferHeight = height;
  }
  if (!Impl::ValidSize(p.BackBufferWidth, p.BackBufferHeight)) return D3DERR_INVALIDCALL;
  if (!impl->context.SetFullscreen(!p.Windowed, p.BackBufferWidth, p.BackBufferHeight,
                                   p.FullScreen_RefreshRateInHz)) {
    // Drawing still works in the window as it is.
    Report("cannot switch the display mode for the device");
  }

  renderTarget.Reset();
  depthStencil.Reset();
  backBuffer = ComPtr<IDirect3DSurface9>::Adopt(new IDirect3DSurface9(
      this, p.BackBufferWidth, p.BackBufferHeight, *color, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT));
  autoDepthStencil.Reset();
  if (depth) {
    autoDepthStencil = ComPtr<IDirect3DSurface9>::Adopt(new IDirect3DSurface9(
        this, p.BackBufferWidth, p.BackBufferHeight, *depth, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT));
  }
  renderTarget = backBuffer;
  depthStencil = autoDepthStencil;
  parameters = requested = p;

  state.SetDefaults(depth != nullptr, p.BackBufferWidth, p.BackBufferHeight);
  impl->fixedDirty = Impl::FIXED_ALL;
  impl->vertexDirty.Mark(0, DeviceState::VERTEX_CONSTANTS);
  impl->pixelDirty.Mark(0, DeviceState::PIXEL_CONSTANTS);
  impl->pipeline.Invalidate();
  inScene = false;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::TestCooperativeLevel() {
  if (!impl->context.WindowExists()) return D3DERR_DEVICELOST;
  if (simulatedLoss) return D3DERR_DEVICENOTRESET;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::Reset(D3DPRESENT_PARAMETERS* requested) {
  if (!requested) return D3DERR_INVALIDCALL;
  if (!MakeCurrent()) return D3DERR_DEVICELOST;
  // As on a real device, what lives only in video memory must be let go
  // first.
  for (DeviceChild* child : children) {
    const auto* resource = dynamic_cast<const IDirect3DResource9*>(child);
    const auto* surface = dynamic_cast<const IDirect3DSurface9*>(child);
    if (!resource || resource->Pool() != D3DPOOL_DEFAULT || child == backBuffer.Get() ||
        child == autoDepthStencil.Get() || (surface && surface->Container())) {
      continue;
    }
    Report("Reset needs every default-pool resource released first");
    return D3DERR_INVALIDCALL;
  }
  recording.Reset();
  const HRESULT result = ApplyPresentParameters(*requested);
  if (SUCCEEDED(result)) simulatedLoss = false;
  return result;
}

HRESULT IDirect3DDevice9::Present(const RECT*, const RECT*, HWND, const void*) {
  if (Lost() || !MakeCurrent()) return D3DERR_DEVICELOST;
  const uint32_t framebuffer = impl->framebuffers.Get(backBuffer->Prepare(), {}, false);
  impl->context.Present(framebuffer, parameters.BackBufferWidth, parameters.BackBufferHeight);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetDirect3D(IDirect3D9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  return Impl::Hand(direct3d.Get(), out);
}

HRESULT IDirect3DDevice9::GetDeviceCaps(D3DCAPS9* caps) {
  if (!caps) return D3DERR_INVALIDCALL;
  *caps = IDirect3D9::Caps();
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) {
  if (swapChain != 0 || !mode) return D3DERR_INVALIDCALL;
  if (!parameters.Windowed) {
    *mode = {parameters.BackBufferWidth, parameters.BackBufferHeight, parameters.FullScreen_RefreshRateInHz,
             parameters.BackBufferFormat == D3DFMT_A8R8G8B8 ? D3DFMT_X8R8G8B8 : parameters.BackBufferFormat};
    return D3D_OK;
  }
  return impl->context.DisplayMode(*mode) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT IDirect3DDevice9::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface9** out) {
  if (!out || swapChain != 0 || index != 0) return D3DERR_INVALIDCALL;
  return Impl::Hand(backBuffer.Get(), out);
}

void IDirect3DDevice9::SetGammaRamp(UINT swapChain, DWORD, const D3DGAMMARAMP* ramp) {
  if (swapChain != 0 || !ramp) return;
  gamma = *ramp;
  // A window shares the display with others: the ramp applies in full
  // screen only.
  if (!parameters.Windowed && !impl->context.SetGammaRamp(gamma)) Report("cannot set the display's gamma ramp");
}

void IDirect3DDevice9::GetGammaRamp(UINT swapChain, D3DGAMMARAMP* ramp) {
  if (swapChain == 0 && ramp) *ramp = gamma;
}

void IDirect3DDevice9::ForgetTexture(uint32_t texture) { impl->framebuffers.Forget(texture); }

uint32_t IDirect3DDevice9::AcquireShader(bool fragment, const std::string& source, std::string& error) {
  return impl->shaderObjects.Acquire(fragment, source, error);
}

void IDirect3DDevice9::ReleaseShader(uint32_t shader) {
  if (impl->shaderObjects.Release(shader)) impl->programs.Forget(shader);
}

}  // namespace ynx
