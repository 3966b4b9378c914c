#pragma once

#include "platform/d3d9/device/BaseTexture.h"

namespace ynx {

class IDirect3DTexture9 final : public IDirect3DBaseTexture9 {
 public:
  IDirect3DTexture9(IDirect3DDevice9* device, UINT width, UINT height, UINT levels, DWORD usage,
                    const FormatInfo& info, D3DPOOL pool)
      : IDirect3DBaseTexture9(device, D3DRTYPE_TEXTURE, width, height, levels, 1, usage, info, pool) {}

  // Adds a reference (to the texture, which the surface shares).
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) { return GetLevelSurface(0, level, surface); }
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    return LockLevel(0, level, locked, rect, flags);
  }
  HRESULT UnlockRect(UINT level) { return UnlockLevel(0, level); }
};

}  // namespace ynx
