#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/d3d9/device/DeviceChild.h"
#include "platform/d3d9/shader/DecodedShader.h"
#include "platform/d3d9/shader/ShaderInterface.h"
#include "platform/d3d9/shader/ShaderKey.h"

namespace ynx {

// What vertex and pixel shaders share: the token stream (the device copy,
// which a native runtime would take as it is), its decoded form and
// interface, and one compiled GL shader object per key the shader's
// interface distinguishes.
class DeviceShader : public DeviceChild {
 public:
  // Decodes and analyses a token stream that ends with the end token;
  // false with `error` set when it is not a shader of the expected kind the
  // device can run.
  static bool Load(const DWORD* function, bool pixel, DecodedShader& shader, ShaderInterface& interface,
                   std::string& error);

  // Copies the tokens; `size` in: room in bytes, out: bytes (null `data`
  // asks for the size).
  HRESULT GetFunction(void* data, UINT* size) const;

  const ShaderInterface& Interface() const { return interface; }
  bool IsPixel() const { return interface.pixel; }

  // The GL shader object for `key` (masked here), translating and compiling
  // it on first use; 0 when it cannot be built, with the reason in `error`
  // the first time only (later calls give 0 and an empty error). The
  // device's context must be current.
  uint32_t Prepare(const ShaderKey& key, std::string& error);

 protected:
  DeviceShader(IDirect3DDevice9* device, DecodedShader shader, ShaderInterface interface);
  void ReleaseGl() override;

 private:
  struct KeyHash {
    size_t operator()(const ShaderKey& key) const { return key.Hash(); }
  };

  DecodedShader shader;
  ShaderInterface interface;
  std::vector<uint32_t> tokens;
  std::unordered_map<ShaderKey, uint32_t, KeyHash> objects;  // 0: failed to build
};

}  // namespace ynx
