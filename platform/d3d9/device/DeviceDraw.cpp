// Scenes, clearing and drawing: the state of a draw turned into programs,
// bindings and uploads.
#include "platform/d3d9/device/Device.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <bit>
#include <cstddef>
#include <string>

#include "platform/d3d9/device/DeviceImpl.h"

namespace ynx {

namespace {

float Float(uint32_t bits) { return std::bit_cast<float>(bits); }

// Vertices a draw of `primitives` primitives reads, and the GL mode; false
// for unknown primitive types.
bool Primitives(D3DPRIMITIVETYPE type, UINT primitives, GLenum& mode, GLsizei& vertices) {
  const auto n = static_cast<GLsizei>(primitives);
  switch (type) {
    case D3DPT_POINTLIST: mode = GL_POINTS; vertices = n; return true;
    case D3DPT_LINELIST: mode = GL_LINES; vertices = 2 * n; return true;
    case D3DPT_LINESTRIP: mode = GL_LINE_STRIP; vertices = n + 1; return true;
    case D3DPT_TRIANGLELIST: mode = GL_TRIANGLES; vertices = 3 * n; return true;
    case D3DPT_TRIANGLESTRIP: mode = GL_TRIANGLE_STRIP; vertices = n + 2; return true;
    case D3DPT_TRIANGLEFAN: mode = GL_TRIANGLE_FAN; vertices = n + 2; return true;
    default: return false;
  }
}

bool HasStencilPlane(const FormatInfo& info) { return info.internalFormat == GL_DEPTH24_STENCIL8; }

}  // namespace

HRESULT IDirect3DDevice9::BeginScene() {
  if (inScene) return D3DERR_INVALIDCALL;
  inScene = true;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::EndScene() {
  if (!inScene) return D3DERR_INVALIDCALL;
  inScene = false;
  return D3D_OK;
}

uint32_t IDirect3DDevice9::Impl::BindTargets() {
  IDirect3DSurface9* depthStencil = device.depthStencil.Get();
  const IDirect3DSurface9::Attachment color = device.renderTarget->Prepare();
  const IDirect3DSurface9::Attachment depth = depthStencil ? depthStencil->Prepare() : IDirect3DSurface9::Attachment{};
  const uint32_t framebuffer =
      framebuffers.Get(color, depth, depthStencil && HasStencilPlane(depthStencil->Info()));
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  return framebuffer;
}

HRESULT IDirect3DDevice9::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                DWORD stencil) {
  if ((count != 0 && !rects) || !(flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL))) {
    return D3DERR_INVALIDCALL;
  }
  if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depthStencil) return D3DERR_INVALIDCALL;
  if ((flags & D3DCLEAR_STENCIL) && depthStencil->Info().stencilBits == 0) return D3DERR_INVALIDCALL;
  if (Lost() || !MakeCurrent()) return D3D_OK;
  impl->BindTargets();
  // A clear writes whole pixels whatever the masks say, inside the viewport.
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glStencilMask(0xFF);
  glEnable(GL_SCISSOR_TEST);
  impl->pipeline.Invalidate();
  const D3DVIEWPORT9& viewport = state.viewport;
  const LONG left = static_cast<LONG>(viewport.X);
  const LONG top = static_cast<LONG>(viewport.Y);
  const LONG right = static_cast<LONG>(std::min(viewport.X + viewport.Width, renderTarget->Width()));
  const LONG bottom = static_cast<LONG>(std::min(viewport.Y + viewport.Height, renderTarget->Height()));
  const D3DRECT whole{left, top, right, bottom};
  const GLfloat rgba[4] = {(color >> 16 & 0xFF) / 255.0f, (color >> 8 & 0xFF) / 255.0f, (color & 0xFF) / 255.0f,
                           (color >> 24 & 0xFF) / 255.0f};
  const GLfloat depth = std::clamp(z, 0.0f, 1.0f);
  const auto stencilValue = static_cast<GLint>(stencil & 0xFF);
  for (DWORD i = 0; i < (count ? count : 1); ++i) {
    const D3DRECT& rect = count ? rects[i] : whole;
    const LONG x1 = std::max(rect.x1, left);
    const LONG y1 = std::max(rect.y1, top);
    const LONG x2 = std::min(rect.x2, right);
    const LONG y2 = std::min(rect.y2, bottom);
    if (x1 >= x2 || y1 >= y2) continue;
    // Upper-left origin: Direct3D's row y is GL's row y.
    glScissor(x1, y1, x2 - x1, y2 - y1);
    if (flags & D3DCLEAR_TARGET) glClearBufferfv(GL_COLOR, 0, rgba);
    if ((flags & D3DCLEAR_ZBUFFER) && (flags & D3DCLEAR_STENCIL)) {
      glClearBufferfi(GL_DEPTH_STENCIL, 0, depth, stencilValue);
    } else if (flags & D3DCLEAR_ZBUFFER) {
      glClearBufferfv(GL_DEPTH, 0, &depth);
    } else if (flags & D3DCLEAR_STENCIL) {
      glClearBufferiv(GL_STENCIL, 0, &stencilValue);
    }
  }
  return D3D_OK;
}

