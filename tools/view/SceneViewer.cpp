#include "tools/view/SceneViewer.h"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/EngineLists.h"
#include "engine/core/Log.h"
#include "engine/io/CodecManager.h"
#include "engine/io/Directory.h"
#include "engine/io/FileManager.h"
#include "engine/io/STRSceneCodec.h"
#include "engine/render/Renderer.h"
#include "engine/render/ScreensaverController.h"
#include "engine/render/Texture.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/system/InputManager.h"
#include "engine/system/MessagePump.h"
#include "engine/system/ModuleManager.h"
#include "engine/io/PngFile.h"

namespace ynx::tools {
namespace {

// What the screensaver loads before its scene.
constexpr const char* CODECS[] = {"BMPImageCodec", "JPGImageCodec", "TGAImageCodec",
                                  "CUBEImageCodec", "STRSceneCodec", "RAR2FileCodec"};

double CpuSeconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A windowed mode with 32-bit colour, preferring a 24-bit depth buffer with
// stencil and no multisampling; -1 when the renderer lists none.
int32_t ChooseMode(const Renderer& renderer) {
  int32_t best = -1;
  int32_t bestScore = -1;
  const std::vector<DisplayModeDesc>& modes = renderer.GetModes();
  for (size_t index = 0; index < modes.size(); ++index) {
    const DisplayModeDesc& mode = modes[index];
    if (mode.fullscreen) continue;
    const int32_t score = (mode.colorBits == 32 ? 8 : 0) + (mode.depthBits == 24 ? 4 : 0) +
                          (mode.stencilBits == 8 ? 2 : 0) + (mode.samples == 1 ? 1 : 0);
    if (score > bestScore) {
      best = static_cast<int32_t>(index);
      bestScore = score;
    }
  }
  return best;
}

// The files under `folder` as a directory of the file system, so that the
// pictures a loose scene file names are found beside it. Each file is read
// from disk when it is opened.
void Attach(Directory& directory, const std::filesystem::path& folder, int32_t depth) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const String name(entry.path().filename().c_str());
    if (entry.is_regular_file(error)) {
      auto* file = new File(name);
      if (directory.AttachFile(file) != 0) delete file;
    } else if (entry.is_directory(error) && depth < 8) {
      // A directory made with its parent attaches itself.
      Attach(*new Directory(name, &directory), entry.path(), depth + 1);
    }
  }
}

void MountFolder(const std::filesystem::path& folder) {
  Directory* root = FileManager::Root();
  if (root == nullptr) return;
  Attach(*new Directory(String(folder.c_str()), root), folder, 0);
}

}  // namespace

SceneViewer::SceneViewer(const ViewOptions& viewOptions)
    : options(viewOptions), log(new ToolLog("ynx-view")) {
  RegisterMessageOutput(log.Get());
}

SceneViewer::~SceneViewer() {
  if (freeCamera) InputManager::UnregisterInputHandler(freeCamera.Get());
  freeCamera = nullptr;
  scene = nullptr;
  root = nullptr;
  if (Renderer* renderer = Renderer::GetCurrent()) renderer->Close();
  ReleaseRenderer();
  archive.reset();
  if (engineRunning) ShutdownEngine();
  UnregisterMessageOutput(log.Get());
}

int SceneViewer::Run() {
  std::string error;
  if (!Start(error) || !LoadScene(error) || !OpenWindow(error) || !ChooseCamera(error) || !ChooseFont(error)) {
    std::fprintf(stderr, "ynx-view: %s\n", error.c_str());
    return 1;
  }
  CacheTextures();
  using Clock = std::chrono::steady_clock;
  Clock::time_point last = Clock::now();
  for (int32_t frame = 1; options.frames == 0 || frame <= options.frames; ++frame) {
    const Clock::time_point now = Clock::now();
    double elapsed = options.step > 0.0 ? options.step : std::chrono::duration<double>(now - last).count();
    if (frame == 1) elapsed = options.startTime;
    last = now;
    PumpMessages();
    InputManager::DispatchInput();
    if (freeCamera->QuitRequested()) break;
    if (!DrawFrame(frame, elapsed, error)) {
      std::fprintf(stderr, "ynx-view: %s\n", error.c_str());
      return 1;
    }
  }
  if (options.stats) PrintSummary();
  return 0;
}

