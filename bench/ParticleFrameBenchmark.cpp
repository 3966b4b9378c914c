// 20,000 live sprite particles through the "DirectX9" renderer, as point
// sprites and as camera-facing quads, in one run.
//
// The system: a SpriteParticleSystem at depth 12 in front of the camera,
// emitting from a sphere of radius 2 in every direction, with speed,
// life, colours and sizes jittered and a little gravity; it keeps 20,000
// particles alive (bursts of 100 every millisecond refill what dies, and
// maxParticles caps them). A frame is the screensaver's: the update (ageing,
// deaths, emission, the vertices written), clear, BeginFrame, Render,
// FlushSorted, EndFrame (which presents), glFinish. The update alone is
// timed as well.
//
// Each path has a system of its own, seeded alike and aged for 300 frames
// before the race, so that deaths and births go on at their steady rate.
// Quads need point sprites withheld: that path's device is held to
// YNX_RENDERER_CAPS=pointsprites=0. Switching paths reopens the window and
// draws two frames untimed. Before the race each path draws a frame that is
// read back: every particle must be written as the path says and drawn in
// one draw, the centre of the picture covered, nothing logged. Needs an X
// display.

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "bench/RendererRace.h"
#include "bench/RendererWindow.h"
#include "engine/core/Random.h"
#include "engine/io/Image.h"
#include "engine/particles/SphereVolumeEmitter.h"
#include "engine/render/SpriteEffect.h"
#include "engine/render/SpriteParticleSystem.h"
#include "engine/render/Texture.h"
#include "engine/scene/Camera.h"

namespace ynx {
namespace {

constexpr int32_t PARTICLES = 20000;
constexpr int32_t SIZE = 256;  // the window, square
constexpr uint32_t CLEAR_COLOR = 0xFF000000;
constexpr double FRAME_TIME = 1.0 / 60.0;
constexpr int32_t AGEING_FRAMES = 300;
constexpr uint32_t SPOT_SIZE = 16;

// A white spot fading to black at its rim, rows bottom first.
Ptr<Texture> MakeSpot() {
  Ptr<Image> image(new Image(String("spot"), Image::FORMAT_RGB, SPOT_SIZE, SPOT_SIZE));
  uint8_t* rgb = image->GetData();
  for (uint32_t y = 0; y < SPOT_SIZE; ++y) {
    for (uint32_t x = 0; x < SPOT_SIZE; ++x, rgb += 3) {
      const float dx = (static_cast<float>(x) + 0.5f) / SPOT_SIZE * 2.0f - 1.0f;
      const float dy = (static_cast<float>(y) + 0.5f) / SPOT_SIZE * 2.0f - 1.0f;
      const float light = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
      rgb[0] = rgb[1] = rgb[2] = static_cast<uint8_t>(std::lround(255.0f * light));
    }
  }
  return new Texture(String("spot"), image.Get());
}

Ptr<SpriteParticleSystem> MakeSystem(Texture* spot) {
  Random::Seed(7);
  Ptr<SpriteParticleSystem> system(new SpriteParticleSystem(String("sparks")));
  Ptr<SphereVolumeEmitter> emitter(new SphereVolumeEmitter());
  emitter->SetAngles(0.0f, std::numbers::pi_v<float>);
  emitter->SetRadius(2.0f);
  system->SetEmitter(emitter.Get());
  static_cast<SpriteEffect*>(system->GetEffect())->SetTexture(spot);
  system->SetMaxParticles(PARTICLES);
  system->SetInterval(0.001f, 0.0f);
  system->SetBurst(100, 0);
  system->SetSpeed(0.5f, 0.2f);
  system->SetAcceleration({0.0f, -0.1f, 0.0f}, {0.0f, 0.0f, 0.0f});
  system->SetLife(4.0f, 1.0f);
  system->SetStartColor({1.0f, 0.7f, 0.3f, 1.0f}, {0.0f, 0.2f, 0.2f, 0.0f});
  system->SetEndColor({0.3f, 0.1f, 0.6f, 0.5f}, {0.1f, 0.1f, 0.1f, 0.0f});
  system->SetStartSize(0.15f, 0.05f);
  system->SetEndSize(0.05f, 0.02f);
  system->SetLocalTransform(Transformation({0.0f, 0.0f, 12.0f}, {}, {1, 1, 1}));
  return system;
}

// One way of drawing: the device's limits, whether it has point sprites,
// and whether a frame draws or only updates.
struct Path {
  const char* name;
  const char* limits;
  bool pointSprites;
  bool draws;
};
constexpr Path PATHS[] = {
    {"BM_PointSprites", "", true, true},
    {"BM_Quads", "pointsprites=0", false, true},
    {"BM_PointSpritesUpdate", "", true, false},
    {"BM_QuadsUpdate", "pointsprites=0", false, false},
};

class Race : public RendererRace {
 protected:
  bool Prepare(std::string& error) override {
    if (!window.Create(SIZE, error)) return false;
    camera = new Camera(String("eye"));
    camera->Update(0.0);
    spot = MakeSpot();
    for (Ptr<SpriteParticleSystem>& system : systems) system = MakeSystem(spot.Get());
    for (const Path& path : PATHS) {
      if (!Check(path, error)) return false;
    }
    return true;
  }

