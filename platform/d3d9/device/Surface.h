#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/device/FormatInfo.h"
#include "platform/d3d9/device/Resource.h"

namespace ynx {

class IDirect3DBaseTexture9;

// A 2D image: either one level of one face of a texture (it then shares the
// texture's reference count, as the API says), or a surface of its own: a
// render target, depth-stencil surface or back buffer lives in a GL
// texture; an offscreen plain surface in system memory.
class IDirect3DSurface9 final : public IDirect3DResource9 {
 public:
  IDirect3DSurface9(IDirect3DBaseTexture9* container, UINT face, UINT level);
  // Usage RENDERTARGET or DEPTHSTENCIL makes a GL surface, anything else a
  // system-memory one.
  IDirect3DSurface9(IDirect3DDevice9* device, UINT width, UINT height, const FormatInfo& info, DWORD usage,
                    D3DPOOL pool);

  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT GetDesc(D3DSURFACE_DESC* desc) const;
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
  HRESULT UnlockRect();

  const FormatInfo& Info() const { return *info; }
  UINT Width() const { return width; }
  UINT Height() const { return height; }
  DWORD Usage() const { return usage; }
  IDirect3DBaseTexture9* Container() const { return container; }
  bool InGl() const { return (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) != 0; }

  // Where the surface is in GL: a texture, its level and, for a cube
  // face, its layer (-1 otherwise).
  struct Attachment {
    uint32_t texture = 0;
    int32_t level = 0;
    int32_t layer = -1;
  };
  // Creates the GL texture as needed; the device's context must be current.
  // texture 0 for system-memory surfaces.
  Attachment Prepare();
  // System-memory bits (own or the container's), rows top first, Pitch()
  // bytes a row; null for GL surfaces. Writing must be followed by
  // MarkDirty().
  uint8_t* Bits();
  UINT Pitch() const { return width * info->bytesPerPixel; }
  void MarkDirty();

 protected:
  void ReleaseGl() override;

 private:
  friend class IDirect3DBaseTexture9;
  ~IDirect3DSurface9() override = default;

  IDirect3DBaseTexture9* container = nullptr;
  UINT face = 0;
  UINT level = 0;
  UINT width;
  UINT height;
  const FormatInfo* info;
  DWORD usage;
  std::vector<uint8_t> bytes;  // own system memory
  bool locked = false;
  uint32_t texture = 0;  // own GL texture
};

}  // namespace ynx
