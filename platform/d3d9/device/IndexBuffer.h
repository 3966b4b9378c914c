#pragma once

#include "platform/d3d9/device/DeviceBuffer.h"

namespace ynx {

// 16- or 32-bit indices; 0xFFFF is an ordinary index (no primitive restart).
class IDirect3DIndexBuffer9 final : public DeviceBuffer {
 public:
  IDirect3DIndexBuffer9(IDirect3DDevice9* device, UINT size, DWORD usage, D3DFORMAT format, D3DPOOL pool)
      : DeviceBuffer(device, D3DRTYPE_INDEXBUFFER, size, usage, pool, format) {}

  HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) const {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = {Format(), D3DRTYPE_INDEXBUFFER, Usage(), Pool(), Size()};
    return D3D_OK;
  }
  UINT IndexSize() const { return Format() == D3DFMT_INDEX32 ? 4 : 2; }
};

}  // namespace ynx
