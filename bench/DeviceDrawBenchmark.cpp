// Draw calls per second through the Direct3D 9 device next to the same work
// written directly in OpenGL 4.5 core, in one run. A frame is 1,000 draws of
// a 100-triangle mesh, each in its own 8 x 8 pixel cell of a 256 x 256
// target (so that rasterising costs little and the per-draw overhead
// shows), ended by glFinish on both sides.
//
// Per draw, the device applies a recorded state block, binds one of two
// textures, sets a 4 x 4 matrix as vertex constants and a tint as a pixel
// constant, and draws from a managed vertex and index buffer with shaders
// assembled from text. The OpenGL side binds the program and vertex array,
// binds the texture, updates the same two uniform buffers and draws, with
// the very GLSL the device's translator makes from those shaders, on a
// context of its own with the same target formats and states. A third
// benchmark does the device's work through the fixed-function pipeline
// (world transform and texture factor instead of constants).
//
// Before the race one frame of each is read back and compared: both must
// draw the same picture. The summary at the end gives draws per second
// from the median frame time of each, by the wall clock and by the
// processor time of the drawing thread, and the device's share of the
// OpenGL rate. Needs an X display.

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "bench/GlTarget.h"
#include "bench/MedianReporter.h"
#include "platform/d3d9/device/Device.h"
#include "platform/d3d9/device/Direct3D9.h"
#include "platform/d3d9/device/StateBlock.h"
#include "platform/d3d9/shader/ShaderAssembler.h"
#include "platform/d3d9/shader/ShaderDecoder.h"
#include "platform/d3d9/shader/ShaderTranslator.h"
#include "tests/support/ColorCompare.h"
#include "tools/d3d9play/HiddenDevice.h"

namespace ynx {
namespace {

constexpr UINT SIZE = 256;         // the target, square
constexpr int CELLS = 32;          // cells per row of the target
constexpr int DRAWS = 1000;        // per frame
constexpr int QUADS_ACROSS = 10;   // the mesh: 10 x 5 quads,
constexpr int QUADS_DOWN = 5;      // 100 triangles
constexpr UINT TRIANGLES = 2 * QUADS_ACROSS * QUADS_DOWN;
constexpr UINT VERTICES = (QUADS_ACROSS + 1) * (QUADS_DOWN + 1);
constexpr UINT TEXTURE_SIZE = 64;
constexpr D3DCOLOR CLEAR_COLOR = 0xFF202020;
constexpr int REPETITIONS = 10;

constexpr const char* VERTEX_SHADER =
    "vs_2_0\n"
    "dcl_position v0\n"
    "dcl_texcoord v1\n"
    "m4x4 oPos, v0, c0\n"
    "mov oT0, v1\n";
constexpr const char* PIXEL_SHADER =
    "ps_2_0\n"
    "dcl t0.xy\n"
    "dcl_2d s0\n"
    "texld r0, t0, s0\n"
    "mul r0, r0, c0\n"
    "mov oC0, r0\n";

struct Vertex {
  float x, y, z;
  float u, v;
};

// What every draw of a frame sets: `rows` are the four constant registers
// m4x4 reads (row k gives oPos component k), `tint` the pixel constant.
struct DrawConstants {
  float rows[4][4];
  float tint[4];
  D3DMATRIX world;  // the same transform for row vectors (fixed function)
  D3DCOLOR factor;  // the same tint as a texture factor
};

// The mesh spans (0, 0) to (1, 1); draw n puts it into cell n, at depth 0.5.
std::vector<DrawConstants> MakeDrawConstants() {
  std::vector<DrawConstants> draws(DRAWS);
  const float cell = 2.0f / CELLS;
  const float scale = 0.9f * cell;
  for (int n = 0; n < DRAWS; ++n) {
    DrawConstants& d = draws[n];
    d.world = {};
    const float x = -1.0f + cell * static_cast<float>(n % CELLS);
    const float y = 1.0f - cell * static_cast<float>(n / CELLS);
    const float rows[4][4] = {{scale, 0, 0, x}, {0, -scale, 0, y}, {0, 0, 0, 0.5f}, {0, 0, 0, 1}};
    std::memcpy(d.rows, rows, sizeof rows);
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 4; ++c) d.world.m[c][r] = rows[r][c];
    }
    const auto red = static_cast<uint32_t>(128 + n % 128);
    const auto green = static_cast<uint32_t>(255 - n % 97);
    const auto blue = static_cast<uint32_t>(64 + n % 191);
    d.tint[0] = static_cast<float>(red) / 255.0f;
    d.tint[1] = static_cast<float>(green) / 255.0f;
    d.tint[2] = static_cast<float>(blue) / 255.0f;
    d.tint[3] = 1.0f;
    d.factor = 0xFF000000u | red << 16 | green << 8 | blue;
  }
  return draws;
}

