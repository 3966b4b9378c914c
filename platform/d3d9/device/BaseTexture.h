#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/device/FormatInfo.h"
#include "platform/d3d9/device/Resource.h"

namespace ynx {

class IDirect3DSurface9;

// What 2D and cube textures share. Textures that are not render targets or
// depth textures keep a system-memory copy of every level of every face:
// Lock hands out pointers into it and the GL texture is refreshed from it,
// level by level, when the texture is next bound. Render-target and depth
// textures live only in GL.
class IDirect3DBaseTexture9 : public IDirect3DResource9 {
 public:
  DWORD GetLevelCount() const { return levels; }

  D3DFORMAT Format() const { return info->format; }
  const FormatInfo& Info() const { return *info; }
  DWORD Usage() const { return usage; }
  UINT Faces() const { return faces; }
  UINT LevelWidth(UINT level) const { return width >> level ? width >> level : 1; }
  UINT LevelHeight(UINT level) const { return height >> level ? height >> level : 1; }
  bool IsCube() const { return faces == 6; }
  bool IsDepth() const { return info->IsDepth(); }
  bool IsRenderTarget() const { return (usage & D3DUSAGE_RENDERTARGET) != 0; }
  // Whether the texture has a system-memory copy (render targets and depth
  // textures do not).
  bool HasSystemCopy() const { return !system.empty(); }

  // The system copy of one level of one face, rows top first, tightly
  // packed; Pitch() bytes a row. Null without a system copy.
  uint8_t* LevelBits(UINT face, UINT level);
  UINT Pitch(UINT level) const { return LevelWidth(level) * info->bytesPerPixel; }
  // Writing through LevelBits must be followed by this.
  void MarkDirty(UINT face, UINT level);

  HRESULT LockLevel(UINT face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
  HRESULT UnlockLevel(UINT face, UINT level);

  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc);
  // The surface of one level of one face; it shares the texture's count.
  IDirect3DSurface9* LevelSurface(UINT face, UINT level);
  // The same with a reference added.
  HRESULT GetLevelSurface(UINT face, UINT level, IDirect3DSurface9** surface);

  // The GL texture, created and brought up to date as needed. The device's
  // context must be current. Also a GL target enum (2D or cube).
  uint32_t Prepare();
  uint32_t GlTarget() const;

  // The number of levels a full chain of this size has.
  static UINT FullChain(UINT width, UINT height);

 protected:
  IDirect3DBaseTexture9(IDirect3DDevice9* device, D3DRESOURCETYPE type, UINT width, UINT height, UINT levels,
                        UINT faces, DWORD usage, const FormatInfo& info, D3DPOOL pool);
  ~IDirect3DBaseTexture9() override;
  void ReleaseGl() override;

 private:
  bool Lockable() const;

  UINT width;
  UINT height;
  UINT levels;
  UINT faces;
  DWORD usage;
  const FormatInfo* info;
  std::vector<std::vector<uint8_t>> system;  // face * levels + level
  std::vector<uint32_t> dirty;               // per face: bit n = level n
  std::vector<uint32_t> locked;              // per face: bit n = level n
  std::vector<IDirect3DSurface9*> surfaces;  // made on first request
  uint32_t texture = 0;
};

}  // namespace ynx
