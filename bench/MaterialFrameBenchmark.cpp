// A frame of the lit material effects through the "DirectX9" renderer on
// both of its paths, in one run: programs (skinning in the vertex program)
// against the fixed-function pipeline (device lighting, skinning on the
// processor).
//
// The scene: 200 normal-mapped, swaying tiles (each a 10 x 10 quad grid
// with its own NormalmapTexture1DLEffect, one directional light, a
// generated normal map) tiling the view at depth 12, and in front of them
// 20 skinned tubes of 3,000 vertices, four influences each, on 40 bones
// moved by hand every frame, drawn with a Texture1DLEffect holding the
// skin controller. A frame is the screensaver's: the update (node
// controllers, the skin controllers, the effects' Update), clear,
// BeginFrame, Render, FlushSorted, EndFrame (which presents), glFinish.
//
// Each path has a scene of its own, built the same way: an effect picks
// its technique once, for the device it first draws on. Switching paths
// reopens the window on a device held to the path's YNX_RENDERER_CAPS and
// draws two frames untimed. Before the race each path draws a frame that
// is read back: the centre of the picture must be covered and every effect
// must run the technique of its path, with the skin controllers skinning
// where the path says. Needs an X display.

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/RendererRace.h"
#include "bench/RendererWindow.h"
#include "engine/animation/SkinController.h"
#include "engine/io/Image.h"
#include "engine/render/NormalmapTexture1DLEffect.h"
#include "engine/render/Texture.h"
#include "engine/render/Texture1DLEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"

namespace ynx {
namespace {

constexpr int32_t SIZE = 256;  // the window, square
constexpr uint32_t CLEAR_COLOR = 0xFF202020;
constexpr double FRAME_TIME = 1.0 / 60.0;
constexpr float PI = 3.14159265f;

constexpr int32_t TILE_COLUMNS = 20;
constexpr int32_t TILE_ROWS = 10;
constexpr int32_t TILES = TILE_COLUMNS * TILE_ROWS;
constexpr int32_t TILE_QUADS = 10;  // across and down
constexpr float TILE_DEPTH = 12.0f;

constexpr int32_t CHARACTER_COLUMNS = 5;
constexpr int32_t CHARACTER_ROWS = 4;
constexpr int32_t CHARACTERS = CHARACTER_COLUMNS * CHARACTER_ROWS;
constexpr int32_t BONES = 40;
constexpr int32_t RINGS = 60;
constexpr int32_t AROUND = 50;
constexpr int32_t CHARACTER_VERTICES = RINGS * AROUND;
constexpr float CHARACTER_DEPTH = 8.0f;

constexpr uint32_t TEXTURE_SIZE = 64;

// A 64 x 64 RGB image, texel (x, y) from `texel` as 0xRRGGBB, rows bottom
// first as images run.
template <class Texel>
Ptr<Texture> MakeTexture(const char* name, Texel texel) {
  Ptr<Image> image(new Image(String(name), Image::FORMAT_RGB, TEXTURE_SIZE, TEXTURE_SIZE));
  uint8_t* rgb = image->GetData();
  for (uint32_t row = 0; row < TEXTURE_SIZE; ++row) {
    for (uint32_t x = 0; x < TEXTURE_SIZE; ++x, rgb += 3) {
      const uint32_t value = texel(x, TEXTURE_SIZE - 1 - row);
      rgb[0] = static_cast<uint8_t>(value >> 16);
      rgb[1] = static_cast<uint8_t>(value >> 8);
      rgb[2] = static_cast<uint8_t>(value);
    }
  }
  return new Texture(String(name), image.Get());
}

// Bumps in rows and columns: the normal leans with the slope of a sine
// across and a cosine down.
uint32_t Bump(uint32_t x, uint32_t y) {
  Vector3 normal{-0.5f * std::cos(2 * PI * static_cast<float>(x) / 16), -0.5f * std::sin(2 * PI * static_cast<float>(y) / 16),
                 1.0f};
  normal.Normalize();
  const auto channel = [](float c) { return static_cast<uint32_t>(std::lround(127.5f * (c + 1.0f))); };
  return channel(normal.x) << 16 | channel(normal.y) << 8 | channel(normal.z);
}

// What every mesh shares: the camera, one light, the two textures.
struct Shared {
  Ptr<Camera> camera;
  Ptr<Light> light;
  Ptr<Texture> picture;
  Ptr<Texture> bumps;