  bool Use(int32_t path, std::string& error) override { return Ready(PATHS[path], error); }
  void Frame(int32_t path) override { DrawFrame(PATHS[path], PATHS[path].draws); }
  void Count(benchmark::State& state, int32_t) override { state.SetItemsProcessed(state.iterations() * PARTICLES); }
  std::vector<std::string>& GetComplaints() override { return window.GetComplaints(); }

 private:
  // The device the path needs, the system aged on it (the first time) and
  // everything uploaded and recorded.
  bool Ready(const Path& path, std::string& error) {
    if (window.GetLimits() == path.limits && ready) return true;
    if (!window.Reopen(path.limits, error)) return false;
    window.GetRenderer().SetCamera(camera.Get());
    ready = true;
    SpriteParticleSystem& system = SystemOf(path);
    if (system.GetLiveCount() == 0) {
      for (int32_t frame = 0; frame < AGEING_FRAMES; ++frame) system.UpdateRecursive(FRAME_TIME, false);
    }
    DrawFrame(path, true);
    DrawFrame(path, true);
    return true;
  }

  void DrawFrame(const Path& path, bool draws) {
    SpriteParticleSystem& system = SystemOf(path);
    system.UpdateRecursive(FRAME_TIME, false);
    if (!draws) return;
    Draw(system);
    window.GetRenderer().EndFrame();
    glFinish();
  }

  // A frame read back: false, with what is wrong, unless every particle is
  // written and drawn as the path says and the centre is covered.
  bool Check(const Path& path, std::string& error) {
    if (!Ready(path, error)) return false;
    SpriteParticleSystem& system = SystemOf(path);
    system.UpdateRecursive(FRAME_TIME, false);
    Draw(system);
    const RendererWindow::Coverage covered = window.EndFrameRead(CLEAR_COLOR);
    const RenderStats stats = window.GetRenderer().GetStats();
    std::printf("%-21s caps \"%s\": %d live, %d written, %d draws, %d uploads; %d pixels drawn, %d of %d in the "
                "centre\n",
                path.name, path.limits, system.GetLiveCount(), system.GetDrawCount(), stats.draws, stats.uploads,
                covered.all, covered.centre, covered.centreSize);
    if (system.GetLiveCount() != PARTICLES || system.GetDrawCount() != PARTICLES) {
      error = "not every particle is alive and written";
    } else if (system.UsesPointSprites() != path.pointSprites) {
      error = "the particles are not written as the path draws them";
    } else if (stats.draws != 1) {
      error = "the particles are not drawn in one draw";
    } else if (2 * covered.centre < covered.centreSize) {
      error = "the centre of the picture is not drawn";
    } else if (!window.GetComplaints().empty()) {
      error = "the renderer logged: " + window.GetComplaints().front();
    }
    return error.empty();
  }

  SpriteParticleSystem& SystemOf(const Path& path) const { return *systems[path.pointSprites ? 0 : 1]; }

  void Draw(SpriteParticleSystem& system) {
    Renderer& renderer = window.GetRenderer();
    renderer.Clear(Renderer::CLEAR_COLOR | Renderer::CLEAR_DEPTH, Color{0.0f, 0.0f, 0.0f, 1.0f}, 1.0f, 0);
    renderer.BeginFrame();
    system.Render(renderer);
    renderer.FlushSorted();
  }

  // First made, last gone: the systems go before the renderer.
  RendererWindow window;
  bool ready = false;
  Ptr<Camera> camera;
  Ptr<Texture> spot;
  Ptr<SpriteParticleSystem> systems[2];  // the point sprites', the quads'
};

}  // namespace
}  // namespace ynx

int main(int argc, char** argv) {
  return ynx::RendererRace::Main<ynx::Race>(argc, argv, ynx::PATHS, {{"BM_Quads / points", 1, 0}, {"BM_QuadsUpdate / points", 3, 2}});
}
