// The device's Set and Get calls of its state, and state blocks: while a
// block records, the setters write into it only.
#include "platform/d3d9/device/Device.h"

#include <array>
#include <cstring>

#include "platform/d3d9/device/DeviceImpl.h"
#include "platform/d3d9/device/StateBlock.h"

namespace ynx {

// State blocks.

DeviceState* IDirect3DDevice9::Recording(StateMask*& mask) {
  if (!recording) return nullptr;
  mask = &recording->Mask();
  return &recording->State();
}

HRESULT IDirect3DDevice9::CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  if (recording || type < D3DSBT_ALL || type > D3DSBT_VERTEXSTATE) return D3DERR_INVALIDCALL;
  auto* block = new IDirect3DStateBlock9(this);
  if (type == D3DSBT_ALL) block->Mask().SetAll();
  if (type == D3DSBT_PIXELSTATE) block->Mask().SetPixelStates();
  if (type == D3DSBT_VERTEXSTATE) block->Mask().SetVertexStates();
  block->Capture();
  *out = block;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::BeginStateBlock() {
  if (recording) return D3DERR_INVALIDCALL;
  recording = ComPtr<IDirect3DStateBlock9>::Adopt(new IDirect3DStateBlock9(this));
  return D3D_OK;
}

HRESULT IDirect3DDevice9::EndStateBlock(IDirect3DStateBlock9** out) {
  if (!out || !recording) return D3DERR_INVALIDCALL;
  Impl::Hand(recording.Get(), out);
  recording.Reset();
  return D3D_OK;
}

// States.

HRESULT IDirect3DDevice9::SetRenderState(D3DRENDERSTATETYPE type, DWORD value) {
  if (type >= DeviceState::RENDER_STATES) return D3DERR_INVALIDCALL;
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->renderStates[type] = value;
    mask->renderStates.set(type);
  } else if (state.renderStates[type] != value) {
    state.renderStates[type] = value;
    impl->fixedDirty |= Impl::FixedDirtOf(type);
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderState(D3DRENDERSTATETYPE type, DWORD* value) {
  if (type >= DeviceState::RENDER_STATES || !value) return D3DERR_INVALIDCALL;
  *value = state.renderStates[type];
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (stage >= DeviceState::STAGES || type >= DeviceState::STAGE_STATES) return D3DERR_INVALIDCALL;
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->stageStates[stage][type] = value;
    mask->stageStates[stage].set(type);
  } else if (state.stageStates[stage][type] != value) {
    state.stageStates[stage][type] = value;
    // The key reads every stage state but the constant, which only the
    // pixel image holds.
    impl->fixedDirty |= type == D3DTSS_CONSTANT ? Impl::FIXED_PIXEL : Impl::FIXED_KEY;
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
  if (stage >= DeviceState::STAGES || type >= DeviceState::STAGE_STATES || !value) return D3DERR_INVALIDCALL;
  *value = state.stageStates[stage][type];
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (sampler >= DeviceState::SAMPLERS || type >= DeviceState::SAMPLER_STATES) return D3DERR_INVALIDCALL;
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->samplerStates[sampler][type] = value;
    mask->samplerStates[sampler].set(type);
  } else {
    state.samplerStates[sampler][type] = value;
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
  if (sampler >= DeviceState::SAMPLERS || type >= DeviceState::SAMPLER_STATES || !value) return D3DERR_INVALIDCALL;
  *value = state.samplerStates[sampler][type];
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) {
  const int bit = StateMask::TransformBit(type);
  if (!matrix || bit < 0) return D3DERR_INVALIDCALL;
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    *block->Transform(type) = *matrix;
    mask->transforms |= 1u << bit;
  } else if (D3DMATRIX* slot = state.Transform(type); std::memcmp(slot, matrix, sizeof *matrix) != 0) {
    *slot = *matrix;
    // Lights go to view space; table fog looks at the projection.
    impl->fixedDirty |= type == D3DTS_WORLD        ? Impl::FIXED_TRANSFORMS
                        : type == D3DTS_VIEW       ? Impl::FIXED_TRANSFORMS | Impl::FIXED_VALUES
                        : type == D3DTS_PROJECTION ? Impl::FIXED_TRANSFORMS | Impl::FIXED_KEY
                                                   : Impl::FIXED_TEXTURE_TRANSFORMS;
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix) {
  const D3DMATRIX* slot = state.Transform(type);
  if (!matrix || !slot) return D3DERR_INVALIDCALL;
  *matrix = *slot;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetViewport(const D3DVIEWPORT9* viewport) {
  if (!viewport || viewport->Width == 0 || viewport->Height == 0 || viewport->MinZ < 0.0f || viewport->MaxZ > 1.0f ||
      viewport->MinZ > viewport->MaxZ) {
    return D3DERR_INVALIDCALL;
  }
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->viewport = *viewport;
    mask->viewport = true;
    return D3D_OK;
  }
  // The viewport must lie inside the render target.
  if (uint64_t{viewport->X} + viewport->Width > renderTarget->Width() ||
      uint64_t{viewport->Y} + viewport->Height > renderTarget->Height()) {
    return D3DERR_INVALIDCALL;
  }
  state.viewport = *viewport;
  impl->fixedDirty |= Impl::FIXED_VALUES;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetViewport(D3DVIEWPORT9* viewport) {
  if (!viewport) return D3DERR_INVALIDCALL;
  *viewport = state.viewport;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetMaterial(const D3DMATERIAL9* material) {
  if (!material) return D3DERR_INVALIDCALL;
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->material = *material;
    mask->material = true;
  } else {
    state.material = *material;
    impl->fixedDirty |= Impl::FIXED_VALUES;
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetMaterial(D3DMATERIAL9* material) {
  if (!material) return D3DERR_INVALIDCALL;
  *material = state.material;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetLight(DWORD index, const D3DLIGHT9* light) {
  if (!light || index >= DeviceState::LIGHTS || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL) {
    return D3DERR_INVALIDCALL;
  }
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->lights[index] = *light;
    mask->lights |= 1u << index;
  } else {
    state.lights[index] = *light;
    // The key holds the light types.
    impl->fixedDirty |= Impl::FIXED_KEY | Impl::FIXED_VALUES;
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetLight(DWORD index, D3DLIGHT9* light) {
  if (!light || index >= DeviceState::LIGHTS) return D3DERR_INVALIDCALL;
  *light = state.lights[index];
  return D3D_OK;
}

HRESULT IDirect3DDevice9::LightEnable(DWORD index, BOOL enable) {
  if (index >= DeviceState::LIGHTS) return D3DERR_INVALIDCALL;
  StateMask* mask = nullptr;
  DeviceState* target = Recording(mask);
  if (target) mask->lightEnables |= 1u << index;
  if (!target) target = &state;
  const uint32_t enables = enable ? target->lightEnables | 1u << index : target->lightEnables & ~(1u << index);
  if (target == &state && enables != state.lightEnables) impl->fixedDirty |= Impl::FIXED_KEY | Impl::FIXED_VALUES;
  target->lightEnables = enables;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetLightEnable(DWORD index, BOOL* enable) {
  if (!enable || index >= DeviceState::LIGHTS) return D3DERR_INVALIDCALL;
  *enable = state.lightEnables >> index & 1;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
  if (stage >= DeviceState::SAMPLERS || (texture && texture->Pool() == D3DPOOL_SYSTEMMEM)) return D3DERR_INVALIDCALL;
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->textures[stage].Reset(texture);
    mask->textures |= 1u << stage;
  } else if (state.textures[stage].Get() != texture) {
    // The key holds the kind of texture on each stage.
    state.textures[stage].Reset(texture);
    impl->fixedDirty |= Impl::FIXED_KEY;
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetTexture(DWORD stage, IDirect3DBaseTexture9** out) {
  if (!out || stage >= DeviceState::SAMPLERS) return D3DERR_INVALIDCALL;
  return Impl::Hand(state.textures[stage].Get(), out);
}

HRESULT IDirect3DDevice9::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) {
  StateMask* mask = nullptr;
  if (DeviceState* block = Recording(mask)) {
    block->declaration.Reset(declaration);
    mask->declaration = true;
  } else if (state.declaration.Get() != declaration) {
    state.declaration.Reset(declaration);
    impl->fixedDirty |= Impl::FIXED_KEY;
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetVertexDeclaration(IDirect3DVertexDeclaration9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  return Impl::Hand(state.declaration.Get(), out);
}

HRESULT IDirect3DDevice9::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) {
  if (stream >= DeviceState::STREAMS || (buffer && offset >= buffer->Size())) return D3DERR_INVALIDCALL;
  StateMask* mask = nullptr;
  DeviceState* target = Recording(mask);
  if (target) mask->streams |= 1u << stream;
  if (!target) target = &state;
  target->streams[stream].buffer.Reset(buffer);
  target->streams[stream].offset = offset;
  target->streams[stream].stride = stride;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** out, UINT* offset, UINT* stride) {
  if (!out || !offset || !stride || stream >= DeviceState::STREAMS) return D3DERR_INVALIDCALL;
  *offset = state.streams[stream].offset;
  *stride = state.streams[stream].stride;
  return Impl::Hand(state.streams[stream].buffer.Get(), out);
}

template <class T>
void IDirect3DDevice9::Impl::Bind(ComPtr<T> DeviceState::*slot, bool StateMask::*recorded, T* object) {
  StateMask* mask = nullptr;
  if (DeviceState* block = device.Recording(mask)) {
    (block->*slot).Reset(object);
    mask->*recorded = true;
  } else {
    (device.state.*slot).Reset(object);
  }
}

HRESULT IDirect3DDevice9::SetIndices(IDirect3DIndexBuffer9* indices) {
  impl->Bind(&DeviceState::indices, &StateMask::indices, indices);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetIndices(IDirect3DIndexBuffer9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  return Impl::Hand(state.indices.Get(), out);
}

HRESULT IDirect3DDevice9::SetVertexShader(IDirect3DVertexShader9* shader) {
  impl->Bind(&DeviceState::vertexShader, &StateMask::vertexShader, shader);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetVertexShader(IDirect3DVertexShader9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  return Impl::Hand(state.vertexShader.Get(), out);
}

HRESULT IDirect3DDevice9::SetPixelShader(IDirect3DPixelShader9* shader) {
  impl->Bind(&DeviceState::pixelShader, &StateMask::pixelShader, shader);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetPixelShader(IDirect3DPixelShader9** out) {
  if (!out) return D3DERR_INVALIDCALL;
  return Impl::Hand(state.pixelShader.Get(), out);
}

template <size_t N>
HRESULT IDirect3DDevice9::Impl::SetConstants(float (DeviceState::*constants)[N][4],
                                             std::bitset<N> StateMask::*recorded, DirtyRange& dirty, UINT start,
                                             const float* data, UINT count) {
  if (!data || start > N || count > N - start) return D3DERR_INVALIDCALL;
  StateMask* mask = nullptr;
  DeviceState* target = device.Recording(mask);
  if (target) {
    for (UINT i = start; i < start + count; ++i) (mask->*recorded).set(i);
  } else {
    target = &device.state;
    dirty.Mark(start, start + count);
  }
  std::memcpy((target->*constants)[start], data, size_t{count} * 16);
  return D3D_OK;
}

template <size_t N>
HRESULT IDirect3DDevice9::Impl::GetConstants(float (DeviceState::*constants)[N][4], UINT start, float* data,
                                             UINT count) const {
  if (!data || start > N || count > N - start) return D3DERR_INVALIDCALL;
  std::memcpy(data, (device.state.*constants)[start], size_t{count} * 16);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetVertexShaderConstantF(UINT start, const float* data, UINT count) {
  return impl->SetConstants(&DeviceState::vertexConstants, &StateMask::vertexConstants, impl->vertexDirty, start, data,
                            count);
}

HRESULT IDirect3DDevice9::GetVertexShaderConstantF(UINT start, float* data, UINT count) {
  return impl->GetConstants(&DeviceState::vertexConstants, start, data, count);
}

HRESULT IDirect3DDevice9::SetPixelShaderConstantF(UINT start, const float* data, UINT count) {
  return impl->SetConstants(&DeviceState::pixelConstants, &StateMask::pixelConstants, impl->pixelDirty, start, data,
                            count);
}

HRESULT IDirect3DDevice9::GetPixelShaderConstantF(UINT start, float* data, UINT count) {
  return impl->GetConstants(&DeviceState::pixelConstants, start, data, count);
}

uint32_t IDirect3DDevice9::Impl::FixedDirtOf(D3DRENDERSTATETYPE type) {
  static constexpr std::array<uint8_t, DeviceState::RENDER_STATES> DIRT = [] {
    std::array<uint8_t, DeviceState::RENDER_STATES> dirt{};
    for (D3DRENDERSTATETYPE read : FixedFunctionKey::RENDER_STATES_READ) dirt[read] |= FIXED_KEY;
    for (D3DRENDERSTATETYPE read : FixedFunctionUniforms::VERTEX_RENDER_STATES) dirt[read] |= FIXED_VALUES;
    for (D3DRENDERSTATETYPE read : FixedFunctionUniforms::PIXEL_RENDER_STATES) dirt[read] |= FIXED_PIXEL;
    return dirt;
  }();
  return DIRT[type];
}

}  // namespace ynx