ShaderKey IDirect3DDevice9::Impl::MakeKey(D3DPRIMITIVETYPE type) const {
  const DeviceState& state = device.state;
  const uint32_t* rs = state.renderStates;
  ShaderKey key;
  for (uint32_t unit = 0; unit < DeviceState::SAMPLERS; ++unit) {
    const IDirect3DBaseTexture9* texture = state.textures[unit].Get();
    if (!texture) continue;
    if (texture->IsDepth()) key.shadowSamplers |= static_cast<uint16_t>(1u << unit);
    if (unit < DeviceState::STAGES && texture->IsCube()) key.textureKinds |= ShaderKey::KIND_CUBE << (2 * unit);
  }
  for (uint32_t stage = 0; stage < DeviceState::STAGES; ++stage) {
    key.projection |= uint32_t{FixedFunctionKey::ProjectionOf(state.stageStates[stage][D3DTSS_TEXTURETRANSFORMFLAGS])}
                      << (3 * stage);
  }
  if (rs[D3DRS_FOGENABLE]) {
    switch (rs[D3DRS_FOGTABLEMODE]) {
      case D3DFOG_LINEAR: key.fog = ShaderKey::FOG_TABLE_LINEAR; break;
      case D3DFOG_EXP: key.fog = ShaderKey::FOG_TABLE_EXP; break;
      case D3DFOG_EXP2: key.fog = ShaderKey::FOG_TABLE_EXP2; break;
      default: key.fog = ShaderKey::FOG_VERTEX; break;
    }
  }
  key.fogFromW = FixedFunctionKey::TableFogFromW(state.projection);
  const uint32_t function = rs[D3DRS_ALPHAFUNC];
  if (rs[D3DRS_ALPHATESTENABLE] && function >= D3DCMP_NEVER && function <= D3DCMP_ALWAYS) {
    key.alphaFunction = static_cast<uint8_t>(function);
  }
  key.pointSprite = rs[D3DRS_POINTSPRITEENABLE] && type == D3DPT_POINTLIST;
  key.flatColors = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
  return key;
}

