#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/device/BufferArena.h"
#include "platform/d3d9/device/Resource.h"

namespace ynx {

// What vertex and index buffers share: the system-memory copy is the
// authority (Lock hands out a pointer into it), and the GL copy is
// refreshed from it at draw time, only over the bytes locked for writing
// since the last draw. So buffers of any pool survive a reset untouched.
// Static buffers share GL buffers through the device's BufferArena.
//
// What a draw reads (the reference count, the GL slice, the dirty range,
// the size, the format) fits the object's first cache line: a frame of
// many meshes meets each buffer cold.
class alignas(64) DeviceBuffer : public IDirect3DResource9 {
 public:
  HRESULT Lock(UINT offset, UINT length, void** data, DWORD flags);
  HRESULT Unlock();

  UINT Size() const { return size; }
  DWORD Usage() const { return usage; }
  // D3DFMT_VERTEXDATA or the index format.
  D3DFORMAT Format() const { return format; }
  const uint8_t* Bytes() const { return bytes.data(); }
  // Where the bytes lie on the GL side, created in `arena` and brought up
  // to date as needed. The device's context must be current.
  const BufferArena::Slice& Prepare(BufferArena& arena);

 protected:
  DeviceBuffer(IDirect3DDevice9* device, D3DRESOURCETYPE type, UINT size, DWORD usage, D3DPOOL pool,
               D3DFORMAT format);
  void ReleaseGl() override;

 private:
  BufferArena::Slice slice;
  UINT dirtyBegin = 0;
  UINT dirtyEnd = 0;
  UINT size;
  D3DFORMAT format;
  DWORD usage;
  std::vector<uint8_t> bytes;
  BufferArena* arena = nullptr;  // where `slice` came from
  int locks = 0;
};

}  // namespace ynx
