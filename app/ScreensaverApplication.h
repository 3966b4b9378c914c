#pragma once

#include <cstdint>
#include <string>

#include "app/CommandLine.h"
#include "app/Overlay.h"
#include "app/PreviewWindow.h"
#include "app/RunOptions.h"
#include "app/Settings.h"
#include "app/SettingsDialogMessage.h"
#include "engine/core/HashMap.h"
#include "engine/system/FpsCounter.h"
#include "engine/system/FramePacer.h"
#include "engine/system/InputHandler.h"
#include "engine/system/Timer.h"
#include "platform/registry/Registry.h"

namespace ynx {

class SettingsDialogModel;

// The screensaver's application object: the run mode, the settings and texts,
// the engine start and stop of each mode, and the three phases the program's
// entry drives. What is particular to the scene lives in the derived class's
// hooks. It is the program's one input handler.
class ScreensaverApplication : public InputHandler {
 public:
  // Resource numbers of the embedded settings and texts.
  static constexpr int32_t SETTINGS_RESOURCE = 239;
  static constexpr int32_t TEXTS_RESOURCE = 229;

  // Start-up: the command line, the settings, then the engine and windows of
  // the mode.
  int32_t Create();
  // The mode's loop; 0 when the user ended it.
  int32_t Run();
  // Teardown; also runs after a failed Create, so every step accepts a
  // partly built state.
  int32_t Destroy();

  // The embedded "MEDIADATA" text of that number, in the user's language.
  int32_t ReadEmbeddedText(int32_t id, String& text);
  // The defaults from the embedded settings text, each pair through
  // ApplySetting.
  int32_t LoadDefaults();
  int32_t ApplySetting(const String& key, const String& value);
  // The defaults become the current settings.
  int32_t ApplyDefaults();
  // The current settings from the registry; on the first run the defaults
  // are written there instead.
  int32_t ReadRegistry();
  int32_t WriteRegistry();
  int32_t LogSettings();
  int32_t LoadTexts();
  // The text of that key, or null.
  const String* GetText(const String& key) const;

  int32_t GetMode() const { return commandLine.mode; }
  uint64_t GetParentWindow() const { return commandLine.parentWindow; }
  bool IsRunning() const { return running; }
  const Settings& GetSettings() const { return settings; }
  // The settings dialog edits the current settings in place.
  Settings& MutableSettings() { return settings; }
  // The configuration mode's dialog, handed in by the program's entry (the
  // view sits above this class): 1 after OK, 2 after Cancel, 0 or below
  // when it could not be shown.
  using SettingsDialog = int32_t (*)(ScreensaverApplication& application);
  void SetSettingsDialog(SettingsDialog dialog) { settingsDialog = dialog; }
  const Settings& GetDefaults() const { return defaults; }
  const String& GetRegistryPath() const { return registryPath; }
  const String& GetWebSiteUrl() const { return webSiteUrl; }
  const RunOptions& GetRunOptions() const { return options; }

  // The end of the saver: the window closed, a key or button pressed, or
  // the mouse moved once too often; then every event goes on to
  // OnInputEvent.
  void OnInput(const InputEvent& event) override;

  // The overlay quad, its camera and pictures, then the derived class's
  // render data.
  int32_t CreateVisuals();
  // One frame with the loading pictures, left on screen while the scene
  // loads.
  int32_t ShowLoadingScreen();
  // The frame rate and the clock over the frame; always 0.
  int32_t DrawOverlay();
  int32_t DestroyVisuals();

 protected:
  explicit ScreensaverApplication(const RunOptions& runOptions = RunOptions());

  virtual int32_t OnDefaultsApplied() = 0;
  virtual int32_t OnSettingsLogged() = 0;
  // Every pair of the settings text, known or not.
  virtual int32_t OnSetting(const String& key, const String& value) = 0;
  // With the registry still open at the settings key.
  virtual int32_t OnRegistryRead(Registry& store, const std::string& keyPath) = 0;
  virtual int32_t OnRegistryWrite(Registry& store, const std::string& keyPath) = 0;
  // Every event of the configuration dialog, after the dialog has acted on
  // it; what it returns goes back to the view (for PAINT: 1 when it drew).
  virtual int32_t OnSettingsDialogMessage(SettingsDialogModel& dialog,
                                          const SettingsDialogMessage& message) = 0;
  // The end of every refresh of the dialog's controls.
  virtual int32_t OnSettingsDialogInit() = 0;
  virtual int32_t OnEngineStarted() = 0;
  virtual int32_t OnEngineStopping() = 0;
  virtual int32_t OnInputEvent(const InputEvent& event) = 0;
  // The frame's work; frameTime in seconds.
  virtual int32_t Update(double frameTime) = 0;
  virtual int32_t Render() = 0;
  virtual int32_t CreateRenderData() = 0;
  virtual int32_t DestroyRenderData() = 0;
  virtual int32_t LoadData() = 0;
  virtual int32_t FreeData() = 0;
  virtual int32_t CacheData() = 0;
  // For a derived screensaver that refreshes a dialog of its own; nothing
  // here calls it.
  virtual int32_t OnSettingsDialogRefresh(SettingsDialogModel& dialog) = 0;

  Overlay& GetOverlay() { return overlay; }

 private:
  // The dialog passes its events on to the hooks above.
  friend class SettingsDialogModel;

  // Feeds every line of an embedded text to the consumer.
  template <typename Consumer>
  int32_t ReadPairs(int32_t id, const char* loaded, const char* missing, Consumer consume);
  // Loads the registry file once (logging what it had to do), then opens or
  // creates the settings key.
  int32_t OpenRegistryKey(bool& created, int& error);
  int32_t StartEngine();
  int32_t StopEngine();
  int32_t CreateWindows();
  // The window of the show on the chosen display mode, then the sound.
  int32_t CreateShowWindow();
  // The preview picture inside the host's window.
  int32_t CreatePreviewWindow();
  // The display mode the settings (or the platform options) ask for; -1
  // when there is none.
  int32_t ChooseDisplayMode() const;
  void StartSound();
  // Modes 1 and 2: everything between the windows and the first frame.
  int32_t PrepareShow();
  int32_t RunFrames();
  // Sleeps while the show cannot be seen (the display asleep, the window
  // hidden); 1 when input could not be read meanwhile.
  int32_t WaitWhileUnseen();
  // The frame read back into the screenshot file, when one is asked for.
  void SaveScreenshot(int32_t frame, bool last);
  bool ShowsScene() const;

  CommandLine commandLine;
  Settings defaults;
  Settings settings;
  String registryPath{"Software\\Quorvane\\Test Screensaver"};
  String webSiteUrl;
  HashMap<String, String> texts;
  Registry registry;
  bool registryLoaded = false;
  bool running = false;
  RunOptions options;
  Timer frameTimer;
  FpsCounter fpsCounter;
  FramePacer framePacer;
  // Mouse moves left before one ends the saver; never reset.
  int32_t movesLeft = 10;
  bool cursorHidden = false;
  Overlay overlay;
  PreviewWindow previewWindow;
  SettingsDialog settingsDialog = nullptr;
};

}  // namespace ynx
