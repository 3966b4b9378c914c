#pragma once

#include <cstdint>

#include "platform/d3d9/device/DeviceChild.h"

namespace ynx {

// Occlusion queries: the samples that passed the depth and stencil tests
// between the begin and the end, as a DWORD. An end without a begin counts
// nothing.
class IDirect3DQuery9 final : public DeviceChild {
 public:
  IDirect3DQuery9(IDirect3DDevice9* device, D3DQUERYTYPE type) : DeviceChild(device), type(type) {}

  static bool Supported(D3DQUERYTYPE type) { return type == D3DQUERYTYPE_OCCLUSION; }

  D3DQUERYTYPE GetType() const { return type; }
  DWORD GetDataSize() const { return sizeof(DWORD); }
  HRESULT Issue(DWORD flags);
  // S_FALSE while the result is not there yet.
  HRESULT GetData(void* data, DWORD size, DWORD flags);

 protected:
  void ReleaseGl() override;

 private:
  enum class Phase { IDLE, BUILDING, ISSUED, EMPTY };

  D3DQUERYTYPE type;
  Phase phase = Phase::IDLE;
  uint32_t query = 0;
};

}  // namespace ynx
