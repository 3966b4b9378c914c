// The device's calls that create resources, copy between them and set
// render targets.
#include "platform/d3d9/device/Device.h"

#include <epoxy/gl.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/d3d9/device/DeviceImpl.h"

namespace ynx {

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

HRESULT IDirect3DDevice9::Impl::CreateTargetSurface(UINT width, UINT height, D3DFORMAT format,
                                                    D3DMULTISAMPLE_TYPE multiSample, DWORD usage,
                                                    IDirect3DSurface9** out, HANDLE* shared) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  const FormatInfo* info = FormatInfo::Find(format);
  const bool usable = info && (usage == D3DUSAGE_DEPTHSTENCIL ? info->IsDepth() : info->renderTarget);
  if (shared || !usable || !ValidSize(width, height)) return D3DERR_INVALIDCALL;
  if (multiSample != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
  *out = new IDirect3DSurface9(&device, width, height, *info, usage, D3DPOOL_DEFAULT);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                             D3DMULTISAMPLE_TYPE multiSample, DWORD, BOOL,
                                             IDirect3DSurface9** out, HANDLE* shared) {
  return impl->CreateTargetSurface(width, height, format, multiSample, D3DUSAGE_RENDERTARGET, out, shared);
}

HRESULT IDirect3DDevice9::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                                    D3DMULTISAMPLE_TYPE multiSample, DWORD, BOOL,
                                                    IDirect3DSurface9** out, HANDLE* shared) {
  return impl->CreateTargetSurface(width, height, format, multiSample, D3DUSAGE_DEPTHSTENCIL, out, shared);
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

template <class Shader>
HRESULT IDirect3DDevice9::Impl::CreateShader(const DWORD* function, bool pixel, Shader** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  DecodedShader shader;
  ShaderInterface interface;
  std::string error;
  if (!DeviceShader::Load(function, pixel, shader, interface, error)) {
    device.Report(std::string("cannot create a ") + (pixel ? "pixel" : "vertex") + " shader: " + error);
    return D3DERR_INVALIDCALL;
  }
  *out = new Shader(&device, std::move(shader), std::move(interface));
  return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateVertexShader(const DWORD* function, IDirect3DVertexShader9** out) {
  return impl->CreateShader(function, false, out);
}

HRESULT IDirect3DDevice9::CreatePixelShader(const DWORD* function, IDirect3DPixelShader9** out) {
  return impl->CreateShader(function, true, out);
}

HRESULT IDirect3DDevice9::CreateQuery(D3DQUERYTYPE type, IDirect3DQuery9** out) {
  if (!IDirect3DQuery9::Supported(type)) return D3DERR_NOTAVAILABLE;
  // A null out only asks whether the type is supported.
  if (out) *out = new IDirect3DQuery9(this, type);
  return D3D_OK;
}

}  // namespace ynx
