#pragma once

#include <algorithm>
#include <bitset>
#include <cstddef>
#include <cstdint>

#include "platform/d3d9/device/BufferArena.h"
#include "platform/d3d9/device/Device.h"
#include "platform/d3d9/device/DeviceShader.h"
#include "platform/d3d9/device/Direct3D9.h"
#include "platform/d3d9/device/FixedFunctionKey.h"
#include "platform/d3d9/device/FixedFunctionState.h"
#include "platform/d3d9/device/FixedFunctionUniforms.h"
#include "platform/d3d9/device/FixedPipelineCache.h"
#include "platform/d3d9/device/FramebufferCache.h"
#include "platform/d3d9/device/GlContext.h"
#include "platform/d3d9/device/PipelineState.h"
#include "platform/d3d9/device/ProgramCache.h"
#include "platform/d3d9/device/SamplerObjects.h"
#include "platform/d3d9/device/ShaderObjectCache.h"
#include "platform/d3d9/device/StateMask.h"
#include "platform/d3d9/device/UniformBlocks.h"
#include "platform/d3d9/shader/ShaderKey.h"

namespace ynx {

// The device's private part, seen only by its own sources: the OpenGL
// context, the caches of programs, framebuffers, samplers and uniform
// buffers, what the next draw must rebuild or upload, and the helpers the
// device's calls share. As a nested class it reads the API state of
// `device` directly.
struct IDirect3DDevice9::Impl {
  explicit Impl(IDirect3DDevice9& device) : device(device) {}

  // What fixed-function draws must rebuild since the last one: the key and
  // parts of the uniform images (FixedFunctionUniforms' Fill* parts). The
  // setters mark what a changed value affects.
  enum FixedDirty : uint32_t {
    FIXED_KEY = 1,
    FIXED_TRANSFORMS = 2,
    FIXED_TEXTURE_TRANSFORMS = 4,
    FIXED_VALUES = 8,
    FIXED_PIXEL = 16,
    FIXED_ALL = 31,
  };

  // Hands `object` out with a reference of its own, as the API's Get calls do.
  template <class T>
  static HRESULT Hand(T* object, T** out) {
    *out = object;
    if (object) object->AddRef();
    return D3D_OK;
  }
  static bool ValidSize(UINT width, UINT height) {
    const D3DCAPS9 caps = IDirect3D9::Caps();
    return width > 0 && height > 0 && width <= caps.MaxTextureWidth && height <= caps.MaxTextureHeight;
  }

  // The parts a change of render state `type` makes stale.
  static uint32_t FixedDirtOf(D3DRENDERSTATETYPE type);
  // A render target or depth-stencil surface (`usage`), for
  // CreateRenderTarget and CreateDepthStencilSurface.
  HRESULT CreateTargetSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                              DWORD usage, IDirect3DSurface9** out, HANDLE* shared);
  // A vertex or pixel shader (`Shader`) from its tokens, for
  // CreateVertexShader and CreatePixelShader.
  template <class Shader>
  HRESULT CreateShader(const DWORD* function, bool pixel, Shader** out);
  // Sets one bound object (index buffer, shader) into the block being
  // recorded, else into the state.
  template <class T>
  void Bind(ComPtr<T> DeviceState::*slot, bool StateMask::*recorded, T* object);

  // Constants of one kind set since the last upload: [begin, end), none
  // when begin == end.
  struct DirtyRange {
    UINT begin = 0;
    UINT end = 0;
    void Mark(UINT from, UINT to) {
      begin = begin < end ? std::min(begin, from) : from;
      end = std::max(end, to);
    }
  };
  // Set*ShaderConstantF and Get*ShaderConstantF for one kind of constants.
  template <size_t N>
  HRESULT SetConstants(float (DeviceState::*constants)[N][4], std::bitset<N> StateMask::*recorded, DirtyRange& dirty,
                       UINT start, const float* data, UINT count);
  template <size_t N>
  HRESULT GetConstants(float (DeviceState::*constants)[N][4], UINT start, float* data, UINT count) const;

  // Programs, buffers, textures, targets and GL state for a draw; `skip`
  // when there is nothing to draw (a lost device, a program that cannot be
  // built).
  HRESULT PrepareDraw(D3DPRIMITIVETYPE type, bool indexed, bool& skip);
  // The shader object of one stage: `shader`'s for this state, else the
  // fixed-function program's. A shader that cannot be built is reported and
  // left unbound (`shader` becomes null).
  uint32_t StageObject(DeviceShader*& shader, bool pixel, const ShaderKey& key, D3DPRIMITIVETYPE type);
  // The vertex buffers of the streams the declaration's vertex array reads
  // and the index buffer (its offset into `indexOffset`) into that array;
  // false when a stream has no buffer.
  bool BindStreams(IDirect3DVertexDeclaration9& declaration, bool indexed);
  // The textures the pixel shader samples, or the fixed-function stages'.
  void BindTextures(const DeviceShader* pixelShader, D3DPRIMITIVETYPE type);
  // The GL state outside programs, for the current depth buffer and the
  // vertex stage's point size.
  void ApplyPipeline(const DeviceShader* vertexShader, D3DPRIMITIVETYPE type);
  uint32_t BindTargets();
  ShaderKey MakeKey(D3DPRIMITIVETYPE type) const;
  FixedFunctionState FixedView() const;
  void BindTexture(uint32_t unit);
  void UploadStates(bool fixedFunction);
  // The fixed-function key of a draw, rebuilt only when its inputs changed.
  const FixedFunctionKey& FixedKey(D3DPRIMITIVETYPE type);
  // Refreshes and uploads the parts of the fixed-function images whose
  // inputs changed.
  void UploadFixedFunction();

  IDirect3DDevice9& device;
  GlContext context;
  ProgramCache programs;
  ShaderObjectCache shaderObjects;
  FixedPipelineCache fixedPipeline;
  FramebufferCache framebuffers;
  PipelineState pipeline;
  SamplerObjects samplers;
  UniformBlocks uniforms;
  BufferArena arena;
  // Where the bound index buffer's bytes start in its GL buffer.
  uint32_t indexOffset = 0;
  uint32_t fixedDirty = FIXED_ALL;
  FixedFunctionKey fixedKey;
  bool fixedKeyPoints = false;  // the key was made for a point list
  FixedFunctionUniforms::Vertex fixedVertex = {};
  FixedFunctionUniforms::Pixel fixedPixel = {};
  DirtyRange vertexDirty;
  DirtyRange pixelDirty;
  float depthUnit16 = 0.0f;  // measured polygon-offset steps of D16 and D24 buffers
  float depthUnit24 = 0.0f;
  bool glReady = false;
};

}  // namespace ynx
