// A frame of a scene graph drawn through the "DirectX9" renderer next to the
// same frame written directly in OpenGL 4.5 core, in one run.
//
// The scene: 2,000 meshes, each a grid of 100 triangles with positions,
// texture coordinates and indices of its own, placed one to a cell of a
// 50 x 40 tiling of a 256 x 256 window, under one root node and seen
// through one camera. Four texture effects, each with its own colour and
// 64 x 64 texture, take turns from mesh to mesh. The renderer's frame is the
// screensaver's: clear, BeginFrame, the root's Render, FlushSorted, EndFrame
// (which presents), then glFinish. The scene is updated once before the
// race; only drawing is timed.
//
// The OpenGL side, on a context of its own with the same target, keeps
// each mesh in one vertex and one index buffer under a vertex array, the
// same textures with the same mipmaps, and per draw binds the program, the
// mesh and the texture, uploads the constants the effect's program pass
// sets (both matrices, the colour and the fog and sway vectors, computed
// from the mesh's world matrix and the camera's as the pass does), and
// draws with a program equivalent to the effect's (texture times colour).
// It presents the same way.
//
// Before the race one frame of each is read back and compared: both must
// draw the same picture. The summary gives the median frame time of each
// by the wall clock and by the processor time of the drawing thread, and
// the renderer's as a multiple of OpenGL's. Needs an X display.

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/GlTarget.h"
#include "bench/MedianReporter.h"
#include "bench/RendererWindow.h"
#include "engine/io/Image.h"
#include "engine/render/Renderer.h"
#include "engine/render/ShaderRegisters.h"
#include "engine/render/Texture.h"
#include "engine/render/TextureEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "tests/support/ColorCompare.h"

namespace ynx {
namespace {

constexpr int32_t SIZE = 256;  // the window, square
constexpr int32_t COLUMNS = 50;
constexpr int32_t ROWS = 40;
constexpr int32_t MESHES = COLUMNS * ROWS;
constexpr int32_t QUADS_ACROSS = 10;  // a mesh: 10 x 5 quads,
constexpr int32_t QUADS_DOWN = 5;     // 100 triangles
constexpr int32_t VERTICES = (QUADS_ACROSS + 1) * (QUADS_DOWN + 1);
constexpr int32_t INDICES = 6 * QUADS_ACROSS * QUADS_DOWN;
constexpr int32_t EFFECTS = 4;
constexpr uint32_t TEXTURE_SIZE = 64;
constexpr float DEPTH = 10.0f;  // of the meshes' plane in front of the camera
constexpr uint32_t CLEAR_COLOR = 0xFF202020;
constexpr int REPETITIONS = 10;
// The constant registers the effect's program pass sets per draw.
constexpr int32_t REGISTERS = ShaderRegisters::SWAY + 1;

// Texel (x, y) of texture `which`, rows top first, as A8R8G8B8: a checker
// of 16-texel squares in two colours of its own.
uint32_t Texel(int32_t which, uint32_t x, uint32_t y) {
  static constexpr uint32_t COLORS[EFFECTS][2] = {
      {0xFFFFFFFF, 0xFF3050C0}, {0xFFF0C040, 0xFF206020}, {0xFF60E0E0, 0xFF802020}, {0xFFE080F0, 0xFF404040}};
  return COLORS[which][((x / 16) ^ (y / 16)) & 1];
}

// The engine's scene and the renderer that draws it, current on its own
// window.
class RendererScene {
 public:
  bool Create(std::string& error) {
    if (!window.Create(SIZE, error)) return false;
    renderer = &window.GetRenderer();
    camera = new Camera(String("eye"));
    camera->Update(0.0);
    renderer->SetCamera(camera.Get());
    MakeEffects();
    MakeMeshes();
    root->UpdateRecursive(0.0, true);
    return true;
  }

  void Frame() {
    Draw();
    renderer->EndFrame();
    glFinish();
  }

