#pragma once

#include "app/ScreensaverApplication.h"

namespace ynx {

// The screensaver that shows the scene. Its scene work arrives with the
// scene, renderer and audio; the engine hooks have nothing to add.
class SceneScreensaver : public ScreensaverApplication {
 protected:
  int32_t OnEngineStarted() override { return 0; }
  int32_t OnEngineStopping() override { return 0; }
};

}  // namespace ynx