std::vector<Vertex> MakeVertices() {
  std::vector<Vertex> vertices;
  for (int row = 0; row <= QUADS_DOWN; ++row) {
    for (int column = 0; column <= QUADS_ACROSS; ++column) {
      const float u = static_cast<float>(column) / QUADS_ACROSS;
      const float v = static_cast<float>(row) / QUADS_DOWN;
      vertices.push_back({u, v, 0.0f, u, v});
    }
  }
  return vertices;
}

std::vector<uint16_t> MakeIndices() {
  std::vector<uint16_t> indices;
  for (int row = 0; row < QUADS_DOWN; ++row) {
    for (int column = 0; column < QUADS_ACROSS; ++column) {
      const auto corner = static_cast<uint16_t>(row * (QUADS_ACROSS + 1) + column);
      const auto below = static_cast<uint16_t>(corner + QUADS_ACROSS + 1);
      for (uint16_t index : {corner, static_cast<uint16_t>(corner + 1), below, below,
                             static_cast<uint16_t>(corner + 1), static_cast<uint16_t>(below + 1)}) {
        indices.push_back(index);
      }
    }
  }
  return indices;
}

// Texel words (A8R8G8B8) of texture `which`: a checker of two colours.
std::vector<uint32_t> MakeTexels(int which) {
  std::vector<uint32_t> texels(TEXTURE_SIZE * TEXTURE_SIZE);
  for (UINT y = 0; y < TEXTURE_SIZE; ++y) {
    for (UINT x = 0; x < TEXTURE_SIZE; ++x) {
      const bool odd = ((x / 8) ^ (y / 8)) & 1;
      texels[y * TEXTURE_SIZE + x] = which == 0 ? (odd ? 0xFFFFFFFF : 0xFF8080FF) : (odd ? 0xFFFFC060 : 0xFF40FF40);
    }
  }
  return texels;
}

std::vector<uint32_t> Assemble(const char* text) {
  std::vector<uint32_t> tokens;
  std::string errors;
  if (AssembleShader(text, std::strlen(text), tokens, errors) != ShaderAssembler::RESULT_OK) {
    std::fprintf(stderr, "cannot assemble a benchmark shader: %s\n", errors.c_str());
    tokens.clear();
  }
  return tokens;
}

// The GLSL the device's translator makes of `tokens` under the key the
// device uses for this benchmark's states (no fog, no alpha test).
std::string Translate(const std::vector<uint32_t>& tokens, std::string& error) {
  DecodedShader shader;
  ShaderInterface interface;
  std::string source;
  if (!ShaderDecoder::Decode(tokens.data(), tokens.size(), shader, error) ||
      !ShaderTranslator::Analyze(shader, interface, error) ||
      !ShaderTranslator::Translate(shader, ShaderKey{}.Masked(interface.keyMask), source, interface, error)) {
    return {};
  }
  return source;
}

