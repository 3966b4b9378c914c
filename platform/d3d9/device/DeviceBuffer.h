#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/device/Resource.h"

namespace ynx {

// What vertex and index buffers share: the system-memory copy is the
// authority (Lock hands out a pointer into it), and the GL buffer is
// refreshed from it at draw time, only over the bytes locked for writing
// since the last draw. So buffers of any pool survive a reset untouched.
class DeviceBuffer : public IDirect3DResource9 {
 public:
  HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
  HRESULT Unlock();

  UINT Size() const { return static_cast<UINT>(bytes.size()); }
  DWORD Usage() const { return usage; }
  const uint8_t* Bytes() const { return bytes.data(); }
  // The GL buffer, created and brought up to date as needed. The device's
  // context must be current.
  uint32_t Prepare();

 protected:
  DeviceBuffer(IDirect3DDevice9* device, D3DRESOURCETYPE type, UINT size, DWORD usage, D3DPOOL pool);
  void ReleaseGl() override;

 private:
  std::vector<uint8_t> bytes;
  DWORD usage;
  uint32_t buffer = 0;
  size_t dirtyBegin = 0;
  size_t dirtyEnd = 0;
  int locks = 0;
};

}  // namespace ynx
