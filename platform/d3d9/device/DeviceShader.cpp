#include "platform/d3d9/device/DeviceShader.h"

#include <epoxy/gl.h>

#include <cstring>

#include "platform/d3d9/device/Device.h"
#include "platform/d3d9/shader/ShaderDecoder.h"
#include "platform/d3d9/shader/ShaderEncoder.h"
#include "platform/d3d9/shader/ShaderTranslator.h"

namespace ynx {

bool DeviceShader::Load(const DWORD* function, bool pixel, DecodedShader& shader, ShaderInterface& interface,
                        std::string& error) {
  if (!function) {
    error = "no shader code";
    return false;
  }
  // Like the native runtime the device is given a pointer only: the stream
  // is read up to its end token.
  if (!ShaderDecoder::Decode(function, ShaderDecoder::MAX_TOKENS, shader, error)) return false;
  if (shader.IsPixelShader() != pixel) {
    error = pixel ? "a vertex shader where a pixel shader was expected"
                  : "a pixel shader where a vertex shader was expected";
    return false;
  }
  return ShaderTranslator::Analyze(shader, interface, error);
}

DeviceShader::DeviceShader(IDirect3DDevice9* device, DecodedShader shader, ShaderInterface interface)
    : DeviceChild(device),
      shader(std::move(shader)),
      interface(std::move(interface)),
      tokens(ShaderEncoder::Encode(this->shader)) {}

HRESULT DeviceShader::GetFunction(void* data, UINT* size) const {
  if (!size) return D3DERR_INVALIDCALL;
  const auto bytes = static_cast<UINT>(tokens.size() * sizeof(uint32_t));
  if (data) {
    if (*size < bytes) return D3DERR_INVALIDCALL;
    std::memcpy(data, tokens.data(), bytes);
  }
  *size = bytes;
  return D3D_OK;
}

uint32_t DeviceShader::Prepare(const ShaderKey& fullKey, std::string& error) {
  const ShaderKey key = fullKey.Masked(interface.keyMask);
  const auto found = objects.find(key);
  if (found != objects.end()) return found->second;

  GLuint object = 0;
  std::string source;
  ShaderInterface translated;
  if (!ShaderTranslator::Translate(shader, key, source, translated, error)) {
    error = "cannot translate the shader: " + error;
  } else {
    object = OwningDevice()->AcquireShader(interface.pixel, source, error);
    if (!object) error = "the translated shader does not compile: " + error;
  }
  objects.emplace(key, object);
  return object;
}

void DeviceShader::ReleaseGl() {
  for (const auto& [key, object] : objects) {
    if (object != 0) OwningDevice()->ReleaseShader(object);
  }
  objects.clear();
}

}  // namespace ynx