  Shared() {
    camera = new Camera(String("eye"));
    camera->Update(0.0);
    light = new Light(String("sun"));
    light->SetLightType(Light::LIGHT_DIRECTIONAL);
    light->SetColors({0.3f, 0.3f, 0.3f, 1}, {0.9f, 0.85f, 0.8f, 1}, {0.6f, 0.6f, 0.6f, 1});
    Vector3 towards{-0.3f, 0.5f, -1.0f};
    towards.Normalize();
    light->SetDirection(towards * -1.0f);
    light->UpdateWorldTransform();
    picture = MakeTexture("checker", [](uint32_t x, uint32_t y) { return ((x / 8) ^ (y / 8)) & 1 ? 0xF0C040u : 0x6080E0u; });
    bumps = MakeTexture("bumps", Bump);
  }

  // Half the width and height the camera sees at `depth`.
  Vector2 HalfView(float depth) const {
    return {depth / camera->GetProjection().m[0], depth / camera->GetProjection().m[5]};
  }
};

void SetLook(GeometryNodeEffect& effect) {
  effect.SetMaterial({0.8f, 0.8f, 0.8f, 1}, {0.3f, 0.3f, 0.3f, 1}, {0.5f, 0.5f, 0.5f, 1}, {0, 0, 0, 1}, 16.0f);
}

// One path's copy of the scene: the tiles and the skinned tubes under the
// root, the tubes and their skeletons also under a node of their own.
class MaterialScene {
 public:
  explicit MaterialScene(const Shared& shared) {
    root = new SceneNode(String("root"), 0, 2);
    tiles = new SceneNode(String("tiles"), 0, TILES);
    characters = new SceneNode(String("characters"), 0, 2 * CHARACTERS);
    root->AppendChild(tiles.Get());
    root->AppendChild(characters.Get());
    MakeTiles(shared);
    for (int32_t n = 0; n < CHARACTERS; ++n) MakeCharacter(shared, n);
    Move();
    root->UpdateRecursive(0.0, true);
  }

  SceneNode& GetAll() const { return *root; }
  SceneNode& GetCharacters() const { return *characters; }

  // The bones are set for the new time, then the part updates: the skins
  // follow their bones, the effects' clocks advance.
  void Update(SceneNode& part) {
    clock += FRAME_TIME;
    Move();
    part.UpdateRecursive(FRAME_TIME, false);
  }

  // Empty when every effect runs technique `technique` and every skin
  // controller skins where `onDevice` says; otherwise what does not.
  std::string Mismatch(int32_t technique, bool onDevice) const {
    for (const Ptr<NormalmapTexture1DLEffect>& effect : tileEffects) {
      if (effect->GetActiveTechnique() != effect->GetTechnique(technique)) return "a tile's technique";
    }
    for (size_t n = 0; n < skins.size(); ++n) {
      const Texture1DLEffect& effect = *skinEffects[n];
      if (effect.GetActiveTechnique() != effect.GetTechnique(technique)) return "a tube's technique";
      // The processor path hands the controller back to its mesh.
      if (skins[n]->IsActive() == onDevice || (effect.GetSkin() != nullptr) != onDevice) return "where a tube skins";
    }
    return {};
  }