template <class T>
void ReleaseAndClear(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

// The device on a hidden window, the mesh in managed buffers, two managed
// textures, and one state block for each pipeline.
class DeviceScene {
 public:
  bool Create(const std::vector<uint32_t>& vertexTokens, const std::vector<uint32_t>& pixelTokens,
              std::string& error) {
    if (!hidden.Open("device", SIZE, SIZE, [this](const std::string& message) { messages.push_back(message); },
                     error)) {
      return false;
    }
    if (hidden.CreateDevice() != D3D_OK) {
      error = "cannot create the device";
      return false;
    }
    device = hidden.device;
    const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                          {0, 12, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                          D3DDECL_END()};
    if (device->CreateVertexShader(vertexTokens.data(), &vertexShader) != D3D_OK ||
        device->CreatePixelShader(pixelTokens.data(), &pixelShader) != D3D_OK ||
        device->CreateVertexDeclaration(elements, &declaration) != D3D_OK || !CreateMesh() || !CreateTextures()) {
      error = "cannot create the device's resources";
      return false;
    }
    shaderBlock = RecordBlock(vertexShader, pixelShader);
    fixedBlock = RecordBlock(nullptr, nullptr);
    if (!shaderBlock || !fixedBlock) {
      error = "cannot record the state blocks";
      return false;
    }
    return true;
  }

  ~DeviceScene() {
    ReleaseAndClear(shaderBlock);
    ReleaseAndClear(fixedBlock);
    for (IDirect3DTexture9*& texture : textures) ReleaseAndClear(texture);
    ReleaseAndClear(vertexBuffer);
    ReleaseAndClear(indexBuffer);
    ReleaseAndClear(declaration);
    ReleaseAndClear(vertexShader);
    ReleaseAndClear(pixelShader);
    hidden.Close();
  }

  // One frame of DRAWS draws with shaders, or through the fixed-function
  // pipeline, finished.
  void Frame(const std::vector<DrawConstants>& draws, bool fixedFunction) {
    device->BeginScene();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, CLEAR_COLOR, 1.0f, 0);
    IDirect3DStateBlock9* block = fixedFunction ? fixedBlock : shaderBlock;
    for (int n = 0; n < DRAWS; ++n) {
      const DrawConstants& d = draws[n];
      block->Apply();
      device->SetTexture(0, textures[n & 1]);
      if (fixedFunction) {
        device->SetTransform(D3DTS_WORLD, &d.world);
        device->SetRenderState(D3DRS_TEXTUREFACTOR, d.factor);
      } else {
        device->SetVertexShaderConstantF(0, &d.rows[0][0], 4);
        device->SetPixelShaderConstantF(0, d.tint, 1);
      }
      device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, VERTICES, 0, TRIANGLES);
    }
    device->EndScene();
    glFinish();
  }

  // The back buffer, rows top first, as A8R8G8B8 words.
  std::vector<uint32_t> ReadBack() {
    std::vector<uint32_t> pixels;
    IDirect3DSurface9* target = nullptr;
    device->GetRenderTarget(0, &target);
    D3DSURFACE_DESC desc{};
    if (FAILED(HiddenDevice::ReadPixels(device, target, pixels, desc))) pixels.clear();
    ReleaseAndClear(target);
    return pixels;
  }

  // Messages from the device since the last call: each is a failed draw.
  std::vector<std::string> TakeMessages() { return std::exchange(messages, {}); }

 private:
  bool CreateMesh() {
    const std::vector<Vertex> vertices = MakeVertices();
    const std::vector<uint16_t> indices = MakeIndices();
    const auto vertexBytes = static_cast<UINT>(vertices.size() * sizeof(Vertex));
    const auto indexBytes = static_cast<UINT>(indices.size() * sizeof(uint16_t));
    void* data = nullptr;
    if (device->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &vertexBuffer, nullptr) !=
            D3D_OK ||
        vertexBuffer->Lock(0, 0, &data, 0) != D3D_OK) {
      return false;
    }
    std::memcpy(data, vertices.data(), vertexBytes);
    vertexBuffer->Unlock();
    if (device->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indexBuffer,
                                  nullptr) != D3D_OK ||
        indexBuffer->Lock(0, 0, &data, 0) != D3D_OK) {
      return false;
    }
    std::memcpy(data, indices.data(), indexBytes);
    indexBuffer->Unlock();
    return true;
  }

  bool CreateTextures() {
    for (int which = 0; which < 2; ++which) {
      IDirect3DTexture9*& texture = textures[which];
      D3DLOCKED_RECT locked{};
      if (device->CreateTexture(TEXTURE_SIZE, TEXTURE_SIZE, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                nullptr) != D3D_OK ||
          texture->LockRect(0, &locked, nullptr, 0) != D3D_OK) {
        return false;
      }
      const std::vector<uint32_t> texels = MakeTexels(which);
      for (UINT y = 0; y < TEXTURE_SIZE; ++y) {
        std::memcpy(static_cast<uint8_t*>(locked.pBits) + size_t{y} * locked.Pitch, &texels[y * TEXTURE_SIZE],
                    TEXTURE_SIZE * 4);
      }
      texture->UnlockRect(0);
    }
    return true;
  }

  // What a material of the renderer would hold: its shaders (none: fixed
  // function), the mesh's streams and the raster, depth and sampler states.
  IDirect3DStateBlock9* RecordBlock(IDirect3DVertexShader9* vertex, IDirect3DPixelShader9* pixel) {
    IDirect3DStateBlock9* block = nullptr;
    if (device->BeginStateBlock() != D3D_OK) return nullptr;
    device->SetVertexShader(vertex);
    device->SetPixelShader(pixel);
    device->SetVertexDeclaration(declaration);
    device->SetStreamSource(0, vertexBuffer, 0, sizeof(Vertex));
    device->SetIndices(indexBuffer);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    if (!vertex) {
      D3DMATRIX identity{};
      identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
      device->SetTransform(D3DTS_VIEW, &identity);
      device->SetTransform(D3DTS_PROJECTION, &identity);
      device->SetRenderState(D3DRS_LIGHTING, FALSE);
      device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
      device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
      device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
      device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
      device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
      device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
      device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    }
    device->EndStateBlock(&block);
    return block;
  }

  HiddenDevice hidden;
  IDirect3DDevice9* device = nullptr;  // the hidden device's
  IDirect3DVertexShader9* vertexShader = nullptr;
  IDirect3DPixelShader9* pixelShader = nullptr;
  IDirect3DVertexDeclaration9* declaration = nullptr;
  IDirect3DVertexBuffer9* vertexBuffer = nullptr;
  IDirect3DIndexBuffer9* indexBuffer = nullptr;
  IDirect3DTexture9* textures[2] = {};
  IDirect3DStateBlock9* shaderBlock = nullptr;
  IDirect3DStateBlock9* fixedBlock = nullptr;
  std::vector<std::string> messages;
};

