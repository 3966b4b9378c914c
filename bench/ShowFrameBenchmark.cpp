// The show's frames, one benchmark per camera set: the built Media.rar2
// mounted, its Main.STR loaded and drawn through the "DirectX9" renderer
// at 1280 x 720, the scene's screensaver controller started on the set.
//
// A frame is the screensaver's: the update, clear, BeginFrame, Render,
// FlushSorted and EndFrame (which presents, so the driver has finished
// the picture). The frames of a run step evenly through the whole set, so
// every view of the shot is in the figures. Wall time is the benchmark's
// time; "CPU" is the drawing thread's; the counters give the whole
// process's processor time a frame (llvmpipe rasterises on threads of its
// own) and the drawing thread's time in the update alone (the engine's
// animation, skinning and particles, no driver). Needs an X display.

#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdio>
#include <memory>
#include <string>

#include "bench/RendererWindow.h"
#include "engine/io/CodecManager.h"
#include "engine/io/File.h"
#include "engine/io/FileManager.h"
#include "engine/io/STRSceneCodec.h"
#include "engine/render/ScreensaverController.h"
#include "engine/scene/Node.h"
#include "engine/system/ModuleManager.h"

namespace ynx {
namespace {

constexpr int32_t WIDTH = 1280;
constexpr int32_t HEIGHT = 720;
constexpr int32_t FRAMES = 150;
constexpr const char* CODECS[] = {"JPGImageCodec", "TGAImageCodec", "STRSceneCodec", "RAR2FileCodec"};

double Seconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

class Show {
 public:
  // False with the reason in `error`.
  bool Load(std::string& error) {
    if (!window.Create(WIDTH, HEIGHT, error)) return false;
    for (const char* codec : CODECS) {
      ModuleManager::LoadModule(String(codec), nullptr);
      CodecManager::GetCodec(String(codec), nullptr);
    }
    archive = std::make_unique<File>(String(YNX_MEDIA_ARCHIVE));
    File* file = FileManager::MountArchive(archive.get(), String()) == 0
                     ? FileManager::FindFile(String("Main.STR"))
                     : nullptr;
    Object* loaded = nullptr;
    if (file == nullptr || STRSceneCodec().Load(file, &loaded) != 0) {
      error = std::string(YNX_MEDIA_ARCHIVE) + " holds no scene the engine loads";
      return false;
    }
    root = loaded;
    scene = dynamic_cast<Node*>(loaded);
    Array<Object*> directors(1, 1);
    root->CollectByType(ScreensaverController::Type(), directors);
    director = directors.Count() > 0 ? static_cast<ScreensaverController*>(directors[0]) : nullptr;
    if (scene == nullptr || director == nullptr) {
      error = "Main.STR has no scene root with a screensaver controller";
      return false;
    }
    // Its sound nodes find no sound service here: what they logged while
    // loading is no frame's.
    window.GetComplaints().clear();
    return true;
  }

  // The drawing thread's seconds in the update.
  double Frame(double step) {
    Renderer& renderer = window.GetRenderer();
    const double start = Seconds(CLOCK_THREAD_CPUTIME_ID);
    scene->UpdateRecursive(step, true);
    const double update = Seconds(CLOCK_THREAD_CPUTIME_ID) - start;
    renderer.Clear(Renderer::CLEAR_COLOR | Renderer::CLEAR_DEPTH, Color{0.0f, 0.0f, 0.0f, 1.0f}, 1.0f, 0);
    renderer.BeginFrame();
    scene->Render(renderer);
    renderer.FlushSorted();
    renderer.EndFrame();
    return update;
  }

  RendererWindow window;
  std::unique_ptr<File> archive;
  Ptr<Object> root;
  Node* scene = nullptr;
  ScreensaverController* director = nullptr;
};

// Made and dropped by main, around the benchmarks.
std::unique_ptr<Show> show;

void BM_CameraSet(benchmark::State& state) {
  const auto set = static_cast<int32_t>(state.range(0));
  if (set > show->director->GetSetCount()) {
    state.SkipWithError("the show has fewer camera sets");
    return;
  }
  show->director->StartSet(set - 1);
  // One step short of the cut at the set's end; the first frames upload
  // what the set shows for the first time.
  const double step = show->director->GetSet(set - 1).duration / (FRAMES + 1);
  show->Frame(0.0);
  show->Frame(0.0);
  double process = 0.0;
  double update = 0.0;
  for (auto _ : state) {
    const double start = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    update += show->Frame(step);
    process += Seconds(CLOCK_PROCESS_CPUTIME_ID) - start;
  }
  const auto frames = static_cast<double>(state.iterations());
  state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
  state.counters["process_ms"] = process * 1000.0 / frames;
  state.counters["update_ms"] = update * 1000.0 / frames;
  state.SetLabel(show->director->GetSet(set - 1).camera->GetName().CStr());
}
BENCHMARK(BM_CameraSet)->DenseRange(1, 5)->Iterations(FRAMES)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace ynx

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  std::string error;
  ynx::show = std::make_unique<ynx::Show>();
  if (!ynx::show->Load(error)) {
    std::fprintf(stderr, "ynx_show_frame_benchmark: %s\n", error.c_str());
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  for (const std::string& line : ynx::show->window.GetComplaints()) {
    std::fprintf(stderr, "logged while drawing: %s\n", line.c_str());
  }
  ynx::show.reset();
  benchmark::Shutdown();
  return 0;
}