void SceneViewer::PrintSummary() const {
  if (timing.frames == 0) return;
  const double meanMs = timing.wallSeconds * 1000.0 / timing.frames;
  std::printf("after the first frame, %d %s: %.2f ms a frame (%.1f fps), slowest %.2f ms; "
              "drawing thread %.0f %% of the process's cpu\n",
              timing.frames, timing.frames == 1 ? "frame" : "frames", meanMs, 1000.0 / meanMs,
              timing.slowestSeconds * 1000.0,
              timing.processCpuSeconds > 0.0 ? 100.0 * timing.threadCpuSeconds / timing.processCpuSeconds : 0.0);
}

bool SceneViewer::Start(std::string& error) {
  if (!std::filesystem::is_regular_file(options.path)) {
    error = "no such file: " + options.path;
    return false;
  }
  engineRunning = InitializeEngine() == 0;
  if (!engineRunning) {
    error = "the engine does not start";
    return false;
  }
  if (CreateRendererFromModule(String("DirectX9")) != 0) {
    error = "no renderer";
    return false;
  }
  for (const char* codec : CODECS) {
    ModuleManager::LoadModule(String(codec), nullptr);
    CodecManager::GetCodec(String(codec), nullptr);
  }
  return true;
}

bool SceneViewer::LoadScene(std::string& error) {
  File* file = nullptr;
  std::unique_ptr<File> loose;
  if (options.archive) {
    archive = std::make_unique<File>(String(options.path.c_str()));
    if (FileManager::MountArchive(archive.get(), String()) != 0) {
      error = options.path + ": not an archive the engine can mount";
      return false;
    }
    file = FileManager::FindFile(String(options.entry.c_str()));
    if (file == nullptr) {
      error = options.path + " holds no " + options.entry;
      return false;
    }
  } else {
    MountFolder(std::filesystem::absolute(options.path).parent_path());
    loose = std::make_unique<File>(String(options.path.c_str()));
    file = loose.get();
  }
  STRSceneCodec codec;
  Object* loaded = nullptr;
  const int32_t status = codec.Load(file, &loaded);
  root = loaded;
  scene = dynamic_cast<Node*>(loaded);
  if (status != 0 || scene == nullptr) {
    error = (options.archive ? options.path + ":" + options.entry : options.path) + ": not a scene";
    return false;
  }
  // Bounds and world transformations before the first camera is placed.
  scene->UpdateRecursive(0.0, true);
  return true;
}

bool SceneViewer::OpenWindow(std::string& error) {
  Renderer* renderer = Renderer::GetCurrent();
  const int32_t mode = ChooseMode(*renderer);
  if (mode < 0 || renderer->Open(mode, String("ynx-view"), 0, 0, 0, options.width, options.height) != 0) {
    error = "no window with a device";
    return false;
  }
  return true;
}

// Depth maps first, then the rest, each once: as the screensaver caches.
void SceneViewer::CacheTextures() {
  Renderer* renderer = Renderer::GetCurrent();
  Array<Object*> found(16, 16);
  root->CollectByType(Texture::Type(), found);
  std::vector<Texture*> textures;
  for (uint32_t i = 0; i < found.Count(); ++i) {
    auto* texture = static_cast<Texture*>(found[i]);
    if (std::find(textures.begin(), textures.end(), texture) == textures.end()) textures.push_back(texture);
  }
  for (const bool depth : {true, false}) {
    for (Texture* texture : textures) {
      const Image* image = texture->GetImage();
      if ((image != nullptr && image->GetFormat() == Image::FORMAT_DEPTH) == depth) {
        renderer->SetTexture(texture, 0);
      }
    }
  }
  renderer->SetTexture(nullptr, 0);
}