// The same frame in OpenGL 4.5 core on a context of its own: the target as
// the device makes its back buffer (RGBA8 colour, depth 24 + stencil 8),
// the device's clip conventions, depth test and viewport, the translated
// programs and the uniform blocks they read.
class GlScene {
 public:
  bool Create(const std::vector<uint32_t>& vertexTokens, const std::vector<uint32_t>& pixelTokens,
              std::string& error) {
    if (!target.Create("gl", SIZE, false, error)) return false;
    const std::string vertexSource = Translate(vertexTokens, error);
    const std::string pixelSource = vertexSource.empty() ? std::string() : Translate(pixelTokens, error);
    if (pixelSource.empty()) return false;
    program = target.Link(vertexSource, pixelSource, error);
    if (!program) return false;
    CreateUniforms();
    CreateMesh();
    CreateTextures();
    glDisable(GL_CULL_FACE);
    return GlTarget::Check(error);
  }

  ~GlScene() {
    if (program && MakeCurrent()) {
      glDeleteProgram(program);
      glDeleteTextures(2, textures);
      glDeleteSamplers(1, &sampler);
      glDeleteBuffers(4, uniforms);
      glDeleteBuffers(2, meshBuffers);
      glDeleteVertexArrays(1, &vertexArray);
    }
  }

  bool MakeCurrent() { return target.MakeCurrent(); }

  void Frame(const std::vector<DrawConstants>& draws) {
    target.Clear(CLEAR_COLOR);
    for (int n = 0; n < DRAWS; ++n) {
      const DrawConstants& d = draws[n];
      // What a renderer states for each draw of a material: its program and
      // mesh (the driver skips a rebind of the same object).
      glUseProgram(program);
      glBindVertexArray(vertexArray);
      glBindTextureUnit(0, textures[n & 1]);
      glNamedBufferSubData(uniforms[ShaderInterface::VERTEX_CONSTANTS_BINDING], 0, sizeof d.rows, d.rows);
      glNamedBufferSubData(uniforms[ShaderInterface::PIXEL_CONSTANTS_BINDING], 0, sizeof d.tint, d.tint);
      glDrawElements(GL_TRIANGLES, 3 * TRIANGLES, GL_UNSIGNED_SHORT, nullptr);
    }
    glFinish();
  }

