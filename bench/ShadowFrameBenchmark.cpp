// A frame of a 200-mesh scene through the "DirectX9" renderer with and
// without a shadow map, in one run.
//
// The scene: 200 boxes (12 triangles each, their own ColorEffect in one of
// four colours) floating in a 20 x 10 grid over a ground plane, seen
// obliquely through one camera in a 256 x 256 window, one directional
// light slanting down. The shadowed copy holds a ShadowmapEffect (a
// 512 x 512 depth map, the boxes as casters, the boxes and the ground as
// receivers) with its RenderShadowmapEffectController on the root; the
// plain copy is the same scene without it. A frame is the screensaver's:
// the update, clear, BeginFrame (where the map is drawn), Render,
// FlushSorted, EndFrame (which presents), glFinish.
//
// Before the race each copy draws a frame that is read back: both must
// draw every mesh, the shadowed one its casters and receivers too, and the
// two pictures must differ by the shadows only (darker, never lighter).
// Needs an X display.

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/RendererRace.h"
#include "bench/RendererWindow.h"
#include "engine/io/Image.h"
#include "engine/render/ColorEffect.h"
#include "engine/render/RenderShadowmapEffectController.h"
#include "engine/render/ShadowmapEffect.h"
#include "engine/render/Texture.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx {
namespace {

constexpr int32_t SIZE = 256;  // the window, square
constexpr Color CLEAR{0.125f, 0.125f, 0.125f, 1.0f};
constexpr double FRAME_TIME = 1.0 / 60.0;

constexpr int32_t COLUMNS = 20;
constexpr int32_t ROWS = 10;
constexpr int32_t BOXES = COLUMNS * ROWS;
constexpr float SPACING = 2.0f;
constexpr uint32_t MAP_SIZE = 512;

// Corner i of a box has x from bit 0, y from bit 1 and z from bit 2; each
// face's quad runs clockwise seen from outside.
constexpr int32_t BOX_QUADS[6][4] = {{1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3},
                                     {0, 1, 5, 4}, {4, 5, 7, 6}, {0, 2, 3, 1}};

Ptr<Triangles> Mesh(const char* name, Vector3* positions, int32_t vertices, const int32_t (*quads)[4],
                    int32_t quadCount, const Color& color) {
  auto* indices = new int32_t[quadCount * 6];
  for (int32_t quad = 0; quad < quadCount; ++quad) {
    const int32_t* q = quads[quad];
    for (int32_t k = 0; k < 6; ++k) indices[quad * 6 + k] = q[k < 3 ? k : (k == 3 ? 0 : k - 2)];
  }
  Ptr<Triangles> mesh(new Triangles(String(name)));
  mesh->SetVertices(new Vector3Buffer(vertices, positions));
  mesh->SetIndices(new IntBuffer(quadCount * 6, indices));
  mesh->UpdateModelBound();
  auto* paint = new ColorEffect();
  paint->SetColor(color);
  mesh->SetEffect(paint);
  return mesh;
}

// One copy of the scene, with or without the shadow map on its root.
class ShadowScene {
 public:
  ShadowScene(bool shadowed, Light* light) {
    root = new SceneNode(String("root"), 0, BOXES + 1);
    const Color colors[4] = {{0.9f, 0.3f, 0.2f, 1}, {0.2f, 0.7f, 0.3f, 1}, {0.3f, 0.4f, 0.9f, 1}, {0.9f, 0.8f, 0.3f, 1}};
    Array<Node*> casters(BOXES, 0);
    for (int32_t n = 0; n < BOXES; ++n) {
      auto* corners = new Vector3[8];
      for (int32_t i = 0; i < 8; ++i) {
        corners[i] = {(i & 1) != 0 ? 0.5f : -0.5f, (i & 2) != 0 ? 2.0f : 1.0f, (i & 4) != 0 ? 0.5f : -0.5f};
      }
      Ptr<Triangles> box = Mesh("box", corners, 8, BOX_QUADS, 6, colors[n % 4]);
      Transformation placed;
      placed.SetTranslation({SPACING * (static_cast<float>(n % COLUMNS) - (COLUMNS - 1) * 0.5f), 0.0f,
                             SPACING * (static_cast<float>(n / COLUMNS) - (ROWS - 1) * 0.5f)});
      box->SetLocalTransform(placed);
      root->AppendChild(box.Get());
      casters.Append(box.Get());
    }
    const float halfX = SPACING * COLUMNS * 0.5f + 1.0f;
    const float halfZ = SPACING * ROWS * 0.5f + 1.0f;
    static constexpr int32_t GROUND_QUAD[1][4] = {{0, 1, 2, 3}};
    Ptr<Triangles> ground = Mesh("ground", new Vector3[4]{{-halfX, 0, -halfZ}, {-halfX, 0, halfZ}, {halfX, 0, halfZ}, {halfX, 0, -halfZ}},
                                 4, GROUND_QUAD, 1, {0.7f, 0.7f, 0.7f, 1});
    root->AppendChild(ground.Get());
    if (shadowed) {
      Ptr<ShadowmapEffect> effect(new ShadowmapEffect(String("shadows")));
      effect->AttachController(new RenderShadowmapEffectController());
      effect->SetShadowMap(new Texture(String("map"), new Image(String(), Image::FORMAT_DEPTH, MAP_SIZE, MAP_SIZE)));
      effect->SetLight(light);
      effect->SetBias(1000.0f, 3.09f);
      effect->SetCasters(casters);
      root->AddEffect(effect.Get());
    }
    root->UpdateRecursive(0.0, true);
  }