bool SceneViewer::ChooseCamera(std::string& error) {
  Array<Object*> cameras(4, 4);
  root->CollectByType(Camera::Type(), cameras);
  const auto* bound = dynamic_cast<const SphereBoundingVolume*>(scene->GetWorldBound());
  freeCamera = new FreeCamera(bound != nullptr ? bound->GetCenter() : Vector3{},
                              bound != nullptr ? bound->GetRadius() : 1.0f);
  InputManager::RegisterInputHandler(freeCamera.Get());
  useFreeCamera = cameras.Count() == 0;
  if (useFreeCamera && !options.screenshot.empty()) {
    error = options.path + ": the scene has no camera to take the picture with";
    return false;
  }
  if (options.set == 0) {
    Renderer::GetCurrent()->SetCamera(useFreeCamera ? freeCamera->GetCamera()
                                                    : static_cast<Camera*>(cameras[0]));
    return true;
  }
  // The first controller, as the screensaver takes it; it makes the set's
  // camera current.
  Array<Object*> directors(1, 1);
  root->CollectByType(ScreensaverController::Type(), directors);
  auto* director = directors.Count() > 0 ? static_cast<ScreensaverController*>(directors[0]) : nullptr;
  const int32_t sets = director != nullptr ? director->GetSetCount() : 0;
  if (options.set > sets) {
    error = options.path + ": the scene has " + std::to_string(sets) + " camera sets";
    return false;
  }
  director->StartSet(options.set - 1);
  useFreeCamera = false;
  return true;
}

bool SceneViewer::ChooseFont(std::string& error) {
  if (options.font.empty()) return true;
  File* file = FileManager::FindFile(String(options.font.c_str()));
  const Ptr<Image> atlas = file != nullptr ? new Image(file, String(options.font.c_str())) : nullptr;
  if (!atlas || atlas->GetData() == nullptr) {
    error = options.font + ": no picture to cut glyphs from";
    return false;
  }
  font = new TextureFont(String("text"));
  font->SetTexture(new Texture(String("font"), atlas.Get()));
  // Glyphs of 16 x 24 pixels, 2 apart, whatever the window.
  font->SetCharSize(16.0f / static_cast<float>(options.width), 24.0f / static_cast<float>(options.height),
                    2.0f / static_cast<float>(options.width));
  return true;
}

bool SceneViewer::DrawFrame(int32_t frame, double elapsed, std::string& error) {
  Renderer* renderer = Renderer::GetCurrent();
  const auto wallStart = std::chrono::steady_clock::now();
  const double cpuStart = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
  const double processStart = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
  scene->UpdateRecursive(elapsed, true);
  if (useFreeCamera) freeCamera->Advance(elapsed);
  renderer->Clear(Renderer::CLEAR_COLOR | Renderer::CLEAR_DEPTH, Color{0.0f, 0.0f, 0.0f, 1.0f}, 1.0f, 0);
  if (renderer->BeginFrame() != 0) {
    error = "the device was lost";
    return false;
  }
  scene->Render(*renderer);
  renderer->FlushSorted();
  // The top left corner, a glyph's width in from the edges.
  if (font) {
    font->DrawText(font->GetCharWidth(), 1.0f - font->GetCharHeight(), 0.0f, "%s", options.text.c_str());
  }
  if (options.Captures(frame)) {
    const std::string name = options.ScreenshotName(frame);
    const Ptr<Image> picture = renderer->CaptureFrame();
    if (!picture) {
      error = "the frame cannot be read back";
      return false;
    }
    if (!PngFile::Write(name, *picture, error)) return false;
  }
  if (renderer->EndFrame() != 0) {
    error = "the frame cannot be shown";
    return false;
  }
  if (options.stats) {
    const RenderStats& stats = renderer->GetStats();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const double cpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart;
    // The process's time takes in the driver's rasterising threads.
    const double processCpu = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processStart;
    std::printf("frame %d: wall %.3f ms, cpu %.3f ms, draws %d, passes recorded %d, uploads %d, "
                "device objects %d, process cpu %.3f ms\n",
                frame, wall * 1000.0, cpu * 1000.0, stats.draws, stats.passesRecorded, stats.uploads,
                stats.deviceObjectsCreated, processCpu * 1000.0);
    // The first frame compiles programs and fills caches: it is left out.
    if (frame > 1) {
      ++timing.frames;
      timing.wallSeconds += wall;
      timing.slowestSeconds = std::max(timing.slowestSeconds, wall);
      timing.threadCpuSeconds += cpu;
      timing.processCpuSeconds += processCpu;
    }
  }
  return true;
}

}  // namespace ynx::tools