  std::vector<uint32_t> ReadBack() { return target.ReadBack(); }

 private:
  // The four blocks translated programs read, at their binding points; the
  // position fix-up as the device sets it for this viewport.
  void CreateUniforms() {
    static constexpr GLsizeiptr SIZES[4] = {
        sizeof(ShaderInterface::VertexConstants), sizeof(ShaderInterface::PixelConstants),
        sizeof(ShaderInterface::VertexState), sizeof(ShaderInterface::PixelState)};
    ShaderInterface::VertexState vertexState{};
    const float shift = 2.0f * 63.0f / 128.0f;
    vertexState.positionFixup[0] = 1.0f;
    vertexState.positionFixup[1] = 1.0f;
    vertexState.positionFixup[2] = shift / SIZE;
    vertexState.positionFixup[3] = -shift / SIZE;
    vertexState.pointSize[0] = 1.0f;
    vertexState.pointSize[1] = 64.0f;
    glCreateBuffers(4, uniforms);
    for (GLuint binding = 0; binding < 4; ++binding) {
      const std::vector<uint8_t> zeros(static_cast<size_t>(SIZES[binding]), 0);
      glNamedBufferData(uniforms[binding], SIZES[binding],
                        binding == ShaderInterface::VERTEX_STATE_BINDING ? static_cast<const void*>(&vertexState)
                                                                         : zeros.data(),
                        GL_DYNAMIC_DRAW);
      glBindBufferBase(GL_UNIFORM_BUFFER, binding, uniforms[binding]);
    }
  }

  // v0 (position) and v1 (texture coordinate) at their register numbers.
  void CreateMesh() {
    const std::vector<Vertex> vertices = MakeVertices();
    const std::vector<uint16_t> indices = MakeIndices();
    glCreateBuffers(2, meshBuffers);
    glNamedBufferData(meshBuffers[0], static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(),
                      GL_STATIC_DRAW);
    glNamedBufferData(meshBuffers[1], static_cast<GLsizeiptr>(indices.size() * sizeof(uint16_t)), indices.data(),
                      GL_STATIC_DRAW);
    glCreateVertexArrays(1, &vertexArray);
    glEnableVertexArrayAttrib(vertexArray, 0);
    glVertexArrayAttribFormat(vertexArray, 0, 3, GL_FLOAT, GL_FALSE, 0);
    glVertexArrayAttribBinding(vertexArray, 0, 0);
    glEnableVertexArrayAttrib(vertexArray, 1);
    glVertexArrayAttribFormat(vertexArray, 1, 2, GL_FLOAT, GL_FALSE, 12);
    glVertexArrayAttribBinding(vertexArray, 1, 0);
    glVertexArrayVertexBuffer(vertexArray, 0, meshBuffers[0], 0, sizeof(Vertex));
    glVertexArrayElementBuffer(vertexArray, meshBuffers[1]);
  }

  void CreateTextures() {
    glCreateTextures(GL_TEXTURE_2D, 2, textures);
    for (int which = 0; which < 2; ++which) {
      const std::vector<uint32_t> texels = MakeTexels(which);
      glTextureStorage2D(textures[which], 1, GL_RGBA8, TEXTURE_SIZE, TEXTURE_SIZE);
      glTextureSubImage2D(textures[which], 0, 0, 0, TEXTURE_SIZE, TEXTURE_SIZE, GL_BGRA,
                          GL_UNSIGNED_INT_8_8_8_8_REV, texels.data());
    }
    glCreateSamplers(1, &sampler);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glBindSampler(0, sampler);
  }

  GlTarget target;
  GLuint program = 0;
  GLuint textures[2] = {};
  GLuint sampler = 0;
  GLuint uniforms[4] = {};
  GLuint meshBuffers[2] = {};
  GLuint vertexArray = 0;
};

// Both scenes and the per-draw constants, made once for the whole run.
struct Scenes {
  std::vector<DrawConstants> draws = MakeDrawConstants();
  DeviceScene device;
  GlScene gl;
};
Scenes* scenes = nullptr;

