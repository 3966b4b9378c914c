#include "platform/d3d9/device/StateBlock.h"

#include <bit>
#include <cstring>

#include "platform/d3d9/device/Device.h"

namespace ynx {

namespace {

template <size_t N, class Run>
void ListRuns(const std::bitset<N>& bits, std::vector<Run>& runs) {
  runs.clear();
  for (uint32_t i = 0; i < N;) {
    if (!bits[i]) {
      ++i;
      continue;
    }
    uint32_t end = i + 1;
    while (end < N && bits[end]) ++end;
    runs.push_back({static_cast<uint16_t>(i), static_cast<uint16_t>(end - i)});
    i = end;
  }
}

// Calls `visit(n)` for each set bit n of `bits`, lowest first.
template <class Visit>
void ForEachBit(uint32_t bits, Visit visit) {
  while (bits) {
    visit(static_cast<uint32_t>(std::countr_zero(bits)));
    bits &= bits - 1;
  }
}

}  // namespace

IDirect3DStateBlock9::IDirect3DStateBlock9(IDirect3DDevice9* device) : DeviceChild(device) {
  state.SetDefaults(false, 0, 0);
}

void IDirect3DStateBlock9::List() {
  if (listed) return;
  renderStates.clear();
  for (uint32_t i = 0; i < DeviceState::RENDER_STATES; ++i) {
    if (mask.renderStates[i]) renderStates.push_back(static_cast<uint8_t>(i));
  }
  stageStates.clear();
  for (uint32_t stage = 0; stage < DeviceState::STAGES; ++stage) {
    for (uint32_t i = 0; i < DeviceState::STAGE_STATES; ++i) {
      if (mask.stageStates[stage][i]) stageStates.push_back({static_cast<uint8_t>(stage), static_cast<uint8_t>(i)});
    }
  }
  samplerStates.clear();
  for (uint32_t sampler = 0; sampler < DeviceState::SAMPLERS; ++sampler) {
    for (uint32_t i = 0; i < DeviceState::SAMPLER_STATES; ++i) {
      if (mask.samplerStates[sampler][i]) {
        samplerStates.push_back({static_cast<uint8_t>(sampler), static_cast<uint8_t>(i)});
      }
    }
  }
  ListRuns(mask.vertexConstants, vertexConstants);
  ListRuns(mask.pixelConstants, pixelConstants);
  listed = true;
}

HRESULT IDirect3DStateBlock9::Capture() {
  IDirect3DDevice9* device = OwningDevice();
  if (!device) return D3DERR_INVALIDCALL;
  List();
  const DeviceState& current = device->State();
  for (uint8_t i : renderStates) state.renderStates[i] = current.renderStates[i];
  for (const Element& e : stageStates) state.stageStates[e.unit][e.type] = current.stageStates[e.unit][e.type];
  for (const Element& e : samplerStates) state.samplerStates[e.unit][e.type] = current.samplerStates[e.unit][e.type];
  if (mask.transforms >> StateMask::WORLD & 1) state.world = current.world;
  if (mask.transforms >> StateMask::VIEW & 1) state.view = current.view;
  if (mask.transforms >> StateMask::PROJECTION & 1) state.projection = current.projection;
  ForEachBit(mask.transforms >> StateMask::TEXTURE0,
             [&](uint32_t stage) { state.texture[stage] = current.texture[stage]; });
  ForEachBit(mask.lights, [&](uint32_t light) { state.lights[light] = current.lights[light]; });
  state.lightEnables = (state.lightEnables & ~mask.lightEnables) | (current.lightEnables & mask.lightEnables);
  if (mask.material) state.material = current.material;
  if (mask.viewport) state.viewport = current.viewport;
  if (mask.vertexShader) state.vertexShader = current.vertexShader;
  if (mask.pixelShader) state.pixelShader = current.pixelShader;
  if (mask.declaration) state.declaration = current.declaration;
  if (mask.indices) state.indices = current.indices;
  for (const Run& run : vertexConstants) {
    std::memcpy(state.vertexConstants[run.start], current.vertexConstants[run.start], size_t{run.count} * 16);
  }
  for (const Run& run : pixelConstants) {
    std::memcpy(state.pixelConstants[run.start], current.pixelConstants[run.start], size_t{run.count} * 16);
  }
  ForEachBit(mask.streams, [&](uint32_t stream) { state.streams[stream] = current.streams[stream]; });
  ForEachBit(mask.textures, [&](uint32_t sampler) { state.textures[sampler] = current.textures[sampler]; });
  return D3D_OK;
}

HRESULT IDirect3DStateBlock9::Apply() {
  IDirect3DDevice9* device = OwningDevice();
  if (!device) return D3DERR_INVALIDCALL;
  List();
  // A replayed block mostly finds its values in place, and the setters
  // leave equal values alone: outside a recording (where every value must
  // reach the recorded block) those are skipped before the call.
  const DeviceState& current = device->State();
  const bool all = device->IsRecording();
  for (uint8_t i : renderStates) {
    if (all || current.renderStates[i] != state.renderStates[i]) {
      device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(i), state.renderStates[i]);
    }
  }
  for (const Element& e : stageStates) {
    if (all || current.stageStates[e.unit][e.type] != state.stageStates[e.unit][e.type]) {
      device->SetTextureStageState(e.unit, static_cast<D3DTEXTURESTAGESTATETYPE>(e.type),
                                   state.stageStates[e.unit][e.type]);
    }
  }
  for (const Element& e : samplerStates) {
    if (all || current.samplerStates[e.unit][e.type] != state.samplerStates[e.unit][e.type]) {
      device->SetSamplerState(e.unit, static_cast<D3DSAMPLERSTATETYPE>(e.type), state.samplerStates[e.unit][e.type]);
    }
  }
  if (mask.transforms >> StateMask::WORLD & 1) device->SetTransform(D3DTS_WORLD, &state.world);
  if (mask.transforms >> StateMask::VIEW & 1) device->SetTransform(D3DTS_VIEW, &state.view);
  if (mask.transforms >> StateMask::PROJECTION & 1) device->SetTransform(D3DTS_PROJECTION, &state.projection);
  ForEachBit(mask.transforms >> StateMask::TEXTURE0, [&](uint32_t stage) {
    device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage), &state.texture[stage]);
  });
  ForEachBit(mask.lights | mask.lightEnables, [&](uint32_t light) {
    if (mask.lights >> light & 1) device->SetLight(light, &state.lights[light]);
    if (mask.lightEnables >> light & 1) device->LightEnable(light, state.lightEnables >> light & 1);
  });
  if (mask.material && (all || std::memcmp(&current.material, &state.material, sizeof state.material) != 0)) {
    device->SetMaterial(&state.material);
  }
  if (mask.viewport) device->SetViewport(&state.viewport);
  if (mask.vertexShader && (all || current.vertexShader != state.vertexShader)) {
    device->SetVertexShader(state.vertexShader.Get());
  }
  if (mask.pixelShader && (all || current.pixelShader != state.pixelShader)) {
    device->SetPixelShader(state.pixelShader.Get());
  }
  if (mask.declaration) device->SetVertexDeclaration(state.declaration.Get());
  if (mask.indices) device->SetIndices(state.indices.Get());
  for (const Run& run : vertexConstants) {
    device->SetVertexShaderConstantF(run.start, state.vertexConstants[run.start], run.count);
  }
  for (const Run& run : pixelConstants) {
    device->SetPixelShaderConstantF(run.start, state.pixelConstants[run.start], run.count);
  }
  ForEachBit(mask.streams, [&](uint32_t stream) {
    const DeviceState::Stream& source = state.streams[stream];
    device->SetStreamSource(stream, source.buffer.Get(), source.offset, source.stride);
  });
  ForEachBit(mask.textures, [&](uint32_t sampler) {
    if (all || current.textures[sampler] != state.textures[sampler]) {
      device->SetTexture(sampler, state.textures[sampler].Get());
    }
  });
  return D3D_OK;
}

}  // namespace ynx