  // One frame, rows top first as A8R8G8B8 words; empty when it cannot be
  // read back.
  std::vector<uint32_t> Capture() {
    Draw();
    std::vector<uint32_t> pixels = window.Capture();
    renderer->EndFrame();
    return pixels;
  }

  const SceneNode& GetRoot() const { return *root; }
  const Camera& GetCamera() const { return *camera; }
  const Renderer& GetRenderer() const { return *renderer; }
  const std::vector<Ptr<TextureEffect>>& GetEffects() const { return effects; }
  std::vector<std::string>& GetComplaints() { return window.GetComplaints(); }

 private:
  void Draw() {
    renderer->Clear(Renderer::CLEAR_COLOR | Renderer::CLEAR_DEPTH, Color{0x20 / 255.0f, 0x20 / 255.0f, 0x20 / 255.0f, 1.0f}, 1.0f, 0);
    renderer->BeginFrame();
    root->Render(*renderer);
    renderer->FlushSorted();
  }

  void MakeEffects() {
    static constexpr Color COLORS[EFFECTS] = {
        {1.0f, 1.0f, 1.0f, 1.0f}, {1.0f, 0.75f, 0.5f, 1.0f}, {0.6f, 0.9f, 1.0f, 1.0f}, {0.9f, 0.6f, 0.9f, 1.0f}};
    for (int32_t which = 0; which < EFFECTS; ++which) {
      // Image rows run bottom first.
      Ptr<Image> image(new Image(String("checker"), Image::FORMAT_RGB, TEXTURE_SIZE, TEXTURE_SIZE));
      uint8_t* rgb = image->GetData();
      for (uint32_t row = 0; row < TEXTURE_SIZE; ++row) {
        for (uint32_t x = 0; x < TEXTURE_SIZE; ++x, rgb += 3) {
          const uint32_t texel = Texel(which, x, TEXTURE_SIZE - 1 - row);
          rgb[0] = static_cast<uint8_t>(texel >> 16);
          rgb[1] = static_cast<uint8_t>(texel >> 8);
          rgb[2] = static_cast<uint8_t>(texel);
        }
      }
      Ptr<TextureEffect> effect(new TextureEffect(String("checker")));
      effect->SetTexture(new Texture(String("checker"), image.Get()));
      effect->SetColor(COLORS[which]);
      effects.push_back(effect);
    }
  }

  // Each mesh spans (0, 0) to (1, -1) at depth 0, clockwise as seen, its
  // texture once across; its placement scales it to 90 % of its cell on
  // the plane at DEPTH that the camera sees whole.
  void MakeMeshes() {
    const float halfWidth = DEPTH / camera->GetProjection().m[0];
    const float halfHeight = DEPTH / camera->GetProjection().m[5];
    const float cellWidth = 2.0f * halfWidth / COLUMNS;
    const float cellHeight = 2.0f * halfHeight / ROWS;
    root = new SceneNode(String("root"), 0, MESHES);
    for (int32_t n = 0; n < MESHES; ++n) {
      auto* positions = new Vector3[VERTICES];
      auto* texCoords = new Vector2[VERTICES];
      for (int32_t row = 0; row <= QUADS_DOWN; ++row) {
        for (int32_t column = 0; column <= QUADS_ACROSS; ++column) {
          const float u = static_cast<float>(column) / QUADS_ACROSS;
          const float v = static_cast<float>(row) / QUADS_DOWN;
          positions[row * (QUADS_ACROSS + 1) + column] = {u, -v, 0.0f};
          texCoords[row * (QUADS_ACROSS + 1) + column] = {u, v};
        }
      }
      auto* indices = new int32_t[INDICES];
      int32_t* out = indices;
      for (int32_t row = 0; row < QUADS_DOWN; ++row) {
        for (int32_t column = 0; column < QUADS_ACROSS; ++column) {
          const int32_t corner = row * (QUADS_ACROSS + 1) + column;
          const int32_t below = corner + QUADS_ACROSS + 1;
          for (int32_t index : {corner, corner + 1, below, below, corner + 1, below + 1}) *out++ = index;
        }
      }
      Ptr<Triangles> mesh(new Triangles(String("tile")));
      mesh->SetVertices(new Vector3Buffer(VERTICES, positions));
      mesh->SetTexCoords(0, new Vector2Buffer(VERTICES, texCoords));
      mesh->SetIndices(new IntBuffer(INDICES, indices));
      mesh->UpdateModelBound();
      mesh->SetEffect(effects[n % EFFECTS].Get());
      Transformation placement;
      placement.SetTranslation({-halfWidth + cellWidth * (static_cast<float>(n % COLUMNS) + 0.05f),
                                halfHeight - cellHeight * (static_cast<float>(n / COLUMNS) + 0.05f), DEPTH});
      placement.SetScale({0.9f * cellWidth, 0.9f * cellHeight, 1.0f});
      mesh->SetLocalTransform(placement);
      root->AppendChild(mesh.Get());
    }
  }