 private:
  // Each tile spans (0, 0) to (1, -1), clockwise as seen, placed in its
  // cell of the plane at TILE_DEPTH that the camera sees whole; sway moves
  // all but its top row.
  void MakeTiles(const Shared& shared) {
    const Vector2 half = shared.HalfView(TILE_DEPTH);
    const float cellWidth = 2.0f * half.x / TILE_COLUMNS;
    const float cellHeight = 2.0f * half.y / TILE_ROWS;
    constexpr int32_t SIDE = TILE_QUADS + 1;
    for (int32_t n = 0; n < TILES; ++n) {
      auto* positions = new Vector3[SIDE * SIDE];
      auto* normals = new Vector3[SIDE * SIDE];
      auto* texCoords = new Vector2[SIDE * SIDE];
      for (int32_t i = 0; i < SIDE * SIDE; ++i) {
        const float u = static_cast<float>(i % SIDE) / TILE_QUADS;
        const float v = static_cast<float>(i / SIDE) / TILE_QUADS;
        positions[i] = {u, -v, 0.0f};
        normals[i] = {0.0f, 0.0f, -1.0f};
        texCoords[i] = {u, v};
      }
      auto* indices = new int32_t[6 * TILE_QUADS * TILE_QUADS];
      int32_t* out = indices;
      for (int32_t quad = 0; quad < TILE_QUADS * TILE_QUADS; ++quad) {
        const int32_t corner = quad / TILE_QUADS * SIDE + quad % TILE_QUADS;
        for (int32_t index : {corner, corner + 1, corner + SIDE, corner + SIDE, corner + 1, corner + SIDE + 1}) {
          *out++ = index;
        }
      }
      Ptr<NormalmapTexture1DLEffect> effect(new NormalmapTexture1DLEffect(String("tile")));
      effect->SetTexture(shared.picture.Get());
      effect->SetNormalMap(shared.bumps.Get());
      effect->SetLight(shared.light.Get());
      SetLook(*effect);
      effect->SetSwayParameters(0.05f, 1.0f);
      effect->SetSway(true);
      Ptr<Triangles> mesh(new Triangles(String("tile")));
      mesh->SetVertices(new Vector3Buffer(SIDE * SIDE, positions));
      mesh->SetNormals(new Vector3Buffer(SIDE * SIDE, normals));
      mesh->SetTexCoords(0, new Vector2Buffer(SIDE * SIDE, texCoords));
      mesh->SetIndices(new IntBuffer(6 * TILE_QUADS * TILE_QUADS, indices));
      mesh->UpdateModelBound();
      mesh->SetEffect(effect.Get());
      Transformation placement;
      placement.SetTranslation({-half.x + cellWidth * (static_cast<float>(n % TILE_COLUMNS) + 0.05f),
                                half.y - cellHeight * (static_cast<float>(n / TILE_COLUMNS) + 0.05f), TILE_DEPTH});
      placement.SetScale({0.9f * cellWidth, 0.9f * cellHeight, 1.0f});
      mesh->SetLocalTransform(placement);
      tiles->AppendChild(mesh.Get());
      tileEffects.push_back(effect);
    }
  }

