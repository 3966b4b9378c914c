#include "platform/d3d9/device/Surface.h"

#include <epoxy/gl.h>

#include "platform/d3d9/device/BaseTexture.h"
#include "platform/d3d9/device/Device.h"

namespace ynx {

IDirect3DSurface9::IDirect3DSurface9(IDirect3DBaseTexture9* container, UINT face, UINT level)
    : IDirect3DResource9(container->OwningDevice(), D3DRTYPE_SURFACE, container->Pool()),
      container(container),
      face(face),
      level(level),
      width(container->LevelWidth(level)),
      height(container->LevelHeight(level)),
      info(&container->Info()),
      usage(container->Usage()) {}

IDirect3DSurface9::IDirect3DSurface9(IDirect3DDevice9* device, UINT width, UINT height, const FormatInfo& info,
                                     DWORD usage, D3DPOOL pool)
    : IDirect3DResource9(device, D3DRTYPE_SURFACE, pool), width(width), height(height), info(&info), usage(usage) {
  if (!InGl()) bytes.assign(size_t{Pitch()} * height, 0);
}

ULONG IDirect3DSurface9::AddRef() { return container ? container->AddRef() : IDirect3DResource9::AddRef(); }

ULONG IDirect3DSurface9::Release() { return container ? container->Release() : IDirect3DResource9::Release(); }

HRESULT IDirect3DSurface9::GetDesc(D3DSURFACE_DESC* desc) const {
  if (!desc) return D3DERR_INVALIDCALL;
  *desc = {info->format, D3DRTYPE_SURFACE, usage, Pool(), D3DMULTISAMPLE_NONE, 0, width, height};
  return D3D_OK;
}

HRESULT IDirect3DSurface9::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
  if (container) return container->LockLevel(face, level, lockedRect, rect, flags);
  if (!lockedRect || bytes.empty() || locked) return D3DERR_INVALIDCALL;
  uint8_t* bits = bytes.data();
  if (rect) {
    if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
        static_cast<UINT>(rect->right) > width || static_cast<UINT>(rect->bottom) > height) {
      return D3DERR_INVALIDCALL;
    }
    bits += size_t{Pitch()} * static_cast<UINT>(rect->top) + size_t{info->bytesPerPixel} * static_cast<UINT>(rect->left);
  }
  lockedRect->Pitch = static_cast<INT>(Pitch());
  lockedRect->pBits = bits;
  locked = true;
  return D3D_OK;
}

HRESULT IDirect3DSurface9::UnlockRect() {
  if (container) return container->UnlockLevel(face, level);
  if (!locked) return D3DERR_INVALIDCALL;
  locked = false;
  return D3D_OK;
}

uint8_t* IDirect3DSurface9::Bits() {
  if (container) return container->LevelBits(face, level);
  return bytes.empty() ? nullptr : bytes.data();
}

void IDirect3DSurface9::MarkDirty() {
  if (container) container->MarkDirty(face, level);
}

IDirect3DSurface9::Attachment IDirect3DSurface9::Prepare() {
  if (container) {
    return {container->Prepare(), static_cast<int32_t>(level), container->IsCube() ? static_cast<int32_t>(face) : -1};
  }
  if (!InGl()) return {};
  if (texture == 0) {
    glCreateTextures(GL_TEXTURE_2D, 1, &texture);
    glTextureStorage2D(texture, 1, info->internalFormat, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
  }
  return {texture, 0, -1};
}

void IDirect3DSurface9::ReleaseGl() {
  if (texture) {
    glDeleteTextures(1, &texture);
    OwningDevice()->ForgetTexture(texture);
  }
  texture = 0;
}

}  // namespace ynx
