#pragma once

#include "platform/d3d9/device/DeviceBuffer.h"

namespace ynx {

class IDirect3DVertexBuffer9 final : public DeviceBuffer {
 public:
  IDirect3DVertexBuffer9(IDirect3DDevice9* device, UINT size, DWORD usage, DWORD fvf, D3DPOOL pool)
      : DeviceBuffer(device, D3DRTYPE_VERTEXBUFFER, size, usage, pool, D3DFMT_VERTEXDATA), fvf(fvf) {}

  HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) const {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = {Format(), D3DRTYPE_VERTEXBUFFER, Usage(), Pool(), Size(), fvf};
    return D3D_OK;
  }

 private:
  DWORD fvf;
};

}  // namespace ynx
