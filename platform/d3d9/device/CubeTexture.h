#pragma once

#include "platform/d3d9/device/BaseTexture.h"

namespace ynx {

// Faces in D3DCUBEMAP_FACES order, which is GL's cube face order too.
class IDirect3DCubeTexture9 final : public IDirect3DBaseTexture9 {
 public:
  IDirect3DCubeTexture9(IDirect3DDevice9* device, UINT edge, UINT levels, DWORD usage, const FormatInfo& info,
                        D3DPOOL pool)
      : IDirect3DBaseTexture9(device, D3DRTYPE_CUBETEXTURE, edge, edge, levels, 6, usage, info, pool) {}

  // Adds a reference (to the texture, which the surface shares).
  HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface9** surface) {
    return GetLevelSurface(face, level, surface);
  }
  HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    return LockLevel(face, level, locked, rect, flags);
  }
  HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) { return UnlockLevel(face, level); }
};

}  // namespace ynx
