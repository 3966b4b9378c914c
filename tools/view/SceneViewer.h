#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/io/File.h"
#include "engine/render/TextureFont.h"
#include "engine/scene/Node.h"
#include "tools/common/ToolLog.h"
#include "tools/view/FreeCamera.h"
#include "tools/view/ViewOptions.h"

namespace ynx::tools {

// Loads a scene the way the screensaver does (engine, the "DirectX9"
// renderer, the codecs, the archive mounted, textures cached) and shows it
// in a window, animated, through its first camera or a free one.
class SceneViewer {
 public:
  explicit SceneViewer(const ViewOptions& options);
  // Scene, window, renderer and engine go in that order.
  ~SceneViewer();

  // 0 when every frame asked for was drawn (and written); 1 with one line
  // on standard error otherwise.
  int Run();

 private:
  bool Start(std::string& error);
  bool LoadScene(std::string& error);
  bool OpenWindow(std::string& error);
  void CacheTextures();
  bool ChooseCamera(std::string& error);
  bool ChooseFont(std::string& error);
  bool DrawFrame(int32_t frame, double elapsed, std::string& error);
  void PrintSummary() const;

  // Sums over the frames --stats reports, for the closing line.
  struct Timing {
    int32_t frames = 0;
    double wallSeconds = 0.0;
    double slowestSeconds = 0.0;
    double threadCpuSeconds = 0.0;
    double processCpuSeconds = 0.0;
  };

  const ViewOptions& options;
  Ptr<ToolLog> log;
  bool engineRunning = false;
  std::unique_ptr<File> archive;
  Ptr<Object> root;
  Node* scene = nullptr;
  Ptr<FreeCamera> freeCamera;
  Ptr<TextureFont> font;
  bool useFreeCamera = false;
  Timing timing;
};

}  // namespace ynx::tools