  // First made, last gone: the scene goes before the renderer.
  RendererWindow window;
  Renderer* renderer = nullptr;  // the window's
  Ptr<Camera> camera;
  Ptr<SceneNode> root;
  std::vector<Ptr<TextureEffect>> effects;
};

// The effect's vs_2_0 and ps_2_0 programs: m4x4 into the device's clip
// conventions (the same shift of a shade under half a pixel), the colour
// saturated as oD0 is, the texture times the colour. No fog: the effect
// has it off.
constexpr const char* VERTEX_PROGRAM = R"(#version 450 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texCoord;
layout(std140, binding = 0) uniform Constants { vec4 c[11]; };
layout(location = 0) uniform vec2 shift;
out vec4 color;
out vec2 coordinate;
void main() {
  vec4 p = vec4(position, 1.0);
  vec4 clip = vec4(dot(p, c[0]), dot(p, c[1]), dot(p, c[2]), dot(p, c[3]));
  gl_Position = vec4(clip.xy + clip.w * shift, clip.zw);
  color = clamp(c[8], 0.0, 1.0);
  coordinate = texCoord;
}
)";
constexpr const char* PIXEL_PROGRAM = R"(#version 450 core
layout(binding = 0) uniform sampler2D picture;
in vec4 color;
in vec2 coordinate;
out vec4 result;
void main() { result = texture(picture, coordinate) * color; }
)";

// The same frame in OpenGL, made from the engine's scene: each mesh's
// vertices and indices, world matrix and effect; each effect's texture
// with the mipmaps the renderer's box filter makes, its colour and its fog
// and sway values.
class GlScene {
 public:
  bool Create(const RendererScene& scene, std::string& error) {
    if (!target.Create("gl", SIZE, true, error)) return false;
    program = target.Link(VERTEX_PROGRAM, PIXEL_PROGRAM, error);
    if (!program) return false;
    const float shift = 2.0f * 63.0f / 128.0f / SIZE;
    glProgramUniform2f(program, 0, shift, -shift);
    glCreateBuffers(1, &constants);
    glNamedBufferData(constants, REGISTERS * 16, nullptr, GL_DYNAMIC_DRAW);
    glBindBufferBase(GL_UNIFORM_BUFFER, 0, constants);
    MakeMaterials(scene.GetEffects());
    MakeMeshes(scene.GetRoot(), scene.GetEffects());
    // The effect's states are the device's defaults, as the target has them.
    return GlTarget::Check(error);
  }

  ~GlScene() {
    if (program && MakeCurrent()) {
      glDeleteProgram(program);
      glDeleteBuffers(1, &constants);
      glDeleteSamplers(1, &sampler);
      for (const Material& material : materials) glDeleteTextures(1, &material.texture);
      for (const Mesh& mesh : meshes) {
        glDeleteVertexArrays(1, &mesh.vertexArray);
        glDeleteBuffers(2, mesh.buffers);
      }
    }
  }

  bool MakeCurrent() { return target.MakeCurrent(); }

