#pragma once

#include "app/ScreensaverApplication.h"

namespace ynx {

// The screensaver that shows the scene. Its scene work arrives with the
// scene, renderer and audio; the settings and engine hooks have nothing to
// add.
class SceneScreensaver : public ScreensaverApplication {
 protected:
  int32_t OnDefaultsApplied() override { return 0; }
  int32_t OnSettingsLogged() override { return 0; }
  int32_t OnSetting(const String&, const String&) override { return 0; }
  int32_t OnRegistryRead(Registry&, const std::string&) override { return 0; }
  int32_t OnRegistryWrite(Registry&, const std::string&) override { return 0; }
  int32_t OnEngineStarted() override { return 0; }
  int32_t OnEngineStopping() override { return 0; }
};

}  // namespace ynx