  SceneNode& GetRoot() const { return *root; }

 private:
  Ptr<SceneNode> root;
};

struct Side {
  const char* name;
  bool shadowed;
};
constexpr Side SIDES[] = {{"BM_WithShadows", true}, {"BM_WithoutShadows", false}};

class Race : public RendererRace {
 protected:
  bool Prepare(std::string& error) override {
    if (!window.Create(SIZE, error)) return false;
    camera = new Camera(String("eye"));
    Vector3 forward{0.0f, -0.6f, 0.8f};
    Transformation placed;
    placed.SetTranslation(forward * -50.0f);
    camera->SetLocalTransform(placed);
    camera->SetDirection(forward);
    camera->Update(0.0);
    window.GetRenderer().SetCamera(camera.Get());
    light = new Light(String("sun"));
    light->SetLightType(Light::LIGHT_DIRECTIONAL);
    Vector3 down{0.3f, -1.0f, 0.4f};
    down.Normalize();
    light->SetDirection(down);
    light->UpdateWorldTransform();
    for (const Side& side : SIDES) scenes[side.shadowed ? 0 : 1] = std::make_unique<ShadowScene>(side.shadowed, light.Get());
    // Techniques chosen, receivers found, everything uploaded.
    for (int frame = 0; frame < 2; ++frame) {
      for (int32_t side = 0; side < 2; ++side) Frame(side);
    }
    return Check(error);
  }

  // Both sides draw on the same device.
  bool Use(int32_t, std::string&) override { return true; }

  void Frame(int32_t side) override {
    Draw(SIDES[side]);
    window.GetRenderer().EndFrame();
    glFinish();
  }

  void Count(benchmark::State& state, int32_t) override { state.counters["draws"] = window.GetRenderer().GetStats().draws; }
  std::vector<std::string>& GetComplaints() override { return window.GetComplaints(); }

 private:
  // Both pictures read back: false, with what is wrong, unless every mesh
  // is drawn and the shadowed picture is the plain one darkened in places.
  bool Check(std::string& error) {
    std::vector<uint32_t> pictures[2];
    int32_t draws[2] = {0, 0};
    for (const Side& side : SIDES) {
      Draw(side);
      pictures[side.shadowed ? 0 : 1] = window.Capture();
      window.GetRenderer().EndFrame();
      draws[side.shadowed ? 0 : 1] = window.GetRenderer().GetStats().draws;
    }
    int32_t darker = 0;
    int32_t lighter = 0;
    for (size_t i = 0; i < pictures[0].size() && i < pictures[1].size(); ++i) {
      const uint32_t shadowed = pictures[0][i];
      const uint32_t plain = pictures[1][i];
      if (shadowed == plain) continue;
      bool above = false;
      for (const int shift : {0, 8, 16}) above = above || ((shadowed >> shift) & 0xFF) > ((plain >> shift) & 0xFF);
      ++(above ? lighter : darker);
    }
    std::printf("draws %d with shadows, %d without; %d pixels darker in shadow, %d lighter\n", draws[0], draws[1],
                darker, lighter);
    // The casters, the scene pass, the receiver pass.
    if (pictures[0].empty() || pictures[1].empty()) {
      error = "the pictures cannot be read back";
    } else if (draws[1] != BOXES + 1 || draws[0] != BOXES + 2 * (BOXES + 1)) {
      error = "not every mesh is drawn";
    } else if (darker < SIZE * SIZE / 50 || lighter > 0) {
      error = "the shadows are not where they belong";
    } else if (!window.GetComplaints().empty()) {
      error = "the renderer logged: " + window.GetComplaints().front();
    }
    return error.empty();
  }

  void Draw(const Side& side) {
    SceneNode& root = scenes[side.shadowed ? 0 : 1]->GetRoot();
    root.UpdateRecursive(FRAME_TIME, false);
    Renderer& renderer = window.GetRenderer();
    renderer.Clear(Renderer::CLEAR_COLOR | Renderer::CLEAR_DEPTH, CLEAR, 1.0f, 0);
    renderer.BeginFrame();
    root.Render(renderer);
    renderer.FlushSorted();
  }

  // First made, last gone: the scenes go before the renderer.
  RendererWindow window;
  Ptr<Camera> camera;
  Ptr<Light> light;
  std::unique_ptr<ShadowScene> scenes[2];  // shadowed, plain
};

}  // namespace
}  // namespace ynx

int main(int argc, char** argv) {
  return ynx::RendererRace::Main<ynx::Race>(argc, argv, ynx::SIDES, {{"with / without", 0, 1}});
}
