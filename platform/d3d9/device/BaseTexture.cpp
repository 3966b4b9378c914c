#include "platform/d3d9/device/BaseTexture.h"

#include <epoxy/gl.h>

#include "platform/d3d9/device/Device.h"
#include "platform/d3d9/device/Surface.h"

namespace ynx {

IDirect3DBaseTexture9::IDirect3DBaseTexture9(IDirect3DDevice9* device, D3DRESOURCETYPE type, UINT width, UINT height,
                                             UINT levels, UINT faces, DWORD usage, const FormatInfo& info,
                                             D3DPOOL pool)
    : IDirect3DResource9(device, type, pool),
      width(width),
      height(height),
      levels(levels == 0 ? FullChain(width, height) : levels),
      faces(faces),
      usage(usage),
      info(&info),
      dirty(faces, 0),
      locked(faces, 0),
      surfaces(faces * this->levels, nullptr) {
  if (!IsRenderTarget() && !IsDepth()) {
    system.resize(faces * this->levels);
    for (UINT face = 0; face < faces; ++face) {
      for (UINT level = 0; level < this->levels; ++level) {
        system[face * this->levels + level].assign(size_t{Pitch(level)} * LevelHeight(level), 0);
      }
      dirty[face] = (1u << this->levels) - 1;
    }
  }
}

IDirect3DBaseTexture9::~IDirect3DBaseTexture9() {
  for (IDirect3DSurface9* surface : surfaces) delete surface;
}

UINT IDirect3DBaseTexture9::FullChain(UINT width, UINT height) {
  UINT count = 1;
  for (UINT size = width > height ? width : height; size > 1; size >>= 1) ++count;
  return count;
}

bool IDirect3DBaseTexture9::Lockable() const {
  return HasSystemCopy() && (Pool() != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC));
}

uint8_t* IDirect3DBaseTexture9::LevelBits(UINT face, UINT level) {
  if (!HasSystemCopy() || face >= faces || level >= levels) return nullptr;
  return system[face * levels + level].data();
}

void IDirect3DBaseTexture9::MarkDirty(UINT face, UINT level) {
  if (face < faces && level < levels) dirty[face] |= 1u << level;
}

HRESULT IDirect3DBaseTexture9::LockLevel(UINT face, UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                                         DWORD flags) {
  if (!lockedRect || face >= faces || level >= levels || !Lockable()) return D3DERR_INVALIDCALL;
  if (locked[face] >> level & 1) return D3DERR_INVALIDCALL;
  uint8_t* bits = LevelBits(face, level);
  if (rect) {
    if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
        static_cast<UINT>(rect->right) > LevelWidth(level) || static_cast<UINT>(rect->bottom) > LevelHeight(level)) {
      return D3DERR_INVALIDCALL;
    }
    bits += size_t{Pitch(level)} * static_cast<UINT>(rect->top) + size_t{info->bytesPerPixel} * static_cast<UINT>(rect->left);
  }
  lockedRect->Pitch = static_cast<INT>(Pitch(level));
  lockedRect->pBits = bits;
  locked[face] |= 1u << level;
  if (!(flags & D3DLOCK_READONLY)) MarkDirty(face, level);
  return D3D_OK;
}

HRESULT IDirect3DBaseTexture9::UnlockLevel(UINT face, UINT level) {
  if (face >= faces || level >= levels || !(locked[face] >> level & 1)) return D3DERR_INVALIDCALL;
  locked[face] &= ~(1u << level);
  return D3D_OK;
}

IDirect3DSurface9* IDirect3DBaseTexture9::LevelSurface(UINT face, UINT level) {
  if (face >= faces || level >= levels) return nullptr;
  IDirect3DSurface9*& surface = surfaces[face * levels + level];
  if (!surface) surface = new IDirect3DSurface9(this, face, level);
  return surface;
}

HRESULT IDirect3DBaseTexture9::GetLevelSurface(UINT face, UINT level, IDirect3DSurface9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = LevelSurface(face, level);
  if (!*out) return D3DERR_INVALIDCALL;
  (*out)->AddRef();
  return D3D_OK;
}

HRESULT IDirect3DBaseTexture9::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
  IDirect3DSurface9* surface = LevelSurface(0, level);
  return surface ? surface->GetDesc(desc) : D3DERR_INVALIDCALL;
}

uint32_t IDirect3DBaseTexture9::GlTarget() const { return IsCube() ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D; }

uint32_t IDirect3DBaseTexture9::Prepare() {
  if (texture == 0) {
    glCreateTextures(GlTarget(), 1, &texture);
    glTextureStorage2D(texture, static_cast<GLsizei>(levels), info->internalFormat, static_cast<GLsizei>(width),
                       static_cast<GLsizei>(height));
    if (!IsDepth()) {
      const GLint swizzle[4] = {static_cast<GLint>(info->swizzle[0]), static_cast<GLint>(info->swizzle[1]),
                                static_cast<GLint>(info->swizzle[2]), static_cast<GLint>(info->swizzle[3])};
      glTextureParameteriv(texture, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    }
    if (HasSystemCopy()) {
      for (UINT face = 0; face < faces; ++face) dirty[face] = (1u << levels) - 1;
    }
  }
  if (!HasSystemCopy()) return texture;
  for (UINT face = 0; face < faces; ++face) {
    for (UINT level = 0; dirty[face] != 0 && level < levels; ++level) {
      if (!(dirty[face] >> level & 1)) continue;
      const auto w = static_cast<GLsizei>(LevelWidth(level));
      const auto h = static_cast<GLsizei>(LevelHeight(level));
      const uint8_t* bits = system[face * levels + level].data();
      if (IsCube()) {
        glTextureSubImage3D(texture, static_cast<GLint>(level), 0, 0, static_cast<GLint>(face), w, h, 1,
                            info->uploadFormat, info->uploadType, bits);
      } else {
        glTextureSubImage2D(texture, static_cast<GLint>(level), 0, 0, w, h, info->uploadFormat, info->uploadType,
                            bits);
      }
    }
    dirty[face] = 0;
  }
  return texture;
}

void IDirect3DBaseTexture9::ReleaseGl() {
  if (texture) {
    glDeleteTextures(1, &texture);
    OwningDevice()->ForgetTexture(texture);
  }
  texture = 0;
}

}  // namespace ynx
