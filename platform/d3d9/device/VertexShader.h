#pragma once

#include "platform/d3d9/device/DeviceShader.h"

namespace ynx {

class IDirect3DVertexShader9 final : public DeviceShader {
 public:
  IDirect3DVertexShader9(IDirect3DDevice9* device, DecodedShader shader, ShaderInterface interface)
      : DeviceShader(device, std::move(shader), std::move(interface)) {}
};

}  // namespace ynx
