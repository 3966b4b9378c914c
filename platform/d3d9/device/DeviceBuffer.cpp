#include "platform/d3d9/device/DeviceBuffer.h"

#include <epoxy/gl.h>

#include <algorithm>

namespace ynx {

DeviceBuffer::DeviceBuffer(IDirect3DDevice9* device, D3DRESOURCETYPE type, UINT size, DWORD usage, D3DPOOL pool,
                           D3DFORMAT format)
    : IDirect3DResource9(device, type, pool), dirtyEnd(size), size(size), format(format), usage(usage), bytes(size) {}

HRESULT DeviceBuffer::Lock(UINT offset, UINT length, void** data, DWORD flags) {
  if (!data) return D3DERR_INVALIDCALL;
  *data = nullptr;
  if (offset > size || length > size - offset) return D3DERR_INVALIDCALL;
  // A length of 0 locks everything from the offset on.
  const UINT end = length == 0 ? size : offset + length;
  if (!(flags & D3DLOCK_READONLY)) {
    dirtyBegin = dirtyBegin < dirtyEnd ? std::min(dirtyBegin, offset) : offset;
    dirtyEnd = std::max(dirtyEnd, end);
  }
  ++locks;
  *data = bytes.data() + offset;
  return D3D_OK;
}

HRESULT DeviceBuffer::Unlock() {
  if (locks == 0) return D3DERR_INVALIDCALL;
  --locks;
  return D3D_OK;
}

const BufferArena::Slice& DeviceBuffer::Prepare(BufferArena& from) {
  if (slice.buffer == 0) {
    const bool dynamic = (usage & D3DUSAGE_DYNAMIC) != 0;
    slice = from.Allocate(size, bytes.data(), !dynamic, dynamic);
    arena = &from;
  } else if (dirtyBegin < dirtyEnd) {
    glNamedBufferSubData(slice.buffer, static_cast<GLintptr>(slice.offset) + dirtyBegin,
                         static_cast<GLsizeiptr>(dirtyEnd - dirtyBegin), bytes.data() + dirtyBegin);
  }
  dirtyBegin = dirtyEnd = 0;
  return slice;
}

void DeviceBuffer::ReleaseGl() {
  if (arena) arena->Free(slice, size);
  arena = nullptr;
  slice = {};
  dirtyBegin = 0;
  dirtyEnd = size;
}

}  // namespace ynx