  void Frame(const Camera& camera) {
    Draw(camera);
    target.Present();
    glFinish();
  }

  std::vector<uint32_t> Capture(const Camera& camera) {
    Draw(camera);
    return target.ReadBack();
  }

 private:
  struct Material {
    GLuint texture = 0;
    float color[4];
    float fogSway[4];  // fog density, fog exponent, sway amplitude, sway speed
    float sway[4];     // sway amplitude, sway speed, time, 0
  };
  struct Mesh {
    Matrix4 world;
    int32_t material = 0;
    GLuint buffers[2] = {};  // vertices (position, texture coordinate), indices
    GLuint vertexArray = 0;
  };

  void Draw(const Camera& camera) {
    target.Clear(CLEAR_COLOR);
    const Matrix4& view = camera.GetView();
    const Matrix4& viewProjection = camera.GetViewProjection();
    int32_t bound = -1;
    for (const Mesh& mesh : meshes) {
      const Material& material = materials[static_cast<size_t>(mesh.material)];
      if (mesh.material != bound) {
        glUseProgram(program);
        bound = mesh.material;
      }
      glBindVertexArray(mesh.vertexArray);
      glBindTextureUnit(0, material.texture);
      // Matrices as m4x4 reads them: a register per column.
      float registers[REGISTERS][4];
      const Matrix4 toClip = Matrix4::Transpose(Matrix4::Multiply(mesh.world, viewProjection));
      const Matrix4 toView = Matrix4::Transpose(Matrix4::Multiply(mesh.world, view));
      std::copy(toClip.m, toClip.m + 16, registers[ShaderRegisters::TRANSFORM]);
      std::copy(toView.m, toView.m + 16, registers[ShaderRegisters::VIEW_TRANSFORM]);
      std::copy(material.color, material.color + 4, registers[ShaderRegisters::COLOR]);
      std::copy(material.fogSway, material.fogSway + 4, registers[ShaderRegisters::FOG_SWAY]);
      std::copy(material.sway, material.sway + 4, registers[ShaderRegisters::SWAY]);
      glNamedBufferSubData(constants, 0, sizeof registers, registers);
      glDrawElements(GL_TRIANGLES, INDICES, GL_UNSIGNED_INT, nullptr);
    }
  }

  void MakeMaterials(const std::vector<Ptr<TextureEffect>>& effects) {
    glCreateSamplers(1, &sampler);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glBindSampler(0, sampler);
    for (int32_t which = 0; which < EFFECTS; ++which) {
      const TextureEffect& effect = *effects[static_cast<size_t>(which)];
      Material material;
      const Color& color = effect.GetColor();
      const float values[3][4] = {
          {color.red, color.green, color.blue, color.alpha},
          {effect.GetFogDensity(), effect.GetFogExponent(), effect.GetSwayAmplitude(), effect.GetSwaySpeed()},
          {effect.GetSwayAmplitude(), effect.GetSwaySpeed(), effect.GetTime(), 0.0f}};
      std::copy(values[0], values[0] + 4, material.color);
      std::copy(values[1], values[1] + 4, material.fogSway);
      std::copy(values[2], values[2] + 4, material.sway);
      material.texture = MakeTexture(which);
      materials.push_back(material);
    }
  }