void IDirect3DDevice9::Impl::UploadStates(bool fixedFunction) {
  const DeviceState& state = device.state;
  uniforms.UploadVertexConstants(state.vertexConstants, vertexDirty.begin, vertexDirty.end);
  uniforms.UploadPixelConstants(state.pixelConstants, pixelDirty.begin, pixelDirty.end);
  vertexDirty = {};
  pixelDirty = {};

  const uint32_t* rs = state.renderStates;
  ShaderInterface::VertexState vertex{};
  // Direct3D puts pixel centres on integer coordinates, GL half a pixel
  // further: move everything right and down by a shade less than half a
  // pixel, so that no edge passes exactly through a pixel centre and GL's
  // tie rule (which differs from Direct3D's top-left rule) never applies.
  constexpr float SHIFT = 2.0f * 63.0f / 128.0f;  // in NDC units per pixel
  vertex.positionFixup[0] = 1.0f;
  vertex.positionFixup[1] = 1.0f;
  vertex.positionFixup[2] = SHIFT / static_cast<float>(state.viewport.Width);
  vertex.positionFixup[3] = -SHIFT / static_cast<float>(state.viewport.Height);
  vertex.pointSize[0] = Float(rs[D3DRS_POINTSIZE_MIN]);
  vertex.pointSize[1] = Float(rs[D3DRS_POINTSIZE_MAX]);
  uniforms.UploadVertexState(vertex);

  ShaderInterface::PixelState pixel{};
  for (uint32_t stage = 0; stage < DeviceState::STAGES; ++stage) {
    const uint32_t* ts = state.stageStates[stage];
    pixel.bumpMatrix[stage][0] = Float(ts[D3DTSS_BUMPENVMAT00]);
    pixel.bumpMatrix[stage][1] = Float(ts[D3DTSS_BUMPENVMAT01]);
    pixel.bumpMatrix[stage][2] = Float(ts[D3DTSS_BUMPENVMAT10]);
    pixel.bumpMatrix[stage][3] = Float(ts[D3DTSS_BUMPENVMAT11]);
    pixel.bumpLuminance[stage][0] = Float(ts[D3DTSS_BUMPENVLSCALE]);
    pixel.bumpLuminance[stage][1] = Float(ts[D3DTSS_BUMPENVLOFFSET]);
  }
  const D3DCOLOR fog = rs[D3DRS_FOGCOLOR];
  pixel.fogColor[0] = (fog >> 16 & 0xFF) / 255.0f;
  pixel.fogColor[1] = (fog >> 8 & 0xFF) / 255.0f;
  pixel.fogColor[2] = (fog & 0xFF) / 255.0f;
  const float start = Float(rs[D3DRS_FOGSTART]);
  const float end = Float(rs[D3DRS_FOGEND]);
  pixel.fogParameters[0] = end;
  // FOGSTART == FOGEND: everything nearer than the end is clear, the rest
  // fogged, which a very steep ramp gives.
  pixel.fogParameters[1] = end != start ? 1.0f / (end - start) : 3.402823466e+38f;
  pixel.fogParameters[2] = Float(rs[D3DRS_FOGDENSITY]);
  pixel.alphaReference[0] = static_cast<float>(rs[D3DRS_ALPHAREF] & 0xFF);
  uniforms.UploadPixelState(pixel);

  if (fixedFunction) UploadFixedFunction();
}

const FixedFunctionKey& IDirect3DDevice9::Impl::FixedKey(D3DPRIMITIVETYPE type) {
  const DeviceState& state = device.state;
  const bool points = type == D3DPT_POINTLIST;
  if ((fixedDirty & FIXED_KEY) || points != fixedKeyPoints) {
    FixedFunctionKey::Draw draw = state.declaration->FixedFunctionDraw();
    draw.points = points;
    for (uint32_t stage = 0; stage < DeviceState::STAGES; ++stage) {
      const IDirect3DBaseTexture9* texture = state.textures[stage].Get();
      draw.textures[stage] = !texture             ? FixedFunctionKey::TEXTURE_NONE
                             : texture->IsDepth() ? FixedFunctionKey::TEXTURE_DEPTH
                             : texture->IsCube()  ? FixedFunctionKey::TEXTURE_CUBE
                                                  : FixedFunctionKey::TEXTURE_2D;
    }
    fixedKey = FixedFunctionKey::Make(FixedView(), draw);
    fixedKeyPoints = points;
    fixedDirty &= ~uint32_t{FIXED_KEY};
  }
  return fixedKey;
}

