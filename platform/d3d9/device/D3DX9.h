#pragma once

#include "platform/d3d9/device/D3D9Types.h"
#include "platform/d3d9/device/D3DXBuffer.h"

namespace ynx {

class IDirect3DBaseTexture9;

struct D3DXMACRO {
  const char* Name;
  const char* Definition;
};

// Assembles shader text to a token stream in `shader` (hand its pointer to
// CreateVertexShader / CreatePixelShader); on failure the error lines are
// in `errors` (a NUL-terminated text) and the result is
// D3DXERR_INVALIDDATA. Macros and include handlers are not taken
// (E_NOTIMPL): the renderer passes none.
HRESULT D3DXAssembleShader(const char* text, UINT length, const D3DXMACRO* defines, void* include, DWORD flags,
                           ID3DXBuffer** shader, ID3DXBuffer** errors);

// Fills the levels below `sourceLevel` (D3DX_DEFAULT: 0) of every face
// from it with a 2 x 2 box filter. Takes textures with a system copy in
// 8-bit-per-channel formats (A8R8G8B8, X8R8G8B8, A8); the filter may be
// D3DX_DEFAULT, D3DX_FILTER_BOX or D3DX_FILTER_NONE (which does nothing).
HRESULT D3DXFilterTexture(IDirect3DBaseTexture9* texture, const void* palette, UINT sourceLevel, DWORD filter);

}  // namespace ynx