void ReportDeviceMessages(benchmark::State& state) {
  const std::vector<std::string> messages = scenes->device.TakeMessages();
  if (!messages.empty()) state.SkipWithError(("the device reported: " + messages.front()).c_str());
}

void BM_DeviceShaders(benchmark::State& state) {
  for (auto _ : state) scenes->device.Frame(scenes->draws, false);
  state.SetItemsProcessed(state.iterations() * DRAWS);
  ReportDeviceMessages(state);
}

void BM_DeviceFixedFunction(benchmark::State& state) {
  for (auto _ : state) scenes->device.Frame(scenes->draws, true);
  state.SetItemsProcessed(state.iterations() * DRAWS);
  ReportDeviceMessages(state);
}

void BM_OpenGL(benchmark::State& state) {
  if (!scenes->gl.MakeCurrent()) {
    state.SkipWithError("cannot make the OpenGL context current");
    return;
  }
  for (auto _ : state) scenes->gl.Frame(scenes->draws);
  state.SetItemsProcessed(state.iterations() * DRAWS);
}

// llvmpipe does its pixel work on threads of its own: wall time is the
// measure, not the processor time of this thread.
BENCHMARK(BM_OpenGL)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(REPETITIONS);
BENCHMARK(BM_DeviceShaders)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(REPETITIONS);
BENCHMARK(BM_DeviceFixedFunction)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(REPETITIONS);

// Draws per second from the median frame, and each as a share of OpenGL's.
void PrintSummary(const MedianReporter& reporter) {
  const auto rate = [](double seconds) { return seconds > 0.0 ? DRAWS / seconds : 0.0; };
  const MedianReporter::Times gl = reporter.Of("BM_OpenGL");
  std::printf("\ndraws per second, median frame of %d draws    wall   drawing thread\n", DRAWS);
  const auto line = [&](const char* name, const MedianReporter::Times& times) {
    std::printf("  %-24s %10.0f (%5.1f %%) %10.0f (%5.1f %%)\n", name, rate(times.wall),
                times.wall > 0.0 ? 100.0 * gl.wall / times.wall : 0.0, rate(times.thread),
                times.thread > 0.0 ? 100.0 * gl.thread / times.thread : 0.0);
  };
  line("OpenGL", gl);
  line("device, shaders", reporter.Of("BM_DeviceShaders"));
  line("device, fixed function", reporter.Of("BM_DeviceFixedFunction"));
}

int Run(int argc, char** argv) {
  if (!MedianReporter::Initialize(argc, argv)) return 1;
  const std::vector<uint32_t> vertexTokens = Assemble(VERTEX_SHADER);
  const std::vector<uint32_t> pixelTokens = Assemble(PIXEL_SHADER);
  if (vertexTokens.empty() || pixelTokens.empty()) return 1;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "no display (%s): run under xvfb-run -a\n", SDL_GetError());
    return 1;
  }
  int result = 0;
  {
    Scenes made;
    std::string error;
    if (!made.device.Create(vertexTokens, pixelTokens, error) || !made.gl.Create(vertexTokens, pixelTokens, error)) {
      std::fprintf(stderr, "cannot set the benchmark up: %s\n", error.c_str());
      result = 1;
    } else {
      // Both sides must draw the same picture for the race to be fair.
      made.device.Frame(made.draws, false);
      const std::vector<uint32_t> devicePixels = made.device.ReadBack();
      made.gl.MakeCurrent();
      made.gl.Frame(made.draws);
      const size_t differing = test::ColorCompare::Differences(devicePixels, made.gl.ReadBack(), 2);
      const std::vector<uint32_t> cleared(devicePixels.size(), CLEAR_COLOR);
      std::printf("device and OpenGL frames: %zu of %zu pixels drawn, %zu differ%s\n",
                  test::ColorCompare::Differences(devicePixels, cleared, 0), devicePixels.size(), differing,
                  differing ? " (the comparison is unfair)" : "");
      scenes = &made;
      MedianReporter::RunAll(PrintSummary);
      scenes = nullptr;
    }
  }
  benchmark::Shutdown();
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return result;
}

}  // namespace
}  // namespace ynx

int main(int argc, char** argv) { return ynx::Run(argc, argv); }
