#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/device/IUnknown.h"

namespace ynx {

// A reference-counted block of bytes, as D3DX returns shader code and
// error text.
class ID3DXBuffer final : public IUnknown {
 public:
  explicit ID3DXBuffer(std::vector<uint8_t> bytes) : bytes(std::move(bytes)) {}

  void* GetBufferPointer() { return bytes.data(); }
  DWORD GetBufferSize() const { return static_cast<DWORD>(bytes.size()); }

 private:
  std::vector<uint8_t> bytes;
};

}  // namespace ynx