void IDirect3DDevice9::Impl::UploadFixedFunction() {
  using Vertex = FixedFunctionUniforms::Vertex;
  const FixedFunctionState view = FixedView();
  // The parts lie in this order in the image: one upload covers the
  // changed ones.
  size_t begin = sizeof(Vertex);
  size_t end = 0;
  const auto refresh = [&](uint32_t part, void (*fill)(const FixedFunctionState&, Vertex&), size_t from, size_t to) {
    if (!(fixedDirty & part)) return;
    fill(view, fixedVertex);
    begin = std::min(begin, from);
    end = std::max(end, to);
  };
  refresh(FIXED_TRANSFORMS, FixedFunctionUniforms::FillTransforms, 0, offsetof(Vertex, texture));
  refresh(FIXED_TEXTURE_TRANSFORMS, FixedFunctionUniforms::FillTextureTransforms, offsetof(Vertex, texture),
          offsetof(Vertex, materialDiffuse));
  refresh(FIXED_VALUES, FixedFunctionUniforms::FillValues, offsetof(Vertex, materialDiffuse), sizeof(Vertex));
  uniforms.UploadFixedVertex(fixedVertex, begin, end);
  if (fixedDirty & FIXED_PIXEL) {
    FixedFunctionUniforms::FillPixel(view, fixedPixel);
    uniforms.UploadFixedPixel(fixedPixel);
  }
  fixedDirty &= FIXED_KEY;
}

FixedFunctionState IDirect3DDevice9::Impl::FixedView() const {
  const DeviceState& state = device.state;
  return {state.renderStates, state.stageStates, state.world,    state.view,     state.projection, state.texture,
          state.lights,       static_cast<uint8_t>(state.lightEnables), state.material, state.viewport};
}

void IDirect3DDevice9::Impl::BindTexture(uint32_t unit) {
  const DeviceState& state = device.state;
  IDirect3DBaseTexture9* texture = state.textures[unit].Get();
  glBindTextureUnit(unit, texture ? texture->Prepare() : 0);
  if (texture) {
    samplers.Apply(unit, state.samplerStates[unit], texture->IsDepth(), texture->GetLevelCount() > 1);
  }
}

uint32_t IDirect3DDevice9::Impl::StageObject(DeviceShader*& shader, bool pixel, const ShaderKey& key,
                                             D3DPRIMITIVETYPE type) {
  std::string error;
  if (shader) {
    if (const uint32_t object = shader->Prepare(key, error)) return object;
    // The reason comes once per shader and state: failures are cached.
    if (!error.empty()) device.Report(std::string(pixel ? "pixel" : "vertex") + " shader left unbound: " + error);
    shader = nullptr;
    error.clear();
  }
  const FixedFunctionKey& fixed = FixedKey(type);
  const uint32_t object = pixel ? fixedPipeline.Pixel(fixed.pixel, error) : fixedPipeline.Vertex(fixed.vertex, error);
  if (!error.empty()) device.Report(error);
  return object;
}

bool IDirect3DDevice9::Impl::BindStreams(IDirect3DVertexDeclaration9& declaration, bool indexed) {
  const DeviceState& state = device.state;
  const uint32_t streams = declaration.StreamsUsed();
  for (uint32_t stream = 0; stream < DeviceState::STREAMS; ++stream) {
    if (!(streams >> stream & 1)) continue;
    const DeviceState::Stream& source = state.streams[stream];
    if (!source.buffer) {
      device.Report("cannot draw: stream " + std::to_string(stream) + " has no vertex buffer");
      return false;
    }
    declaration.BindStream(stream, source.buffer->Prepare(arena), source.offset, source.stride);
  }
  if (indexed) {
    const BufferArena::Slice& indices = state.indices->Prepare(arena);
    declaration.BindIndices(indices);
    indexOffset = indices.offset;
  }
  return true;
}

void IDirect3DDevice9::Impl::BindTextures(const DeviceShader* pixelShader, D3DPRIMITIVETYPE type) {
  if (pixelShader) {
    for (const ShaderInterface::Sampler& sampler : pixelShader->Interface().samplers) BindTexture(sampler.unit);
    return;
  }
  for (uint32_t stage = 0; stage < DeviceState::STAGES; ++stage) {
    if (FixedKey(type).pixel.stages[stage].texture != FixedFunctionKey::TEXTURE_NONE) BindTexture(stage);
  }
}

