#include "platform/d3d9/device/Device.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>

#include "platform/d3d9/device/DepthBiasProbe.h"
#include "platform/d3d9/device/DeviceImpl.h"
#include "platform/d3d9/device/Direct3D9.h"
#include "platform/d3d9/device/FixedFunctionUniforms.h"
#include "platform/d3d9/device/StateBlock.h"

namespace ynx {

namespace {

float Float(uint32_t bits) { return std::bit_cast<float>(bits); }

// Vertices a draw of `primitives` primitives reads, and the GL mode; false
// for unknown primitive types.
bool Primitives(D3DPRIMITIVETYPE type, UINT primitives, GLenum& mode, GLsizei& vertices) {
  const auto n = static_cast<GLsizei>(primitives);
  switch (type) {
    case D3DPT_POINTLIST: mode = GL_POINTS; vertices = n; return true;
    case D3DPT_LINELIST: mode = GL_LINES; vertices = 2 * n; return true;
    case D3DPT_LINESTRIP: mode = GL_LINE_STRIP; vertices = n + 1; return true;
    case D3DPT_TRIANGLELIST: mode = GL_TRIANGLES; vertices = 3 * n; return true;
    case D3DPT_TRIANGLESTRIP: mode = GL_TRIANGLE_STRIP; vertices = n + 2; return true;
    case D3DPT_TRIANGLEFAN: mode = GL_TRIANGLE_FAN; vertices = n + 2; return true;
    default: return false;
  }
}

bool HasStencilPlane(const FormatInfo& info) { return info.internalFormat == GL_DEPTH24_STENCIL8; }

}  // namespace

// Creation, reset, presentation.

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
  impl->MarkVertexConstants(0, DeviceState::VERTEX_CONSTANTS);
  impl->MarkPixelConstants(0, DeviceState::PIXEL_CONSTANTS);
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

// Resources.

HRESULT IDirect3DDevice9::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                        D3DPOOL pool, IDirect3DTexture9** out, HANDLE* shared) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  const FormatInfo* info = FormatInfo::Find(format);
  const bool target = (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) != 0;
  if (shared || !info || !Impl::ValidSize(width, height) || levels > IDirect3DBaseTexture9::FullChain(width, height) ||
      ((usage & D3DUSAGE_RENDERTARGET) && !info->renderTarget) ||
      (info->IsDepth() != ((usage & D3DUSAGE_DEPTHSTENCIL) != 0)) || (target && pool != D3DPOOL_DEFAULT)) {
    return D3DERR_INVALIDCALL;
  }
  *out = new IDirect3DTexture9(this, width, height, levels, usage, *info, pool);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DCubeTexture9** out, HANDLE* shared) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  const FormatInfo* info = FormatInfo::Find(format);
  if (shared || !info || info->IsDepth() || !Impl::ValidSize(edge, edge) ||
      levels > IDirect3DBaseTexture9::FullChain(edge, edge) || (usage & D3DUSAGE_DEPTHSTENCIL) ||
      ((usage & D3DUSAGE_RENDERTARGET) && (!info->renderTarget || pool != D3DPOOL_DEFAULT))) {
    return D3DERR_INVALIDCALL;
  }
  *out = new IDirect3DCubeTexture9(this, edge, levels, usage, *info, pool);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                             IDirect3DVertexBuffer9** out, HANDLE* shared) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  if (shared || length == 0) return D3DERR_INVALIDCALL;
  *out = new IDirect3DVertexBuffer9(this, length, usage, fvf, pool);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DIndexBuffer9** out, HANDLE* shared) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  if (shared || length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) return D3DERR_INVALIDCALL;
  *out = new IDirect3DIndexBuffer9(this, length, usage, format, pool);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                             D3DMULTISAMPLE_TYPE multiSample, DWORD, BOOL,
                                             IDirect3DSurface9** out, HANDLE* shared) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  const FormatInfo* info = FormatInfo::Find(format);
  if (shared || !info || !info->renderTarget || !Impl::ValidSize(width, height)) return D3DERR_INVALIDCALL;
  if (multiSample != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
  *out = new IDirect3DSurface9(this, width, height, *info, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                    D3DMULTISAMPLE_TYPE multiSample, DWORD, BOOL,
                                                    IDirect3DSurface9** out, HANDLE* shared) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  const FormatInfo* info = FormatInfo::Find(format);
  if (shared || !info || !info->IsDepth() || !Impl::ValidSize(width, height)) return D3DERR_INVALIDCALL;
  if (multiSample != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
  *out = new IDirect3DSurface9(this, width, height, *info, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                                      IDirect3DSurface9** out, HANDLE* shared) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  const FormatInfo* info = FormatInfo::Find(format);
  // Plain surfaces are for reading back: system memory only.
  if (shared || !info || info->IsDepth() || !Impl::ValidSize(width, height) ||
      (pool != D3DPOOL_SYSTEMMEM && pool != D3DPOOL_SCRATCH)) {
    return D3DERR_INVALIDCALL;
  }
  *out = new IDirect3DSurface9(this, width, height, *info, 0, pool);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* destination) {
  if (!source || !destination || source->Pool() != D3DPOOL_SYSTEMMEM || destination->Pool() != D3DPOOL_DEFAULT ||
      source->GetType() != destination->GetType() || source->Format() != destination->Format() ||
      source->LevelWidth(0) != destination->LevelWidth(0) || source->LevelHeight(0) != destination->LevelHeight(0) ||
      source->GetLevelCount() < destination->GetLevelCount() || !destination->HasSystemCopy()) {
    return D3DERR_INVALIDCALL;
  }
  for (UINT face = 0; face < destination->Faces(); ++face) {
    for (UINT level = 0; level < destination->GetLevelCount(); ++level) {
      std::memcpy(destination->LevelBits(face, level), source->LevelBits(face, level),
                  size_t{destination->Pitch(level)} * destination->LevelHeight(level));
      destination->MarkDirty(face, level);
    }
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderTargetData(IDirect3DSurface9* source, IDirect3DSurface9* destination) {
  if (!source || !destination || !(source->Usage() & D3DUSAGE_RENDERTARGET) || !destination->Bits() ||
      destination->Pool() != D3DPOOL_SYSTEMMEM || source->Width() != destination->Width() ||
      source->Height() != destination->Height() || source->Info().format != destination->Info().format) {
    return D3DERR_INVALIDCALL;
  }
  if (Lost() || !MakeCurrent()) return D3DERR_DEVICELOST;
  const uint32_t framebuffer = impl->framebuffers.Get(source->Prepare(), {}, false);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
  const FormatInfo& info = source->Info();
  // Rows come out top first, as the surface keeps them.
  glReadPixels(0, 0, static_cast<GLsizei>(source->Width()), static_cast<GLsizei>(source->Height()), info.uploadFormat,
               info.uploadType, destination->Bits());
  destination->MarkDirty();
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
  if (index != 0 || !surface || !(surface->Usage() & D3DUSAGE_RENDERTARGET)) return D3DERR_INVALIDCALL;
  renderTarget.Reset(surface);
  // As the API does: the viewport becomes the whole new target.
  state.viewport = {0, 0, surface->Width(), surface->Height(), 0.0f, 1.0f};
  impl->fixedDirty |= Impl::FIXED_VALUES;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderTarget(DWORD index, IDirect3DSurface9** out) {
  if (!out || index != 0) return D3DERR_INVALIDCALL;
  return Impl::Hand(renderTarget.Get(), out);
}

HRESULT IDirect3DDevice9::SetDepthStencilSurface(IDirect3DSurface9* surface) {
  if (surface && !(surface->Usage() & D3DUSAGE_DEPTHSTENCIL)) return D3DERR_INVALIDCALL;
  depthStencil.Reset(surface);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetDepthStencilSurface(IDirect3DSurface9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  Impl::Hand(depthStencil.Get(), out);
  return depthStencil ? D3D_OK : D3DERR_NOTFOUND;
}

HRESULT IDirect3DDevice9::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                                  IDirect3DVertexDeclaration9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  std::vector<D3DVERTEXELEMENT9> valid;
  if (!IDirect3DVertexDeclaration9::Validate(elements, valid)) return D3DERR_INVALIDCALL;
  *out = new IDirect3DVertexDeclaration9(this, std::move(valid));
  return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  DecodedShader shader;
  ShaderInterface interface;
  std::string error;
  if (!DeviceShader::Load(function, false, shader, interface, error)) {
    Report("cannot create a vertex shader: " + error);
    return D3DERR_INVALIDCALL;
  }
  *out = new IDirect3DVertexShader9(this, std::move(shader), std::move(interface));
  return D3D_OK;
}

HRESULT IDirect3DDevice9::CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  DecodedShader shader;
  ShaderInterface interface;
  std::string error;
  if (!DeviceShader::Load(function, true, shader, interface, error)) {
    Report("cannot create a pixel shader: " + error);
    return D3DERR_INVALIDCALL;
  }
  *out = new IDirect3DPixelShader9(this, std::move(shader), std::move(interface));
  return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateQuery(D3DQUERYTYPE type, IDirect3DQuery9** out) {
  if (!IDirect3DQuery9::Supported(type)) return D3DERR_NOTAVAILABLE;
  // A null out only asks whether the type is supported.
  if (out) *out = new IDirect3DQuery9(this, type);
  return D3D_OK;
}

void IDirect3DDevice9::ForgetTexture(uint32_t texture) { impl->framebuffers.Forget(texture); }

void IDirect3DDevice9::ForgetShader(uint32_t shader) { impl->programs.Forget(shader); }

// State blocks.

DeviceState* IDirect3DDevice9::Recording(StateMask*& mask) {
  if (!recording) return nullptr;
  mask = &recording->Mask();
  return &recording->State();
}

HRESULT IDirect3DDevice9::CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  if (recording || type < D3DSBT_ALL || type > D3DSBT_VERTEXSTATE) return D3DERR_INVALIDCALL;
  auto* block = new IDirect3DStateBlock9(this);
  if (type == D3DSBT_ALL) block->Mask().SetAll();
  if (type == D3DSBT_PIXELSTATE) block->Mask().SetPixelStates();
  if (type == D3DSBT_VERTEXSTATE) block->Mask().SetVertexStates();
  block->Capture();
  *out = block;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::BeginStateBlock() {
  if (recording) return D3DERR_INVALIDCALL;
  recording = ComPtr<IDirect3DStateBlock9>::Adopt(new IDirect3DStateBlock9(this));
  return D3D_OK;
}

HRESULT IDirect3DDevice9::EndStateBlock(IDirect3DStateBlock9** out) {
  if (!out || !recording) return D3DERR_INVALIDCALL;
  Impl::Hand(recording.Get(), out);
  recording.Reset();
  return D3D_OK;
}

// States.

HRESULT IDirect3DDevice9::SetRenderState(D3DRENDERSTATETYPE type, DWORD value) {
  if (type >= DeviceState::RENDER_STATES) return D3DERR_INVALIDCALL;
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->renderStates[type] = value;
    mask->renderStates.set(type);
  } else if (state.renderStates[type] != value) {
    state.renderStates[type] = value;
    impl->fixedDirty |= Impl::FixedDirtOf(type);
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderState(D3DRENDERSTATETYPE type, DWORD* value) {
  if (type >= DeviceState::RENDER_STATES || !value) return D3DERR_INVALIDCALL;
  *value = state.renderStates[type];
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (stage >= DeviceState::STAGES || type >= DeviceState::STAGE_STATES) return D3DERR_INVALIDCALL;
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->stageStates[stage][type] = value;
    mask->stageStates[stage].set(type);
  } else if (state.stageStates[stage][type] != value) {
    state.stageStates[stage][type] = value;
    // The key reads every stage state but the constant, which only the
    // pixel image holds.
    impl->fixedDirty |= type == D3DTSS_CONSTANT ? Impl::FIXED_PIXEL : Impl::FIXED_KEY;
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
  if (stage >= DeviceState::STAGES || type >= DeviceState::STAGE_STATES || !value) return D3DERR_INVALIDCALL;
  *value = state.stageStates[stage][type];
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (sampler >= DeviceState::SAMPLERS || type >= DeviceState::SAMPLER_STATES) return D3DERR_INVALIDCALL;
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->samplerStates[sampler][type] = value;
    mask->samplerStates[sampler].set(type);
  } else {
    state.samplerStates[sampler][type] = value;
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
  if (sampler >= DeviceState::SAMPLERS || type >= DeviceState::SAMPLER_STATES || !value) return D3DERR_INVALIDCALL;
  *value = state.samplerStates[sampler][type];
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) {
  const int bit = StateMask::TransformBit(type);
  if (!matrix || bit < 0) return D3DERR_INVALIDCALL;
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    *block->Transform(type) = *matrix;
    mask->transforms |= 1u << bit;
  } else if (D3DMATRIX* slot = state.Transform(type); std::memcmp(slot, matrix, sizeof *matrix) != 0) {
    *slot = *matrix;
    // Lights go to view space; table fog looks at the projection.
    impl->fixedDirty |= type == D3DTS_WORLD        ? Impl::FIXED_TRANSFORMS
                        : type == D3DTS_VIEW       ? Impl::FIXED_TRANSFORMS | Impl::FIXED_VALUES
                        : type == D3DTS_PROJECTION ? Impl::FIXED_TRANSFORMS | Impl::FIXED_KEY
                                                   : Impl::FIXED_TEXTURE_TRANSFORMS;
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix) {
  const D3DMATRIX* slot = state.Transform(type);
  if (!matrix || !slot) return D3DERR_INVALIDCALL;
  *matrix = *slot;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetViewport(const D3DVIEWPORT9* viewport) {
  if (!viewport || viewport->Width == 0 || viewport->Height == 0 || viewport->MinZ < 0.0f || viewport->MaxZ > 1.0f ||
      viewport->MinZ > viewport->MaxZ) {
    return D3DERR_INVALIDCALL;
  }
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->viewport = *viewport;
    mask->viewport = true;
    return D3D_OK;
  }
  // The viewport must lie inside the render target.
  if (uint64_t{viewport->X} + viewport->Width > renderTarget->Width() ||
      uint64_t{viewport->Y} + viewport->Height > renderTarget->Height()) {
    return D3DERR_INVALIDCALL;
  }
  state.viewport = *viewport;
  impl->fixedDirty |= Impl::FIXED_VALUES;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetViewport(D3DVIEWPORT9* viewport) {
  if (!viewport) return D3DERR_INVALIDCALL;
  *viewport = state.viewport;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetMaterial(const D3DMATERIAL9* material) {
  if (!material) return D3DERR_INVALIDCALL;
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->material = *material;
    mask->material = true;
  } else {
    state.material = *material;
    impl->fixedDirty |= Impl::FIXED_VALUES;
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetMaterial(D3DMATERIAL9* material) {
  if (!material) return D3DERR_INVALIDCALL;
  *material = state.material;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetLight(DWORD index, const D3DLIGHT9* light) {
  if (!light || index >= DeviceState::LIGHTS || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL) {
    return D3DERR_INVALIDCALL;
  }
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->lights[index] = *light;
    mask->lights |= 1u << index;
  } else {
    state.lights[index] = *light;
    // The key holds the light types.
    impl->fixedDirty |= Impl::FIXED_KEY | Impl::FIXED_VALUES;
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetLight(DWORD index, D3DLIGHT9* light) {
  if (!light || index >= DeviceState::LIGHTS) return D3DERR_INVALIDCALL;
  *light = state.lights[index];
  return D3D_OK;
}

HRESULT IDirect3DDevice9::LightEnable(DWORD index, BOOL enable) {
  if (index >= DeviceState::LIGHTS) return D3DERR_INVALIDCALL;
  StateMask* mask = nullptr;
  DeviceState* target = Recording(mask);
  if (target) mask->lightEnables |= 1u << index;
  if (!target) target = &state;
  const uint32_t enables = enable ? target->lightEnables | 1u << index : target->lightEnables & ~(1u << index);
  if (target == &state && enables != state.lightEnables) impl->fixedDirty |= Impl::FIXED_KEY | Impl::FIXED_VALUES;
  target->lightEnables = enables;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetLightEnable(DWORD index, BOOL* enable) {
  if (!enable || index >= DeviceState::LIGHTS) return D3DERR_INVALIDCALL;
  *enable = state.lightEnables >> index & 1;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
  if (stage >= DeviceState::SAMPLERS || (texture && texture->Pool() == D3DPOOL_SYSTEMMEM)) return D3DERR_INVALIDCALL;
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->textures[stage].Reset(texture);
    mask->textures |= 1u << stage;
  } else if (state.textures[stage].Get() != texture) {
    // The key holds the kind of texture on each stage.
    state.textures[stage].Reset(texture);
    impl->fixedDirty |= Impl::FIXED_KEY;
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetTexture(DWORD stage, IDirect3DBaseTexture9** out) {
  if (!out || stage >= DeviceState::SAMPLERS) return D3DERR_INVALIDCALL;
  return Impl::Hand(state.textures[stage].Get(), out);
}

HRESULT IDirect3DDevice9::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->declaration.Reset(declaration);
    mask->declaration = true;
  } else if (state.declaration.Get() != declaration) {
    state.declaration.Reset(declaration);
    impl->fixedDirty |= Impl::FIXED_KEY;
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetVertexDeclaration(IDirect3DVertexDeclaration9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  return Impl::Hand(state.declaration.Get(), out);
}

HRESULT IDirect3DDevice9::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
  if (stream >= DeviceState::STREAMS || (buffer && offset >= buffer->Size())) return D3DERR_INVALIDCALL;
  StateMask* mask = nullptr;
  DeviceState* target = Recording(mask);
  if (target) mask->streams |= 1u << stream;
  if (!target) target = &state;
  target->streams[stream].buffer.Reset(buffer);
  target->streams[stream].offset = offset;
  target->streams[stream].stride = stride;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** out, UINT* offset, UINT* stride) {
  if (!out || !offset || !stride || stream >= DeviceState::STREAMS) return D3DERR_INVALIDCALL;
  *offset = state.streams[stream].offset;
  *stride = state.streams[stream].stride;
  return Impl::Hand(state.streams[stream].buffer.Get(), out);
}

HRESULT IDirect3DDevice9::SetIndices(IDirect3DIndexBuffer9* indices) {
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->indices.Reset(indices);
    mask->indices = true;
  } else {
    state.indices.Reset(indices);
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetIndices(IDirect3DIndexBuffer9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  return Impl::Hand(state.indices.Get(), out);
}

HRESULT IDirect3DDevice9::SetVertexShader(IDirect3DVertexShader9* shader) {
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->vertexShader.Reset(shader);
    mask->vertexShader = true;
  } else {
    state.vertexShader.Reset(shader);
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetVertexShader(IDirect3DVertexShader9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  return Impl::Hand(state.vertexShader.Get(), out);
}

HRESULT IDirect3DDevice9::SetPixelShader(IDirect3DPixelShader9* shader) {
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->pixelShader.Reset(shader);
    mask->pixelShader = true;
  } else {
    state.pixelShader.Reset(shader);
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetPixelShader(IDirect3DPixelShader9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  return Impl::Hand(state.pixelShader.Get(), out);
}

HRESULT IDirect3DDevice9::SetVertexShaderConstantF(UINT start, const float* data, UINT count) {
  if (!data || start > DeviceState::VERTEX_CONSTANTS || count > DeviceState::VERTEX_CONSTANTS - start) {
    return D3DERR_INVALIDCALL;
  }
  StateMask* mask = nullptr;
  DeviceState* target = Recording(mask);
  if (target) {
    for (UINT i = start; i < start + count; ++i) mask->vertexConstants.set(i);
  } else {
    target = &state;
    impl->MarkVertexConstants(start, start + count);
  }
  std::memcpy(target->vertexConstants[start], data, size_t{count} * 16);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetVertexShaderConstantF(UINT start, float* data, UINT count) {
  if (!data || start > DeviceState::VERTEX_CONSTANTS || count > DeviceState::VERTEX_CONSTANTS - start) {
    return D3DERR_INVALIDCALL;
  }
  std::memcpy(data, state.vertexConstants[start], size_t{count} * 16);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetPixelShaderConstantF(UINT start, const float* data, UINT count) {
  if (!data || start > DeviceState::PIXEL_CONSTANTS || count > DeviceState::PIXEL_CONSTANTS - start) {
    return D3DERR_INVALIDCALL;
  }
  StateMask* mask = nullptr;
  DeviceState* target = Recording(mask);
  if (target) {
    for (UINT i = start; i < start + count; ++i) mask->pixelConstants.set(i);
  } else {
    target = &state;
    impl->MarkPixelConstants(start, start + count);
  }
  std::memcpy(target->pixelConstants[start], data, size_t{count} * 16);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetPixelShaderConstantF(UINT start, float* data, UINT count) {
  if (!data || start > DeviceState::PIXEL_CONSTANTS || count > DeviceState::PIXEL_CONSTANTS - start) {
    return D3DERR_INVALIDCALL;
  }
  std::memcpy(data, state.pixelConstants[start], size_t{count} * 16);
  return D3D_OK;
}

// Frames and drawing.

HRESULT IDirect3DDevice9::BeginScene() {
  if (inScene) return D3DERR_INVALIDCALL;
  inScene = true;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::EndScene() {
  if (!inScene) return D3DERR_INVALIDCALL;
  inScene = false;
  return D3D_OK;
}

uint32_t IDirect3DDevice9::Impl::BindTargets() {
  IDirect3DSurface9* depthStencil = device.depthStencil.Get();
  const IDirect3DSurface9::Attachment color = device.renderTarget->Prepare();
  const IDirect3DSurface9::Attachment depth = depthStencil ? depthStencil->Prepare() : IDirect3DSurface9::Attachment{};
  const uint32_t framebuffer =
      framebuffers.Get(color, depth, depthStencil && HasStencilPlane(depthStencil->Info()));
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  return framebuffer;
}

HRESULT IDirect3DDevice9::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                DWORD stencil) {
  if ((count != 0 && !rects) || !(flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL))) {
    return D3DERR_INVALIDCALL;
  }
  if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depthStencil) return D3DERR_INVALIDCALL;
  if ((flags & D3DCLEAR_STENCIL) && depthStencil->Info().stencilBits == 0) return D3DERR_INVALIDCALL;
  if (Lost() || !MakeCurrent()) return D3D_OK;
  impl->BindTargets();
  // A clear writes whole pixels whatever the masks say, inside the viewport.
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glStencilMask(0xFF);
  glEnable(GL_SCISSOR_TEST);
  impl->pipeline.Invalidate();
  const D3DVIEWPORT9& viewport = state.viewport;
  const LONG left = static_cast<LONG>(viewport.X);
  const LONG top = static_cast<LONG>(viewport.Y);
  const LONG right = static_cast<LONG>(std::min(viewport.X + viewport.Width, renderTarget->Width()));
  const LONG bottom = static_cast<LONG>(std::min(viewport.Y + viewport.Height, renderTarget->Height()));
  const D3DRECT whole{left, top, right, bottom};
  const GLfloat rgba[4] = {(color >> 16 & 0xFF) / 255.0f, (color >> 8 & 0xFF) / 255.0f, (color & 0xFF) / 255.0f,
                           (color >> 24 & 0xFF) / 255.0f};
  const GLfloat depth = std::clamp(z, 0.0f, 1.0f);
  const auto stencilValue = static_cast<GLint>(stencil & 0xFF);
  for (DWORD i = 0; i < (count ? count : 1); ++i) {
    const D3DRECT& rect = count ? rects[i] : whole;
    const LONG x1 = std::max(rect.x1, left);
    const LONG y1 = std::max(rect.y1, top);
    const LONG x2 = std::min(rect.x2, right);
    const LONG y2 = std::min(rect.y2, bottom);
    if (x1 >= x2 || y1 >= y2) continue;
    // Upper-left origin: Direct3D's row y is GL's row y.
    glScissor(x1, y1, x2 - x1, y2 - y1);
    if (flags & D3DCLEAR_TARGET) glClearBufferfv(GL_COLOR, 0, rgba);
    if ((flags & D3DCLEAR_ZBUFFER) && (flags & D3DCLEAR_STENCIL)) {
      glClearBufferfi(GL_DEPTH_STENCIL, 0, depth, stencilValue);
    } else if (flags & D3DCLEAR_ZBUFFER) {
      glClearBufferfv(GL_DEPTH, 0, &depth);
    } else if (flags & D3DCLEAR_STENCIL) {
      glClearBufferiv(GL_STENCIL, 0, &stencilValue);
    }
  }
  return D3D_OK;
}

ShaderKey IDirect3DDevice9::Impl::MakeKey(D3DPRIMITIVETYPE type) const {
  const DeviceState& state = device.state;
  const uint32_t* rs = state.renderStates;
  ShaderKey key;
  for (uint32_t unit = 0; unit < DeviceState::SAMPLERS; ++unit) {
    const IDirect3DBaseTexture9* texture = state.textures[unit].Get();
    if (!texture) continue;
    if (texture->IsDepth()) key.shadowSamplers |= static_cast<uint16_t>(1u << unit);
    if (unit < DeviceState::STAGES && texture->IsCube()) key.textureKinds |= ShaderKey::KIND_CUBE << (2 * unit);
  }
  for (uint32_t stage = 0; stage < DeviceState::STAGES; ++stage) {
    key.projection |= uint32_t{FixedFunctionKey::ProjectionOf(state.stageStates[stage][D3DTSS_TEXTURETRANSFORMFLAGS])}
                      << (3 * stage);
  }
  if (rs[D3DRS_FOGENABLE]) {
    switch (rs[D3DRS_FOGTABLEMODE]) {
      case D3DFOG_LINEAR: key.fog = ShaderKey::FOG_TABLE_LINEAR; break;
      case D3DFOG_EXP: key.fog = ShaderKey::FOG_TABLE_EXP; break;
      case D3DFOG_EXP2: key.fog = ShaderKey::FOG_TABLE_EXP2; break;
      default: key.fog = ShaderKey::FOG_VERTEX; break;
    }
  }
  key.fogFromW = FixedFunctionKey::TableFogFromW(state.projection);
  const uint32_t function = rs[D3DRS_ALPHAFUNC];
  if (rs[D3DRS_ALPHATESTENABLE] && function >= D3DCMP_NEVER && function <= D3DCMP_ALWAYS) {
    key.alphaFunction = static_cast<uint8_t>(function);
  }
  key.pointSprite = rs[D3DRS_POINTSPRITEENABLE] && type == D3DPT_POINTLIST;
  key.flatColors = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
  return key;
}

void IDirect3DDevice9::Impl::UploadStates(bool fixedFunction) {
  const DeviceState& state = device.state;
  uniforms.UploadVertexConstants(state.vertexConstants, vertexDirtyBegin, vertexDirtyEnd);
  uniforms.UploadPixelConstants(state.pixelConstants, pixelDirtyBegin, pixelDirtyEnd);
  vertexDirtyBegin = vertexDirtyEnd = pixelDirtyBegin = pixelDirtyEnd = 0;

  const uint32_t* rs = state.renderStates;
  ShaderInterface::VertexState vertex{};
  // Direct3D puts pixel centres on integer coordinates, GL half a pixel
  // further: move everything right and down by a shade less than half a
  // pixel, so that no edge passes exactly through a pixel centre and GL's
  // tie rule (which differs from Direct3D's top-left rule) never applies.
  constexpr float SHIFT = 2.0f * 63.0f / 128.0f;  // in NDC units per pixel
  vertex.positionFixup[0] = 1.0f;
  vertex.positionFixup[1] = 1.0f;
  vertex.positionFixup[2] = SHIFT / static_cast<float>(state.viewport.Width);
  vertex.positionFixup[3] = -SHIFT / static_cast<float>(state.viewport.Height);
  vertex.pointSize[0] = Float(rs[D3DRS_POINTSIZE_MIN]);
  vertex.pointSize[1] = Float(rs[D3DRS_POINTSIZE_MAX]);
  uniforms.UploadVertexState(vertex);

  ShaderInterface::PixelState pixel{};
  for (uint32_t stage = 0; stage < DeviceState::STAGES; ++stage) {
    const uint32_t* ts = state.stageStates[stage];
    pixel.bumpMatrix[stage][0] = Float(ts[D3DTSS_BUMPENVMAT00]);
    pixel.bumpMatrix[stage][1] = Float(ts[D3DTSS_BUMPENVMAT01]);
    pixel.bumpMatrix[stage][2] = Float(ts[D3DTSS_BUMPENVMAT10]);
    pixel.bumpMatrix[stage][3] = Float(ts[D3DTSS_BUMPENVMAT11]);
    pixel.bumpLuminance[stage][0] = Float(ts[D3DTSS_BUMPENVLSCALE]);
    pixel.bumpLuminance[stage][1] = Float(ts[D3DTSS_BUMPENVLOFFSET]);
  }
  const D3DCOLOR fog = rs[D3DRS_FOGCOLOR];
  pixel.fogColor[0] = (fog >> 16 & 0xFF) / 255.0f;
  pixel.fogColor[1] = (fog >> 8 & 0xFF) / 255.0f;
  pixel.fogColor[2] = (fog & 0xFF) / 255.0f;
  const float start = Float(rs[D3DRS_FOGSTART]);
  const float end = Float(rs[D3DRS_FOGEND]);
  pixel.fogParameters[0] = end;
  // FOGSTART == FOGEND: everything nearer than the end is clear, the rest
  // fogged, which a very steep ramp gives.
  pixel.fogParameters[1] = end != start ? 1.0f / (end - start) : 3.402823466e+38f;
  pixel.fogParameters[2] = Float(rs[D3DRS_FOGDENSITY]);
  pixel.alphaReference[0] = static_cast<float>(rs[D3DRS_ALPHAREF] & 0xFF);
  uniforms.UploadPixelState(pixel);

  if (fixedFunction) UploadFixedFunction();
}

uint32_t IDirect3DDevice9::Impl::FixedDirtOf(D3DRENDERSTATETYPE type) {
  static constexpr std::array<uint8_t, DeviceState::RENDER_STATES> DIRT = [] {
    std::array<uint8_t, DeviceState::RENDER_STATES> dirt{};
    for (D3DRENDERSTATETYPE read : FixedFunctionKey::RENDER_STATES_READ) dirt[read] |= FIXED_KEY;
    for (D3DRENDERSTATETYPE read : FixedFunctionUniforms::VERTEX_RENDER_STATES) dirt[read] |= FIXED_VALUES;
    for (D3DRENDERSTATETYPE read : FixedFunctionUniforms::PIXEL_RENDER_STATES) dirt[read] |= FIXED_PIXEL;
    return dirt;
  }();
  return DIRT[type];
}

const FixedFunctionKey& IDirect3DDevice9::Impl::FixedKey(D3DPRIMITIVETYPE type) {
  const DeviceState& state = device.state;
  const bool points = type == D3DPT_POINTLIST;
  if ((fixedDirty & FIXED_KEY) || points != fixedKeyPoints) {
    FixedFunctionKey::Draw draw = state.declaration->FixedFunctionDraw();
    draw.points = points;
    for (uint32_t stage = 0; stage < DeviceState::STAGES; ++stage) {
      const IDirect3DBaseTexture9* texture = state.textures[stage].Get();
      draw.textures[stage] = !texture             ? FixedFunctionKey::TEXTURE_NONE
                             : texture->IsDepth() ? FixedFunctionKey::TEXTURE_DEPTH
                             : texture->IsCube()  ? FixedFunctionKey::TEXTURE_CUBE
                                                  : FixedFunctionKey::TEXTURE_2D;
    }
    fixedKey = FixedFunctionKey::Make(FixedView(), draw);
    fixedKeyPoints = points;
    fixedDirty &= ~uint32_t{FIXED_KEY};
  }
  return fixedKey;
}

void IDirect3DDevice9::Impl::UploadFixedFunction() {
  using Vertex = FixedFunctionUniforms::Vertex;
  const FixedFunctionState view = FixedView();
  // The parts lie in this order in the image: one upload covers the
  // changed ones.
  size_t begin = sizeof(Vertex);
  size_t end = 0;
  const auto refresh = [&](uint32_t part, void (*fill)(const FixedFunctionState&, Vertex&), size_t from, size_t to) {
    if (!(fixedDirty & part)) return;
    fill(view, fixedVertex);
    begin = std::min(begin, from);
    end = std::max(end, to);
  };
  refresh(FIXED_TRANSFORMS, FixedFunctionUniforms::FillTransforms, 0, offsetof(Vertex, texture));
  refresh(FIXED_TEXTURE_TRANSFORMS, FixedFunctionUniforms::FillTextureTransforms, offsetof(Vertex, texture),
          offsetof(Vertex, materialDiffuse));
  refresh(FIXED_VALUES, FixedFunctionUniforms::FillValues, offsetof(Vertex, materialDiffuse), sizeof(Vertex));
  uniforms.UploadFixedVertex(fixedVertex, begin, end);
  if (fixedDirty & FIXED_PIXEL) {
    FixedFunctionUniforms::FillPixel(view, fixedPixel);
    uniforms.UploadFixedPixel(fixedPixel);
  }
  fixedDirty &= FIXED_KEY;
}

FixedFunctionState IDirect3DDevice9::Impl::FixedView() const {
  const DeviceState& state = device.state;
  return {state.renderStates, state.stageStates, state.world,    state.view,     state.projection, state.texture,
          state.lights,       static_cast<uint8_t>(state.lightEnables), state.material, state.viewport};
}

void IDirect3DDevice9::Impl::BindTexture(uint32_t unit) {
  const DeviceState& state = device.state;
  IDirect3DBaseTexture9* texture = state.textures[unit].Get();
  glBindTextureUnit(unit, texture ? texture->Prepare() : 0);
  if (texture) {
    samplers.Apply(unit, state.samplerStates[unit], texture->IsDepth(), texture->GetLevelCount() > 1);
  }
}

HRESULT IDirect3DDevice9::Impl::PrepareDraw(D3DPRIMITIVETYPE type, bool indexed, bool& skip) {
  const DeviceState& state = device.state;
  skip = true;
  if (!device.inScene) return D3DERR_INVALIDCALL;
  // A lost device takes draws and does nothing with them.
  if (device.Lost() || !device.MakeCurrent()) return D3D_OK;
  IDirect3DVertexDeclaration9* declaration = state.declaration.Get();
  if (!declaration || (indexed && !state.indices)) return D3DERR_INVALIDCALL;
  IDirect3DVertexShader9* vertexShader = state.vertexShader.Get();
  IDirect3DPixelShader9* pixelShader = state.pixelShader.Get();

  // A stage without a shader runs the fixed-function program of the state;
  // so does a stage whose shader cannot be built for this state (the shader
  // is left unbound and the draw goes on).
  const ShaderKey key = MakeKey(type);
  std::string error;
  uint32_t vertexObject = vertexShader ? vertexShader->Prepare(key, error) : 0;
  if (vertexShader && !vertexObject) {
    // The reason comes once per shader and state: failures are cached.
    if (!error.empty()) device.Report("vertex shader left unbound: " + error);
    vertexShader = nullptr;
  }
  error.clear();
  if (!vertexObject) vertexObject = fixedPipeline.Vertex(FixedKey(type).vertex, error);
  if (!error.empty()) device.Report(error);
  error.clear();
  uint32_t pixelObject = pixelShader ? pixelShader->Prepare(key, error) : 0;
  if (pixelShader && !pixelObject) {
    if (!error.empty()) device.Report("pixel shader left unbound: " + error);
    pixelShader = nullptr;
  }
  error.clear();
  if (!pixelObject) pixelObject = fixedPipeline.Pixel(FixedKey(type).pixel, error);
  if (!error.empty()) device.Report(error);
  if (!vertexObject || !pixelObject) return D3D_OK;
  error.clear();
  const uint32_t program = programs.Get(vertexObject, pixelObject, error);
  if (!error.empty()) device.Report(error);
  if (!program) return D3D_OK;

  const GLuint vertexArray =
      declaration->Prepare(vertexShader ? vertexShader->Interface().inputs : declaration->FixedFunctionInputs());
  const uint32_t streams = declaration->StreamsUsed();
  for (uint32_t stream = 0; stream < DeviceState::STREAMS; ++stream) {
    if (!(streams >> stream & 1)) continue;
    const DeviceState::Stream& source = state.streams[stream];
    if (!source.buffer) {
      device.Report("cannot draw: stream " + std::to_string(stream) + " has no vertex buffer");
      return D3DERR_INVALIDCALL;
    }
    glVertexArrayVertexBuffer(vertexArray, stream, source.buffer->Prepare(), source.offset,
                              static_cast<GLsizei>(source.stride));
  }
  if (indexed) glVertexArrayElementBuffer(vertexArray, state.indices->Prepare());
  glUseProgram(program);
  glBindVertexArray(vertexArray);
  BindTargets();

  if (pixelShader) {
    for (const ShaderInterface::Sampler& sampler : pixelShader->Interface().samplers) BindTexture(sampler.unit);
  } else {
    for (uint32_t stage = 0; stage < DeviceState::STAGES; ++stage) {
      if (FixedKey(type).pixel.stages[stage].texture != FixedFunctionKey::TEXTURE_NONE) BindTexture(stage);
    }
  }
  UploadStates(!vertexShader || !pixelShader);
  PipelineState::Target target;
  if (const IDirect3DSurface9* depthStencil = device.depthStencil.Get()) {
    target.depthBits = depthStencil->Info().depthBits;
    target.stencilBits = depthStencil->Info().stencilBits;
    target.depthUnit = target.depthBits == 16 ? depthUnit16 : depthUnit24;
  }
  target.programPointSize = vertexShader
                                ? (vertexShader->Interface().outputs & ShaderInterface::OUTPUT_POINT_SIZE) != 0
                                : FixedKey(type).vertex.point != FixedFunctionKey::POINT_NONE;
  pipeline.Apply(state, target);
  skip = false;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
  GLenum mode = GL_POINTS;
  GLsizei vertices = 0;
  if (!Primitives(type, primitiveCount, mode, vertices)) return D3DERR_INVALIDCALL;
  bool skip = true;
  const HRESULT result = impl->PrepareDraw(type, false, skip);
  if (!skip && primitiveCount > 0) glDrawArrays(mode, static_cast<GLint>(startVertex), vertices);
  return result;
}

HRESULT IDirect3DDevice9::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT, UINT, UINT startIndex,
                                               UINT primitiveCount) {
  GLenum mode = GL_POINTS;
  GLsizei vertices = 0;
  if (!Primitives(type, primitiveCount, mode, vertices)) return D3DERR_INVALIDCALL;
  bool skip = true;
  const HRESULT result = impl->PrepareDraw(type, true, skip);
  if (skip || primitiveCount == 0) return result;
  const UINT size = state.indices->IndexSize();
  if (uint64_t{startIndex} * size + uint64_t{static_cast<UINT>(vertices)} * size > state.indices->Size()) {
    return D3DERR_INVALIDCALL;
  }
  glDrawElementsBaseVertex(mode, vertices, size == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                           reinterpret_cast<const void*>(uintptr_t{startIndex} * size), baseVertex);
  return result;
}

}  // namespace ynx
