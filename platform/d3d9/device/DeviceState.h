#pragma once

#include <cstdint>

#include "platform/d3d9/device/BaseTexture.h"
#include "platform/d3d9/device/ComPtr.h"
#include "platform/d3d9/device/D3D9Types.h"
#include "platform/d3d9/device/IndexBuffer.h"
#include "platform/d3d9/device/PixelShader.h"
#include "platform/d3d9/device/VertexBuffer.h"
#include "platform/d3d9/device/VertexDeclaration.h"
#include "platform/d3d9/device/VertexShader.h"

namespace ynx {

// Everything the device's Set calls set, as plain values indexed by the
// API's enums; a state block is the same struct with "set" bits
// (StateMask). Objects are held by reference. Float-valued render states
// keep the float's bits.
struct DeviceState {
  static constexpr uint32_t RENDER_STATES = 256;
  static constexpr uint32_t STAGES = 8;
  static constexpr uint32_t STAGE_STATES = 33;  // D3DTSS_CONSTANT + 1
  static constexpr uint32_t SAMPLERS = 16;
  static constexpr uint32_t SAMPLER_STATES = 14;  // D3DSAMP_DMAPOFFSET + 1
  static constexpr uint32_t LIGHTS = 8;
  static constexpr uint32_t STREAMS = 16;
  static constexpr uint32_t VERTEX_CONSTANTS = 256;
  static constexpr uint32_t PIXEL_CONSTANTS = 32;

  struct Stream {
    ComPtr<IDirect3DVertexBuffer9> buffer;
    UINT offset = 0;
    UINT stride = 0;
  };

  uint32_t renderStates[RENDER_STATES];
  uint32_t stageStates[STAGES][STAGE_STATES];
  uint32_t samplerStates[SAMPLERS][SAMPLER_STATES];
  D3DMATRIX world;
  D3DMATRIX view;
  D3DMATRIX projection;
  D3DMATRIX texture[STAGES];
  D3DLIGHT9 lights[LIGHTS];
  uint32_t lightEnables;  // bit n: light n is on
  D3DMATERIAL9 material;
  D3DVIEWPORT9 viewport;
  float vertexConstants[VERTEX_CONSTANTS][4];
  float pixelConstants[PIXEL_CONSTANTS][4];
  ComPtr<IDirect3DVertexShader9> vertexShader;
  ComPtr<IDirect3DPixelShader9> pixelShader;
  ComPtr<IDirect3DVertexDeclaration9> declaration;
  Stream streams[STREAMS];
  ComPtr<IDirect3DIndexBuffer9> indices;
  ComPtr<IDirect3DBaseTexture9> textures[SAMPLERS];

  // The API's initial values; ZENABLE is on when the device has a depth
  // buffer, and the viewport covers `width` x `height`. Objects are
  // unbound.
  void SetDefaults(bool depthBuffer, UINT width, UINT height);

  // The matrix slot of a transform type, or null for types the device
  // does not keep.
  D3DMATRIX* Transform(D3DTRANSFORMSTATETYPE type);
};

}  // namespace ynx