void IDirect3DDevice9::Impl::ApplyPipeline(const DeviceShader* vertexShader, D3DPRIMITIVETYPE type) {
  PipelineState::Target target;
  if (const IDirect3DSurface9* depthStencil = device.depthStencil.Get()) {
    target.depthBits = depthStencil->Info().depthBits;
    target.stencilBits = depthStencil->Info().stencilBits;
    target.depthUnit = target.depthBits == 16 ? depthUnit16 : depthUnit24;
  }
  target.programPointSize = vertexShader
                                ? (vertexShader->Interface().outputs & ShaderInterface::OUTPUT_POINT_SIZE) != 0
                                : FixedKey(type).vertex.point != FixedFunctionKey::POINT_NONE;
  pipeline.Apply(device.state, target);
}

HRESULT IDirect3DDevice9::Impl::PrepareDraw(D3DPRIMITIVETYPE type, bool indexed, bool& skip) {
  const DeviceState& state = device.state;
  skip = true;
  if (!device.inScene) return D3DERR_INVALIDCALL;
  // A lost device takes draws and does nothing with them.
  if (device.Lost() || !device.MakeCurrent()) return D3D_OK;
  IDirect3DVertexDeclaration9* declaration = state.declaration.Get();
  if (!declaration || (indexed && !state.indices)) return D3DERR_INVALIDCALL;

  // A stage without a shader runs the fixed-function program of the state;
  // so does a stage whose shader cannot be built for this state (the shader
  // is left unbound and the draw goes on).
  DeviceShader* vertexShader = state.vertexShader.Get();
  DeviceShader* pixelShader = state.pixelShader.Get();
  const ShaderKey key = MakeKey(type);
  const uint32_t vertexObject = StageObject(vertexShader, false, key, type);
  const uint32_t pixelObject = StageObject(pixelShader, true, key, type);
  if (!vertexObject || !pixelObject) return D3D_OK;
  std::string error;
  const uint32_t program = programs.Get(vertexObject, pixelObject, error);
  if (!error.empty()) device.Report(error);
  if (!program) return D3D_OK;

  const GLuint vertexArray =
      declaration->Prepare(vertexShader ? vertexShader->Interface().inputs : declaration->FixedFunctionInputs());
  if (!BindStreams(*declaration, indexed)) return D3DERR_INVALIDCALL;
  glUseProgram(program);
  glBindVertexArray(vertexArray);
  BindTargets();
  BindTextures(pixelShader, type);
  UploadStates(!vertexShader || !pixelShader);
  ApplyPipeline(vertexShader, type);
  skip = false;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
  GLenum mode = GL_POINTS;
  GLsizei vertices = 0;
  if (!Primitives(type, primitiveCount, mode, vertices)) return D3DERR_INVALIDCALL;
  bool skip = true;
  const HRESULT result = impl->PrepareDraw(type, false, skip);
  if (!skip && primitiveCount > 0) glDrawArrays(mode, static_cast<GLint>(startVertex), vertices);
  return result;
}

HRESULT IDirect3DDevice9::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT, UINT, UINT startIndex,
                                               UINT primitiveCount) {
  GLenum mode = GL_POINTS;
  GLsizei vertices = 0;
  if (!Primitives(type, primitiveCount, mode, vertices)) return D3DERR_INVALIDCALL;
  bool skip = true;
  const HRESULT result = impl->PrepareDraw(type, true, skip);
  if (skip || primitiveCount == 0) return result;
  const UINT size = state.indices->IndexSize();
  if (uint64_t{startIndex} * size + uint64_t{static_cast<UINT>(vertices)} * size > state.indices->Size()) {
    return D3DERR_INVALIDCALL;
  }
  glDrawElementsBaseVertex(mode, vertices, size == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                           reinterpret_cast<const void*>(impl->indexOffset + uintptr_t{startIndex} * size),
                           baseVertex);
  return result;
}

}  // namespace ynx