  // Every level down to 1 x 1, each texel channel the rounded mean of the
  // four below it.
  static GLuint MakeTexture(int32_t which) {
    std::vector<uint32_t> level(TEXTURE_SIZE * TEXTURE_SIZE);
    for (uint32_t y = 0; y < TEXTURE_SIZE; ++y) {
      for (uint32_t x = 0; x < TEXTURE_SIZE; ++x) level[y * TEXTURE_SIZE + x] = Texel(which, x, y);
    }
    GLsizei levels = 1;
    while ((TEXTURE_SIZE >> levels) > 0) ++levels;
    GLuint texture = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &texture);
    glTextureStorage2D(texture, levels, GL_RGBA8, TEXTURE_SIZE, TEXTURE_SIZE);
    for (GLint index = 0; index < levels; ++index) {
      const uint32_t side = TEXTURE_SIZE >> index;
      glTextureSubImage2D(texture, index, 0, 0, static_cast<GLsizei>(side), static_cast<GLsizei>(side), GL_BGRA,
                          GL_UNSIGNED_INT_8_8_8_8_REV, level.data());
      const uint32_t half = side / 2;
      std::vector<uint32_t> next(size_t{half} * half);
      for (uint32_t y = 0; y < half; ++y) {
        for (uint32_t x = 0; x < half; ++x) {
          const uint32_t* top = &level[2 * y * side + 2 * x];
          const uint32_t* bottom = top + side;
          uint32_t texel = 0;
          for (int shift = 0; shift < 32; shift += 8) {
            const uint32_t sum = (top[0] >> shift & 0xFF) + (top[1] >> shift & 0xFF) + (bottom[0] >> shift & 0xFF) +
                                 (bottom[1] >> shift & 0xFF);
            texel |= (sum + 2) / 4 << shift;
          }
          next[y * half + x] = texel;
        }
      }
      level = std::move(next);
    }
    return texture;
  }

  void MakeMeshes(const SceneNode& root, const std::vector<Ptr<TextureEffect>>& effects) {
    for (int32_t slot = 0; slot < root.GetSlotCount(); ++slot) {
      const auto* node = static_cast<const Triangles*>(root.GetChild(slot));
      Mesh mesh;
      mesh.world = node->GetWorldTransform().ToMatrix4();
      mesh.material = static_cast<int32_t>(
          std::find_if(effects.begin(), effects.end(),
                       [node](const Ptr<TextureEffect>& effect) { return effect.Get() == node->GetEffect(); }) -
          effects.begin());
      const Vector3* positions = node->GetVertices()->GetElements();
      const auto* texCoords = static_cast<const Vector2*>(node->GetTexCoords(0)->GetData());
      std::vector<float> vertices;
      for (int32_t i = 0; i < node->GetVertices()->GetCount(); ++i) {
        vertices.insert(vertices.end(), {positions[i].x, positions[i].y, positions[i].z, texCoords[i].x, texCoords[i].y});
      }
      const IntBuffer& indices = *node->GetIndices();
      glCreateBuffers(2, mesh.buffers);
      glNamedBufferData(mesh.buffers[0], static_cast<GLsizeiptr>(vertices.size() * sizeof(float)), vertices.data(),
                        GL_STATIC_DRAW);
      glNamedBufferData(mesh.buffers[1], static_cast<GLsizeiptr>(indices.GetCount()) * 4, indices.GetElements(),
                        GL_STATIC_DRAW);
      glCreateVertexArrays(1, &mesh.vertexArray);
      glEnableVertexArrayAttrib(mesh.vertexArray, 0);
      glVertexArrayAttribFormat(mesh.vertexArray, 0, 3, GL_FLOAT, GL_FALSE, 0);
      glVertexArrayAttribBinding(mesh.vertexArray, 0, 0);
      glEnableVertexArrayAttrib(mesh.vertexArray, 1);
      glVertexArrayAttribFormat(mesh.vertexArray, 1, 2, GL_FLOAT, GL_FALSE, 12);
      glVertexArrayAttribBinding(mesh.vertexArray, 1, 0);
      glVertexArrayVertexBuffer(mesh.vertexArray, 0, mesh.buffers[0], 0, 5 * sizeof(float));
      glVertexArrayElementBuffer(mesh.vertexArray, mesh.buffers[1]);
      meshes.push_back(mesh);
    }
  }

  GlTarget target;
  GLuint program = 0;
  GLuint constants = 0;
  GLuint sampler = 0;
  std::vector<Material> materials;
  std::vector<Mesh> meshes;
};

struct Scenes {
  RendererScene renderer;
  GlScene gl;
};
Scenes* scenes = nullptr;

