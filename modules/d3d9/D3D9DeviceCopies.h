#pragma once

#include <cstdint>
#include <new>
#include <vector>

#include "platform/d3d9/device/ComPtr.h"
#include "platform/d3d9/device/Device.h"
#include "platform/d3d9/device/IndexBuffer.h"
#include "platform/d3d9/device/PixelShader.h"
#include "platform/d3d9/device/StateBlock.h"
#include "platform/d3d9/device/VertexBuffer.h"
#include "platform/d3d9/device/VertexDeclaration.h"
#include "platform/d3d9/device/VertexShader.h"

namespace ynx {

// What D3D9Renderer keeps behind a binding's rendererData: the device
// object(s) of one engine object and what they were made from. Deleting a
// copy releases its device objects; `id` is its key in the renderer's
// resource map.
struct DeviceCopy {
  explicit DeviceCopy(int32_t id) : id(id) {}
  virtual ~DeviceCopy() = default;
  DeviceCopy(const DeviceCopy&) = delete;
  DeviceCopy& operator=(const DeviceCopy&) = delete;

  int32_t id;
};

// A vertex buffer (floats as they are, or colours packed) or an index
// buffer (16- or 32-bit).
struct BufferCopy : DeviceCopy {
  using DeviceCopy::DeviceCopy;

  ComPtr<IDirect3DVertexBuffer9> vertices;
  ComPtr<IDirect3DIndexBuffer9> indices;
  UINT size = 0;
  bool packedColors = false;
  // The largest index, as the device reads it: draws that would fetch
  // beyond their streams are refused.
  uint32_t largestIndex = 0;
};

// A 2D or cube texture, plain, render target or depth, with the depth
// surface a render target draws with when it has its own.
struct TextureCopy : DeviceCopy {
  using DeviceCopy::DeviceCopy;

  ComPtr<IDirect3DBaseTexture9> texture;
  ComPtr<IDirect3DSurface9> depth;
  DWORD usage = 0;
  // The image it was made for: another size or format makes a new copy.
  uint32_t width = 0;
  uint32_t height = 0;
  int32_t format = -1;
  // Levels the texture asked for before the device's count replaced them.
  int32_t requestedLevels = 0;
};

struct ShaderCopy : DeviceCopy {
  using DeviceCopy::DeviceCopy;

  ComPtr<IDirect3DVertexShader9> vertexShader;
  ComPtr<IDirect3DPixelShader9> pixelShader;
};

struct QueryCopy : DeviceCopy {
  using DeviceCopy::DeviceCopy;

  ComPtr<IDirect3DQuery9> query;
};

// A render-state block's recording: everything the pass set up at its
// first draw.
struct RecordingCopy : DeviceCopy {
  using DeviceCopy::DeviceCopy;

  ComPtr<IDirect3DStateBlock9> block;
};

// A pass's vertex layout, and which stream each of the pass's stream
// operations fed when it was recorded, so that later draws bind their own
// buffers where the layout expects them.
struct LayoutCopy : DeviceCopy {
  struct Slot {
    int32_t stream;  // -1: the operation added no element
    D3DVERTEXELEMENT9 element;
  };

  using DeviceCopy::DeviceCopy;

  ComPtr<IDirect3DVertexDeclaration9> declaration;
  std::vector<Slot> slots;
  // Bit n: the layout reads stream n.
  uint32_t streams = 0;
};

// A new copy of object `id` holding the device object just made in `slot`;
// null, with the device object released, when memory runs out.
template <typename Copy, typename Made>
Copy* NewCopy(int32_t id, Made* made, ComPtr<Made> Copy::*slot) {
  Copy* copy = new (std::nothrow) Copy(id);
  if (copy == nullptr) {
    made->Release();
    return nullptr;
  }
  copy->*slot = ComPtr<Made>::Adopt(made);
  return copy;
}

}  // namespace ynx