  // A tube standing in its cell of the plane at CHARACTER_DEPTH, its bones
  // one above the other along its axis under a skeleton node that places
  // it; each ring of vertices weighted to the four bones nearest its
  // height. The mesh itself stays at the origin: skinning yields world
  // positions.
  void MakeCharacter(const Shared& shared, int32_t n) {
    const Vector2 half = shared.HalfView(CHARACTER_DEPTH);
    const float cellWidth = 2.0f * half.x / CHARACTER_COLUMNS;
    const float cellHeight = 2.0f * half.y / CHARACTER_ROWS;
    const float height = 0.8f * cellHeight;
    const float radius = 0.3f * cellWidth;
    spacing = height / BONES;
    Ptr<SceneNode> skeleton(new SceneNode(String("skeleton"), 0, BONES));
    skeleton->SetLocalTransform(Transformation(
        {-half.x + cellWidth * (static_cast<float>(n % CHARACTER_COLUMNS) + 0.5f),
         half.y - cellHeight * (static_cast<float>(n / CHARACTER_COLUMNS) + 0.9f), CHARACTER_DEPTH},
        {}, {1, 1, 1}));
    Ptr<SkinController> skin(new SkinController(String("skin")));
    for (int32_t bone = 0; bone < BONES; ++bone) {
      Ptr<Node> node(new Node(String("bone")));
      skeleton->AppendChild(node.Get());
      skin->AddBone(node.Get(), Transformation({0.0f, -spacing * static_cast<float>(bone), 0.0f}, {}, {1, 1, 1}));
      bones.push_back(node);
    }
    auto* positions = new Vector3[CHARACTER_VERTICES];
    auto* normals = new Vector3[CHARACTER_VERTICES];
    auto* texCoords = new Vector2[CHARACTER_VERTICES];
    auto* weights = new Vector4[CHARACTER_VERTICES];
    auto* influences = new Vector4[CHARACTER_VERTICES];
    for (int32_t i = 0; i < CHARACTER_VERTICES; ++i) {
      const int32_t ring = i / AROUND;
      const float angle = 2 * PI * static_cast<float>(i % AROUND) / AROUND;
      const float y = height * static_cast<float>(ring) / (RINGS - 1);
      positions[i] = {radius * std::cos(angle), y, radius * std::sin(angle)};
      normals[i] = {std::cos(angle), 0.0f, std::sin(angle)};
      texCoords[i] = {static_cast<float>(i % AROUND) / AROUND * 4, static_cast<float>(ring) / (RINGS - 1) * 4};
      const float along = y / spacing;
      const int32_t first = std::clamp(static_cast<int32_t>(along) - 1, 0, BONES - 4);
      float w[4];
      float sum = 0.0f;
      for (int32_t k = 0; k < 4; ++k) {
        const float off = along - static_cast<float>(first + k) - 0.5f;
        sum += w[k] = 1.0f / (1.0f + off * off);
      }
      weights[i] = {w[0] / sum, w[1] / sum, w[2] / sum, w[3] / sum};
      const auto b = static_cast<float>(first);
      influences[i] = {b, b + 1, b + 2, b + 3};
    }
    auto* indices = new int32_t[6 * (RINGS - 1) * AROUND];
    int32_t* out = indices;
    for (int32_t ring = 0; ring + 1 < RINGS; ++ring) {
      for (int32_t a = 0; a < AROUND; ++a) {
        // Clockwise seen from outside.
        const int32_t v00 = ring * AROUND + a;
        const int32_t v01 = ring * AROUND + (a + 1) % AROUND;
        for (int32_t index : {v00, v00 + AROUND, v01, v01, v00 + AROUND, v01 + AROUND}) *out++ = index;
      }
    }
    auto* bindNormals = new Vector3Buffer(CHARACTER_VERTICES, normals);
    skin->SetBindVertices(new Vector3Buffer(CHARACTER_VERTICES, positions));
    skin->SetBindNormals(bindNormals);
    skin->SetWeights(new Vector4Buffer(CHARACTER_VERTICES, weights));
    skin->SetBoneIndices(new Vector4Buffer(CHARACTER_VERTICES, influences));
    Ptr<Triangles> mesh(new Triangles(String("tube")));
    mesh->SetVertices(new Vector3Buffer(CHARACTER_VERTICES, new Vector3[CHARACTER_VERTICES]));
    std::copy(positions, positions + CHARACTER_VERTICES, mesh->GetVertices()->GetElements());
    // Processor skinning moves positions only: the device lights with the
    // bind normals.
    mesh->SetNormals(bindNormals);
    mesh->SetTexCoords(0, new Vector2Buffer(CHARACTER_VERTICES, texCoords));
    mesh->SetIndices(new IntBuffer(6 * (RINGS - 1) * AROUND, indices));
    mesh->UpdateModelBound();
    Ptr<Texture1DLEffect> effect(new Texture1DLEffect(String("tube")));
    effect->SetTexture(shared.picture.Get());
    effect->SetLight(shared.light.Get());
    SetLook(*effect);
    effect->SetSkin(skin.Get());
    mesh->SetEffect(effect.Get());
    mesh->AttachController(skin.Get());
    // The skeleton first: the skin reads its bones' new places.
    characters->AppendChild(skeleton.Get());
    characters->AppendChild(mesh.Get());
    skins.push_back(skin);
    skinEffects.push_back(effect);
  }

  // Every bone sways and bends with the clock, each a little later than
  // the one below it.
  void Move() {
    for (size_t index = 0; index < bones.size(); ++index) {
      const auto bone = static_cast<float>(index % BONES);
      const auto phase = static_cast<float>(2.0 * clock) + 0.3f * bone + static_cast<float>(index / BONES);
      const float bend = 0.25f * std::sin(phase);
      bones[index]->SetLocalTransform(Transformation({0.1f * spacing * bone * std::sin(0.75f * phase), spacing * bone, 0.0f},
                                                     {0.0f, 0.0f, std::sin(bend / 2), std::cos(bend / 2)}, {1, 1, 1}));
    }
  }

  Ptr<SceneNode> root;
  Ptr<SceneNode> tiles;
  Ptr<SceneNode> characters;
  std::vector<Ptr<NormalmapTexture1DLEffect>> tileEffects;
  std::vector<Ptr<Texture1DLEffect>> skinEffects;
  std::vector<Ptr<SkinController>> skins;
  std::vector<Ptr<Node>> bones;  // BONES per tube, bottom first
  float spacing = 0.0f;          // between bones
  double clock = 0.0;
};

// One way of drawing: the device's limits, the technique every effect
// must run there, whether the vertex program skins, and what is drawn.
struct Path {
  const char* name;
  const char* limits;
  int32_t technique;
  bool skinsOnDevice;
  bool skinnedOnly;
};
constexpr Path PATHS[] = {
    {"BM_ShaderPath", "", 0, true, false},
    {"BM_FixedFunctionPath", "ps=none", 1, false, false},
    {"BM_SkinnedShader", "", 0, true, true},
    {"BM_SkinnedFixed", "ps=none", 1, false, true},
};

class Race : public RendererRace {
 protected:
  bool Prepare(std::string& error) override {
    if (!window.Create(SIZE, error)) return false;
    shared = std::make_unique<Shared>();
    for (std::unique_ptr<MaterialScene>& scene : scenes) scene = std::make_unique<MaterialScene>(*shared);
    for (const Path& path : PATHS) {
      if (!Check(path, error)) return false;
    }
    return true;
  }