void BM_Renderer(benchmark::State& state) {
  for (auto _ : state) scenes->renderer.Frame();
  state.counters["draws"] = scenes->renderer.GetRenderer().GetStats().draws;
  std::vector<std::string>& complaints = scenes->renderer.GetComplaints();
  if (!complaints.empty()) state.SkipWithError(("the renderer logged: " + complaints.front()).c_str());
}

void BM_OpenGL(benchmark::State& state) {
  if (!scenes->gl.MakeCurrent()) {
    state.SkipWithError("cannot make the OpenGL context current");
    return;
  }
  for (auto _ : state) scenes->gl.Frame(scenes->renderer.GetCamera());
}

// llvmpipe rasterises on threads of its own: the wall clock is what a
// viewer sees, the drawing thread's time what each side itself costs.
BENCHMARK(BM_OpenGL)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(REPETITIONS);
BENCHMARK(BM_Renderer)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(REPETITIONS);

void PrintSummary(const MedianReporter& reporter) {
  const MedianReporter::Times gl = reporter.Of("BM_OpenGL");
  const MedianReporter::Times engine = reporter.Of("BM_Renderer");
  const auto times = [](const char* name, const MedianReporter::Times& median) {
    std::printf("  %-16s %9.3f ms %9.3f ms\n", name, 1e3 * median.wall, 1e3 * median.thread);
  };
  std::printf("\nmedian frame of %d meshes        wall   drawing thread\n", MESHES);
  times("OpenGL", gl);
  times("renderer", engine);
  std::printf("  renderer / OpenGL %8.2fx %11.2fx\n", gl.wall > 0.0 ? engine.wall / gl.wall : 0.0,
              gl.thread > 0.0 ? engine.thread / gl.thread : 0.0);
}

// Both sides must draw the same picture, and the renderer all of its
// meshes with nothing left to record or upload, for the race to be fair.
bool Compare(Scenes& made) {
  const std::vector<uint32_t> drawn = made.renderer.Capture();
  made.renderer.Frame();
  const RenderStats stats = made.renderer.GetRenderer().GetStats();
  made.gl.MakeCurrent();
  const std::vector<uint32_t> expected = made.gl.Capture(made.renderer.GetCamera());
  const size_t differing = test::ColorCompare::Differences(drawn, expected, 2);
  const size_t covered = test::ColorCompare::Differences(drawn, std::vector<uint32_t>(drawn.size(), CLEAR_COLOR), 0);
  std::printf("renderer and OpenGL frames: %zu of %zu pixels drawn, %zu differ; the renderer's second frame: "
              "%d draws, %d passes recorded, %d uploads\n",
              covered, drawn.size(), differing, stats.draws, stats.passesRecorded, stats.uploads);
  if (drawn.empty() || differing != 0) {
    std::fprintf(stderr, "the two sides draw different pictures: the race would be unfair\n");
    return false;
  }
  if (stats.draws != MESHES || stats.passesRecorded != 0 || stats.uploads != 0) {
    std::fprintf(stderr, "the renderer does not draw every mesh from what it kept\n");
    return false;
  }
  if (!made.renderer.GetComplaints().empty()) {
    std::fprintf(stderr, "the renderer logged: %s\n", made.renderer.GetComplaints().front().c_str());
    return false;
  }
  return true;
}

int Run(int argc, char** argv) {
  if (!MedianReporter::Initialize(argc, argv)) return 1;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "no display (%s): run under xvfb-run -a\n", SDL_GetError());
    return 1;
  }
  int result = 1;
  {
    Scenes made;
    std::string error;
    if (!made.renderer.Create(error) || !made.gl.Create(made.renderer, error)) {
      std::fprintf(stderr, "cannot set the benchmark up: %s\n", error.c_str());
    } else if (Compare(made)) {
      scenes = &made;
      MedianReporter::RunAll(PrintSummary);
      scenes = nullptr;
      result = 0;
    }
  }
  benchmark::Shutdown();
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return result;
}

}  // namespace
}  // namespace ynx

int main(int argc, char** argv) { return ynx::Run(argc, argv); }
