#include "platform/d3d9/StateBlock.h"

#include "platform/d3d9/Device.h"

namespace ynx {

IDirect3DStateBlock9::IDirect3DStateBlock9(IDirect3DDevice9* device) : DeviceChild(device) {
  state.SetDefaults(false, 0, 0);
}

HRESULT IDirect3DStateBlock9::Capture() {
  IDirect3DDevice9* device = OwningDevice();
  if (!device) return D3DERR_INVALIDCALL;
  const DeviceState& current = device->State();
  for (uint32_t i = 0; i < DeviceState::RENDER_STATES; ++i) {
    if (mask.renderStates[i]) state.renderStates[i] = current.renderStates[i];
  }
  for (uint32_t stage = 0; stage < DeviceState::STAGES; ++stage) {
    for (uint32_t i = 0; i < DeviceState::STAGE_STATES; ++i) {
      if (mask.stageStates[stage][i]) state.stageStates[stage][i] = current.stageStates[stage][i];
    }
  }
  for (uint32_t sampler = 0; sampler < DeviceState::SAMPLERS; ++sampler) {
    for (uint32_t i = 0; i < DeviceState::SAMPLER_STATES; ++i) {
      if (mask.samplerStates[sampler][i]) state.samplerStates[sampler][i] = current.samplerStates[sampler][i];
    }
  }
  if (mask.transforms >> StateMask::WORLD & 1) state.world = current.world;
  if (mask.transforms >> StateMask::VIEW & 1) state.view = current.view;
  if (mask.transforms >> StateMask::PROJECTION & 1) state.projection = current.projection;
  for (uint32_t stage = 0; stage < DeviceState::STAGES; ++stage) {
    if (mask.transforms >> (StateMask::TEXTURE0 + stage) & 1) state.texture[stage] = current.texture[stage];
  }
  for (uint32_t light = 0; light < DeviceState::LIGHTS; ++light) {
    if (mask.lights >> light & 1) state.lights[light] = current.lights[light];
  }
  state.lightEnables = (state.lightEnables & ~mask.lightEnables) | (current.lightEnables & mask.lightEnables);
  if (mask.material) state.material = current.material;
  if (mask.viewport) state.viewport = current.viewport;
  if (mask.vertexShader) state.vertexShader = current.vertexShader;
  if (mask.pixelShader) state.pixelShader = current.pixelShader;
  if (mask.declaration) state.declaration = current.declaration;
  if (mask.indices) state.indices = current.indices;
  for (uint32_t i = 0; i < DeviceState::VERTEX_CONSTANTS; ++i) {
    if (mask.vertexConstants[i]) {
      for (int c = 0; c < 4; ++c) state.vertexConstants[i][c] = current.vertexConstants[i][c];
    }
  }
  for (uint32_t i = 0; i < DeviceState::PIXEL_CONSTANTS; ++i) {
    if (mask.pixelConstants[i]) {
      for (int c = 0; c < 4; ++c) state.pixelConstants[i][c] = current.pixelConstants[i][c];
    }
  }
  for (uint32_t stream = 0; stream < DeviceState::STREAMS; ++stream) {
    if (mask.streams >> stream & 1) state.streams[stream] = current.streams[stream];
  }
  for (uint32_t sampler = 0; sampler < DeviceState::SAMPLERS; ++sampler) {
    if (mask.textures >> sampler & 1) state.textures[sampler] = current.textures[sampler];
  }
  return D3D_OK;
}

HRESULT IDirect3DStateBlock9::Apply() {
  IDirect3DDevice9* device = OwningDevice();
  if (!device) return D3DERR_INVALIDCALL;
  for (uint32_t i = 0; i < DeviceState::RENDER_STATES; ++i) {
    if (mask.renderStates[i]) device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(i), state.renderStates[i]);
  }
  for (uint32_t stage = 0; stage < DeviceState::STAGES; ++stage) {
    for (uint32_t i = 0; i < DeviceState::STAGE_STATES; ++i) {
      if (mask.stageStates[stage][i]) {
        device->SetTextureStageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(i), state.stageStates[stage][i]);
      }
    }
  }
  for (uint32_t sampler = 0; sampler < DeviceState::SAMPLERS; ++sampler) {
    for (uint32_t i = 0; i < DeviceState::SAMPLER_STATES; ++i) {
      if (mask.samplerStates[sampler][i]) {
        device->SetSamplerState(sampler, static_cast<D3DSAMPLERSTATETYPE>(i), state.samplerStates[sampler][i]);
      }
    }
  }
  if (mask.transforms >> StateMask::WORLD & 1) device->SetTransform(D3DTS_WORLD, &state.world);
  if (mask.transforms >> StateMask::VIEW & 1) device->SetTransform(D3DTS_VIEW, &state.view);
  if (mask.transforms >> StateMask::PROJECTION & 1) device->SetTransform(D3DTS_PROJECTION, &state.projection);
  for (uint32_t stage = 0; stage < DeviceState::STAGES; ++stage) {
    if (mask.transforms >> (StateMask::TEXTURE0 + stage) & 1) {
      device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage), &state.texture[stage]);
    }
  }
  for (uint32_t light = 0; light < DeviceState::LIGHTS; ++light) {
    if (mask.lights >> light & 1) device->SetLight(light, &state.lights[light]);
    if (mask.lightEnables >> light & 1) device->LightEnable(light, state.lightEnables >> light & 1);
  }
  if (mask.material) device->SetMaterial(&state.material);
  if (mask.viewport) device->SetViewport(&state.viewport);
  if (mask.vertexShader) device->SetVertexShader(state.vertexShader.Get());
  if (mask.pixelShader) device->SetPixelShader(state.pixelShader.Get());
  if (mask.declaration) device->SetVertexDeclaration(state.declaration.Get());
  if (mask.indices) device->SetIndices(state.indices.Get());
  for (uint32_t i = 0; i < DeviceState::VERTEX_CONSTANTS; ++i) {
    if (mask.vertexConstants[i]) device->SetVertexShaderConstantF(i, state.vertexConstants[i], 1);
  }
  for (uint32_t i = 0; i < DeviceState::PIXEL_CONSTANTS; ++i) {
    if (mask.pixelConstants[i]) device->SetPixelShaderConstantF(i, state.pixelConstants[i], 1);
  }
  for (uint32_t stream = 0; stream < DeviceState::STREAMS; ++stream) {
    if (mask.streams >> stream & 1) {
      const DeviceState::Stream& source = state.streams[stream];
      device->SetStreamSource(stream, source.buffer.Get(), source.offset, source.stride);
    }
  }
  for (uint32_t sampler = 0; sampler < DeviceState::SAMPLERS; ++sampler) {
    if (mask.textures >> sampler & 1) device->SetTexture(sampler, state.textures[sampler].Get());
  }
  return D3D_OK;
}

}  // namespace ynx
