#pragma once

#include "app/PictureScaler.h"
#include "app/ScreensaverApplication.h"
#include "engine/core/Ptr.h"

namespace ynx {

class ColorEffect;
class Object;
class ScreensaverController;

// The screensaver that shows the scene "Main.STR" from the media archive:
// loads it and fits it to the settings and the graphics card, caches its
// textures, and each frame updates and draws it with the camera sets'
// fades over it.
class SceneScreensaver : public ScreensaverApplication {
 public:
  explicit SceneScreensaver(const RunOptions& runOptions = RunOptions());
  ~SceneScreensaver() override;

  Object* GetScene() const { return scene.Get(); }
  ScreensaverController* GetSceneController() const { return sceneController; }

 protected:
  int32_t OnDefaultsApplied() override { return 0; }
  int32_t OnSettingsLogged() override { return 0; }
  int32_t OnSetting(const String&, const String&) override { return 0; }
  int32_t OnRegistryRead(Registry&, const std::string&) override { return 0; }
  int32_t OnRegistryWrite(Registry&, const std::string&) override { return 0; }
  // Draws the settings picture into its frame.
  int32_t OnSettingsDialogMessage(SettingsDialogModel& dialog,
                                  const SettingsDialogMessage& message) override;
  int32_t OnSettingsDialogInit() override { return 0; }
  int32_t OnSettingsDialogRefresh(SettingsDialogModel&) override { return 0; }
  int32_t OnEngineStarted() override { return 0; }
  int32_t OnEngineStopping() override { return 0; }
  int32_t OnInputEvent(const InputEvent&) override { return 0; }

  int32_t Update(double frameTime) override;
  int32_t Render() override;
  int32_t CreateRenderData() override;
  int32_t DestroyRenderData() override;
  int32_t LoadData() override;
  int32_t FreeData() override;
  int32_t CacheData() override;

 private:
  // Shadow maps go where the card has no depth textures.
  void RemoveShadowmaps();

  Ptr<Object> scene;
  // Owned by the scene.
  ScreensaverController* sceneController = nullptr;
  Ptr<ColorEffect> fadeEffect;
  // The settings picture, decoded at the dialog's first paint.
  PictureScaler settingsPicture;
  bool settingsPictureRead = false;
};

}  // namespace ynx
