#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/d3d9/device/Device.h"
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
#include "platform/d3d9/device/UniformBlocks.h"
#include "platform/d3d9/shader/ShaderKey.h"

namespace ynx {

// The OpenGL side of the device, seen only by the device's own sources: the
// context, the caches of programs, framebuffers, samplers and uniform
// buffers, and what the next draw must rebuild or upload. Its draw helpers
// read the API state of `device` (a nested class sees its private members).
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
  void MarkVertexConstants(UINT begin, UINT end) {
    vertexDirtyBegin = vertexDirtyBegin < vertexDirtyEnd ? std::min(vertexDirtyBegin, begin) : begin;
    vertexDirtyEnd = std::max(vertexDirtyEnd, end);
  }
  void MarkPixelConstants(UINT begin, UINT end) {
    pixelDirtyBegin = pixelDirtyBegin < pixelDirtyEnd ? std::min(pixelDirtyBegin, begin) : begin;
    pixelDirtyEnd = std::max(pixelDirtyEnd, end);
  }

  // Programs, buffers, textures, targets and GL state for a draw; `skip`
  // when there is nothing to draw (a lost device, a program that cannot be
  // built).
  HRESULT PrepareDraw(D3DPRIMITIVETYPE type, bool indexed, bool& skip);
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
  FixedPipelineCache fixedPipeline;
  FramebufferCache framebuffers;
  PipelineState pipeline;
  SamplerObjects samplers;
  UniformBlocks uniforms;
  uint32_t fixedDirty = FIXED_ALL;
  FixedFunctionKey fixedKey;
  bool fixedKeyPoints = false;  // the key was made for a point list
  FixedFunctionUniforms::Vertex fixedVertex = {};
  FixedFunctionUniforms::Pixel fixedPixel = {};
  UINT vertexDirtyBegin = 0;
  UINT vertexDirtyEnd = 0;
  UINT pixelDirtyBegin = 0;
  UINT pixelDirtyEnd = 0;
  float depthUnit16 = 0.0f;  // measured polygon-offset steps of D16 and D24 buffers
  float depthUnit24 = 0.0f;
  bool glReady = false;
};

}  // namespace ynx