  bool Use(int32_t path, std::string& error) override { return Ready(PATHS[path], error); }
  void Frame(int32_t path) override { DrawFrame(PATHS[path]); }
  void Count(benchmark::State& state, int32_t) override { state.counters["draws"] = window.GetRenderer().GetStats().draws; }
  std::vector<std::string>& GetComplaints() override { return window.GetComplaints(); }

 private:
  // The device the path needs, everything on it uploaded and recorded.
  bool Ready(const Path& path, std::string& error) {
    if (window.GetLimits() == path.limits && ready) return true;
    if (!window.Reopen(path.limits, error)) return false;
    window.GetRenderer().SetCamera(shared->camera.Get());
    ready = true;
    for (const Path& other : PATHS) {
      if (std::string(other.limits) == path.limits) {
        DrawFrame(other);
        DrawFrame(other);
      }
    }
    return true;
  }

  void DrawFrame(const Path& path) {
    SceneNode& part = Update(path);
    Draw(part);
    window.GetRenderer().EndFrame();
    glFinish();
  }

  // A frame read back: false, with what is wrong, unless the centre is
  // covered and every effect draws on the path's technique.
  bool Check(const Path& path, std::string& error) {
    if (!Ready(path, error)) return false;
    Draw(Update(path));
    const RendererWindow::Coverage covered = window.EndFrameRead(CLEAR_COLOR);
    Renderer& renderer = window.GetRenderer();
    const RenderStats stats = renderer.GetStats();
    std::printf("%-21s caps \"%s\", program level %d: %d draws, %d uploads, %d device objects made; %d pixels "
                "drawn, %d of %d in the centre\n",
                path.name, path.limits, renderer.GetProgramLevel(), stats.draws, stats.uploads, stats.deviceObjectsCreated,
                covered.all, covered.centre, covered.centreSize);
    const bool programs = renderer.GetProgramLevel() == Renderer::SHADER_2 || renderer.GetProgramLevel() == Renderer::SHADER_3;
    const std::string mismatch = SceneOf(path).Mismatch(path.technique, path.skinsOnDevice);
    if (4 * covered.centre < covered.centreSize) {
      error = "the centre of the picture is not drawn";
    } else if (programs != path.skinsOnDevice) {
      error = "the device runs programs at the wrong level";
    } else if (!mismatch.empty()) {
      error = "not as the path draws: " + mismatch;
    } else if (stats.draws != (path.skinnedOnly ? CHARACTERS : CHARACTERS + TILES)) {
      error = "not every mesh is drawn";
    } else if (!window.GetComplaints().empty()) {
      error = "the renderer logged: " + window.GetComplaints().front();
    }
    return error.empty();
  }

  MaterialScene& SceneOf(const Path& path) const { return *scenes[path.skinsOnDevice ? 0 : 1]; }

  SceneNode& Update(const Path& path) {
    MaterialScene& scene = SceneOf(path);
    SceneNode& part = path.skinnedOnly ? scene.GetCharacters() : scene.GetAll();
    scene.Update(part);
    return part;
  }

  void Draw(SceneNode& part) {
    Renderer& renderer = window.GetRenderer();
    renderer.Clear(Renderer::CLEAR_COLOR | Renderer::CLEAR_DEPTH, Color{0x20 / 255.0f, 0x20 / 255.0f, 0x20 / 255.0f, 1.0f},
                   1.0f, 0);
    renderer.BeginFrame();
    part.Render(renderer);
    renderer.FlushSorted();
  }

  // First made, last gone: the scenes go before the renderer.
  RendererWindow window;
  bool ready = false;
  std::unique_ptr<Shared> shared;
  std::unique_ptr<MaterialScene> scenes[2];  // the program path's, the fixed path's
};

}  // namespace
}  // namespace ynx

int main(int argc, char** argv) {
  return ynx::RendererRace::Main<ynx::Race>(argc, argv, ynx::PATHS, {{"BM_ShaderPath / fixed", 0, 1}, {"BM_SkinnedShader / fixed", 2, 3}});
}
