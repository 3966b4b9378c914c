#include "platform/d3d9/device/D3DX9.h"

#include <string>
#include <algorithm>

#include "platform/d3d9/device/BaseTexture.h"
#include "platform/d3d9/shader/ShaderAssembler.h"

namespace ynx {

HRESULT D3DXAssembleShader(const char* text, UINT length, const D3DXMACRO* defines, void* include, DWORD,
                           ID3DXBuffer** shader, ID3DXBuffer** errors) {
  if (shader) *shader = nullptr;
  if (errors) *errors = nullptr;
  if (!text || !shader) return D3DERR_INVALIDCALL;
  if (defines || include) return E_NOTIMPL;
  std::vector<uint32_t> tokens;
  std::string messages;
  const int32_t result = AssembleShader(text, length, tokens, messages);
  if (result != ShaderAssembler::RESULT_OK) {
    if (errors) {
      std::vector<uint8_t> bytes(messages.begin(), messages.end());
      bytes.push_back(0);
      *errors = new ID3DXBuffer(std::move(bytes));
    }
    return D3DXERR_INVALIDDATA;
  }
  const auto* first = reinterpret_cast<const uint8_t*>(tokens.data());
  *shader = new ID3DXBuffer(std::vector<uint8_t>(first, first + tokens.size() * sizeof(uint32_t)));
  return D3D_OK;
}

HRESULT D3DXFilterTexture(IDirect3DBaseTexture9* texture, const void*, UINT sourceLevel, DWORD filter) {
  if (!texture || !texture->HasSystemCopy()) return D3DERR_INVALIDCALL;
  if (sourceLevel == D3DX_DEFAULT) sourceLevel = 0;
  const DWORD kind = filter == D3DX_DEFAULT ? D3DX_FILTER_BOX : filter & 0xFF;
  if (kind == D3DX_FILTER_NONE) return D3D_OK;
  if (kind != D3DX_FILTER_BOX || sourceLevel >= texture->GetLevelCount()) return D3DERR_INVALIDCALL;
  const UINT channels = texture->Info().bytesPerPixel;
  const D3DFORMAT format = texture->Format();
  if (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8 && format != D3DFMT_A8) return D3DERR_INVALIDCALL;
  for (UINT face = 0; face < texture->Faces(); ++face) {
    for (UINT level = sourceLevel + 1; level < texture->GetLevelCount(); ++level) {
      const uint8_t* source = texture->LevelBits(face, level - 1);
      uint8_t* destination = texture->LevelBits(face, level);
      const UINT sourceWidth = texture->LevelWidth(level - 1);
      const UINT sourceHeight = texture->LevelHeight(level - 1);
      const UINT sourcePitch = texture->Pitch(level - 1);
      for (UINT y = 0; y < texture->LevelHeight(level); ++y) {
        // A side of 1 pixel is averaged with itself.
        const UINT y0 = std::min(2 * y, sourceHeight - 1);
        const UINT y1 = std::min(2 * y + 1, sourceHeight - 1);
        for (UINT x = 0; x < texture->LevelWidth(level); ++x) {
          const UINT x0 = std::min(2 * x, sourceWidth - 1);
          const UINT x1 = std::min(2 * x + 1, sourceWidth - 1);
          for (UINT c = 0; c < channels; ++c) {
            const UINT sum = source[y0 * sourcePitch + x0 * channels + c] + source[y0 * sourcePitch + x1 * channels + c] +
                             source[y1 * sourcePitch + x0 * channels + c] + source[y1 * sourcePitch + x1 * channels + c];
            destination[y * texture->Pitch(level) + x * channels + c] = static_cast<uint8_t>((sum + 2) / 4);
          }
        }
      }
      texture->MarkDirty(face, level);
    }
  }
  return D3D_OK;
}

}  // namespace ynx
