#include "app/ScreensaverApplication.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>

#include "app/FpsFile.h"
#include "app/SettingsText.h"
#include "engine/audio/SoundLibrary.h"
#include "engine/audio/SoundManager.h"
#include "engine/core/EngineLists.h"
#include "engine/core/Log.h"
#include "engine/core/Random.h"
#include "engine/io/CodecManager.h"
#include "engine/io/FileManager.h"
#include "engine/io/Image.h"
#include "engine/io/PngFile.h"
#include "engine/render/Renderer.h"
#include "engine/system/InputManager.h"
#include "engine/system/ModuleManager.h"
#include "engine/system/ShowVisibility.h"
#include "engine/system/SystemCursor.h"
#include "engine/system/X11Embedding.h"
#include "platform/os/MessageBox.h"
#include "platform/os/ProcessCommandLine.h"
#include "platform/resources/ResourceTable.h"

namespace ynx {

namespace {

constexpr int32_t SOUND_FREQUENCY = 44100;
constexpr uint32_t SOUND_3D = 4;
// Seconds between looks at the display while the show is paused.
constexpr double PAUSED_TURN = 0.1;
// A look costs round trips to the X server: while the show is seen, one
// every few frames is soon enough.
constexpr int32_t FRAMES_PER_LOOK = 8;

}  // namespace

ScreensaverApplication::ScreensaverApplication(const RunOptions& runOptions)
    : registry(Registry::DefaultFilePath()), options(runOptions) {}

bool ScreensaverApplication::ShowsScene() const {
  return commandLine.mode == RUN_MODE_SCREENSAVER || commandLine.mode == RUN_MODE_TEST;
}

int32_t ScreensaverApplication::Create() {
  commandLine = ParseCommandLine(ProcessCommandLine::Current().Line().c_str());
  // xscreensaver names no switch: its options alone mean the show.
  if (options.hosted && commandLine.mode == RUN_MODE_CONFIGURE) commandLine.mode = RUN_MODE_SCREENSAVER;
  if (options.root && options.windowId == 0) options.windowId = X11Embedding::DisplayRoot();
  LogInfo("Режим скринсейвера %d.", commandLine.mode);
  if (LoadDefaults() != 0) {
    LogError("Невозможно загрузить значения параметров по-умолчанию.");
    return 1;
  }
  LogInfo("Значения параметров по-умолчанию загружены.");
  if (ApplyDefaults() != 0) {
    LogError("Невозможно установить значения параметров по-умолчанию.");
    return 1;
  }
  LogInfo("Значения параметров по-умолчанию установлены.");
  if (ReadRegistry() != 0) {
    LogError("Невозможно прочитать значения параметров из реестра.");
    return 1;
  }
  LogInfo("Значения параметров прочитаны из реестра.");
  // Only after the registry is read: the first run stores the defaults, not these.
  options.Override(settings);
  if (LogSettings() != 0) LogError("Невозможно вывести значения параметров.");
  if (LoadTexts() != 0) {
    LogError("Невозможно загрузить значения локальных данных.");
    return 1;
  }
  LogInfo("Значения локальных данных загружены.");
  if (StartEngine() != 0) {
    LogError("Невозможно инициализировать скринсейвер.");
    return 1;
  }
  LogInfo("Скринсейвер инициализирован.");
  if (CreateWindows() != 0) {
    LogError("Невозможно создать окна скринсейвера.");
    return 1;
  }
  LogInfo("Окна скринсейвера созданы.");
  if (ShowsScene() && PrepareShow() != 0) return 1;
  running = true;
  return 0;
}

int32_t ScreensaverApplication::PrepareShow() {
  Renderer* renderer = Renderer::GetCurrent();
  // Another program's window keeps its display's gamma.
  if (options.windowId == 0 && commandLine.parentWindow == 0) renderer->SetBrightness(settings.gamma);
  SoundManager::SetSoundVolume(settings.music || settings.sfx ? settings.volume : 0);
  if (CreateVisuals() != 0) {
    LogError("Невозможно создать данные визуализации.");
    return 1;
  }
  if (ShowLoadingScreen() != 0) {
    LogError("Невозможно вывести загрузочный экран.");
    return 1;
  }
  if (LoadData() != 0) {
    LogError("Невозможно создать данные скринсейвера.");
    return 1;
  }
  if (CacheData() != 0) {
    LogError("Невозможно закэшировать данные скринсейвера.");
    return 1;
  }
  return 0;
}

int32_t ScreensaverApplication::Run() {
  switch (commandLine.mode) {
    case RUN_MODE_SCREENSAVER:
    case RUN_MODE_TEST:
      return RunFrames();
    case RUN_MODE_PREVIEW:
      return previewWindow.Run();
    case RUN_MODE_CONFIGURE: {
      LogInfo("Запущен режим конфигурирования.");
      const int32_t result = settingsDialog != nullptr ? settingsDialog(*this) : -1;
      // A dialog that never opened is a failure, not a user's choice.
      return result <= 0 ? 1 : 0;
    }
    default:
      return 0;
  }
}

// The presentation paces the loop, and the frame cap when there is one.
int32_t ScreensaverApplication::RunFrames() {
  Renderer* renderer = Renderer::GetCurrent();
  framePacer.SetMaxFps(settings.maxFps);
  frameTimer.Reset();
  frameTimer.Start();
  FpsFile fpsFile(options.fpsFile);
  for (int32_t frame = 1; running; ++frame) {
    if (InputManager::DispatchInput() != 0) {
      LogError("Неудачна обработка ввода.");
      return 1;
    }
    if (frame % FRAMES_PER_LOOK == 0 && WaitWhileUnseen() != 0) return 1;
    // The input that ends the saver may have closed its window already:
    // drawing the rest of this frame would only fail.
    if (!running) break;
    const double elapsed = frameTimer.Elapsed();
    const double frameTime = options.timeStep > 0.0 ? options.timeStep : elapsed;
    fpsCounter.Tick();
    fpsFile.Tick();
    if (Update(frameTime) != 0) {
      LogError("Неудачно обновление сцены.");
      return 1;
    }
    renderer->Clear(Renderer::CLEAR_COLOR | Renderer::CLEAR_DEPTH, Color{0.0f, 0.0f, 0.0f, 1.0f}, 1.0f, 0);
    if (renderer->BeginFrame() != 0) {
      LogError("Неудачно начало рендеринга.");
      return 1;
    }
    if (Render() != 0) {
      LogError("Неудачен рендеринг.");
      return 1;
    }
    DrawOverlay();
    const bool last = options.frames > 0 && frame >= options.frames;
    SaveScreenshot(frame, last);
    renderer->EndFrame();
    if (last) running = false;
    framePacer.WaitForNextFrame();
  }
  return 0;
}

// Nothing is drawn while no one could see it; input and signals are still
// read, and the show's clock leaves the pause out.
int32_t ScreensaverApplication::WaitWhileUnseen() {
  const WindowHandle window = Renderer::GetCurrent()->GetWindow();
  if (!running || ShowVisibility::IsVisible(window)) return 0;
  while (running && !ShowVisibility::IsVisible(window)) {
    framePacer.Sleep(PAUSED_TURN);
    if (InputManager::DispatchInput() != 0) {
      LogError("Неудачна обработка ввода.");
      return 1;
    }
  }
  frameTimer.Elapsed();
  return 0;
}

void ScreensaverApplication::SaveScreenshot(int32_t frame, bool last) {
  if (options.screenshot.empty() || !(last || options.CapturesEveryFrame())) return;
  const Ptr<Image> picture = Renderer::GetCurrent()->CaptureFrame();
  std::string error = "the frame cannot be read back";
  if (!picture || !PngFile::Write(options.ScreenshotName(frame), *picture, error)) {
    LogError("Невозможно сохранить кадр [%s]: %s", options.ScreenshotName(frame).c_str(), error.c_str());
  }
}

void ScreensaverApplication::OnInput(const InputEvent& event) {
  switch (event.device) {
    case InputEvent::SYSTEM:
      if (event.action == InputEvent::CLOSED && event.code == 0) running = false;
      break;
    case InputEvent::MOUSE:
      if (event.action == InputEvent::PRESSED) running = false;
      if (event.action == InputEvent::MOVED && settings.exitOnMouseMove && --movesLeft < 0) {
        running = false;
      }
      break;
    case InputEvent::KEYBOARD:
      if (event.action == InputEvent::PRESSED) running = false;
      break;
    default:
      break;
  }
  OnInputEvent(event);
}

int32_t ScreensaverApplication::CreateVisuals() {
  overlay.Create();
  return CreateRenderData();
}

int32_t ScreensaverApplication::ShowLoadingScreen() {
  Renderer* renderer = Renderer::GetCurrent();
  if (overlay.DrawLoadingFrame(*renderer) != 0) return 1;
  // The loading frame is frame 0 of the pictures.
  if (options.CapturesEveryFrame()) SaveScreenshot(0, false);
  renderer->EndFrame();
  overlay.ReleaseLoadingPictures(*renderer);
  return 0;
}

int32_t ScreensaverApplication::DrawOverlay() {
  overlay.Draw(*Renderer::GetCurrent(), settings, fpsCounter.GetFps());
  return 0;
}

int32_t ScreensaverApplication::DestroyVisuals() {
  if (DestroyRenderData() != 0) {
    LogError("Невозможно удалить данные визуализации дочернего сейвера.");
    return 1;
  }
  overlay.Destroy();
  return 0;
}

int32_t ScreensaverApplication::Destroy() {
  if (ShowsScene()) {
    if (FreeData() != 0) {
      LogError("Невозможно удалить данные скринсейвера.");
      return 1;
    }
    if (DestroyVisuals() != 0) {
      LogError("Невозможно удалить данные визуализации.");
      return 1;
    }
  }
  previewWindow.Destroy();
  if (cursorHidden) {
    SystemCursor::Show(true);
    cursorHidden = false;
  }
  LogInfo("Окна скринсейвера удалены.");
  if (StopEngine() != 0) {
    LogError("Невозможно завершить работу скринсейвера.");
    return 1;
  }
  LogInfo("Скринсейвер завершил работу.");
  return 0;
}

int32_t ScreensaverApplication::ReadEmbeddedText(int32_t id, String& text) {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  if (!ResourceTable::Program().Find(id, "MEDIADATA", ResourceTable::UserLanguage(), &data,
                                     &size) ||
      size > static_cast<uint32_t>(INT32_MAX)) {
    LogError("Невозможно загрузить ресурс ID[%d].", id);
    text = String();
    return 1;
  }
  text = String(reinterpret_cast<const char*>(data), static_cast<int32_t>(size));
  return 0;
}

template <typename Consumer>
int32_t ScreensaverApplication::ReadPairs(int32_t id, const char* loaded, const char* missing,
                                          Consumer consume) {
  String text;
  if (ReadEmbeddedText(id, text) != 0) {
    LogInfo("%s", missing);
    return 1;
  }
  LogInfo("%s", loaded);
  int32_t position = 0;
  String line;
  while (SettingsText::NextLine(text.CStr(), position, text.Length(), line) == 0) {
    String key, value;
    SettingsText::SplitLine(line, key, value);
    if (consume(line, key, value) != 0) return 1;
  }
  return 0;
}

int32_t ScreensaverApplication::LoadDefaults() {
  return ReadPairs(SETTINGS_RESOURCE, "Ресурс настроек загружен.", "Ресурс настроек не загружен.",
                   [this](const String& line, const String& key, const String& value) {
                     if (ApplySetting(key, value) == 0) return 0;
                     LogError("Неудачна обработка параметра [%s].", line.CStr());
                     return 1;
                   });
}

int32_t ScreensaverApplication::ApplySetting(const String& key, const String& value) {
  if (key == "RegistryPath") {
    registryPath = value;
  } else if (key == "main_web_site_url") {
    webSiteUrl = value;
  }
  for (const Settings::Field& field : Settings::FIELDS) {
    if (!(key == field.key)) continue;
    int32_t number = 0;
    if (field.flag != nullptr) {
      // Anything that is not a number reads as false.
      SettingsText::ParseInteger(value, number);
      defaults.*field.flag = number != 0;
    } else if (SettingsText::ParseInteger(value, number)) {
      defaults.*field.number = number;
    }
  }
  defaults.ClampRanges();
  return OnSetting(key, value);
}

int32_t ScreensaverApplication::ApplyDefaults() {
  settings = defaults;
  return OnDefaultsApplied();
}

int32_t ScreensaverApplication::OpenRegistryKey(bool& created, int& error) {
  if (!registryLoaded) {
    registryLoaded = registry.Load(error);
    for (const std::string& notice : registry.Notices()) LogWarning("%s", notice.c_str());
    if (!registryLoaded) return 1;
  }
  return registry.CreateKey(registryPath.CStr(), created, error) ? 0 : 1;
}

int32_t ScreensaverApplication::ReadRegistry() {
  bool created = false;
  int error = 0;
  if (OpenRegistryKey(created, error) != 0) {
    LogError("Неудачна попытка открытия пути реестра [%s].", registryPath.CStr());
    MessageBox::ShowInformation("Error", Registry::ErrorText(error));
    return 1;
  }
  if (created) {
    LogInfo("Первый запуск скринсейвера. Запись параметров по-умолчанию в реестр...");
    if (WriteRegistry() != 0) {
      LogError("Невозможно записать в реестр значения по-умолчанию.");
      return 1;
    }
    LogInfo("Значения параметров по-умолчанию записаны в реестр.");
    return 0;
  }
  const std::string path(registryPath.CStr());
  // A value that is missing or of another type leaves the setting as it is.
  for (const Settings::Field& field : Settings::FIELDS) {
    uint32_t value = 0;
    if (!registry.QueryDword(path, field.key, value)) continue;
    if (field.flag != nullptr) {
      settings.*field.flag = value != 0;
    } else {
      settings.*field.number = static_cast<int32_t>(value);
    }
  }
  settings.ClampRanges();
  OnRegistryRead(registry, path);
  return 0;
}

int32_t ScreensaverApplication::WriteRegistry() {
  bool created = false;
  int error = 0;
  if (OpenRegistryKey(created, error) != 0) {
    LogError("Неудачна попытка открытия пути реестра [%s].", registryPath.CStr());
    return 1;
  }
  const std::string path(registryPath.CStr());
  for (const Settings::Field& field : Settings::FIELDS) {
    const uint32_t value = field.flag != nullptr ? (settings.*field.flag ? 1u : 0u)
                                                 : static_cast<uint32_t>(settings.*field.number);
    registry.SetDword(path, field.key, value);
  }
  OnRegistryWrite(registry, path);
  if (!registry.Flush(error)) {
    LogError("Неудачна попытка закрытия пути реестра [%s].", registryPath.CStr());
    return 1;
  }
  return 0;
}

int32_t ScreensaverApplication::LogSettings() {
  for (const Settings::Field& field : std::span(Settings::FIELDS).first(Settings::LOGGED_FIELDS)) {
    if (field.flag != nullptr) {
      LogInfo("%s: %s", field.key, settings.*field.flag ? "true" : "false");
    } else {
      LogInfo("%s: %d", field.key, settings.*field.number);
    }
  }
  return OnSettingsLogged();
}

int32_t ScreensaverApplication::LoadTexts() {
  // A key given twice keeps its first text.
  return ReadPairs(TEXTS_RESOURCE, "Ресурс локальных данных загружен.",
                   "Ресурс локальных данных не загружен.",
                   [this](const String&, const String& key, const String& value) {
                     texts.Insert(key, value);
                     return 0;
                   });
}

const String* ScreensaverApplication::GetText(const String& key) const { return texts.Find(key); }

// The password mode starts nothing. The others start the engine and the
// renderer, load the codecs they need and mount the interface pictures; the
// screensaver modes also mount the media. This build carries neither
// archive yet, so start-up ends at the first mount.
int32_t ScreensaverApplication::StartEngine() {
  if (commandLine.mode != RUN_MODE_PASSWORD) {
    if (InitializeEngine() != 0) {
      LogError("Невозможно инициализировать движок.");
      return 1;
    }
    if (CreateRendererFromModule(String("DirectX9")) != 0) {
      LogError("Невозможно создать рендерер DirectX.");
      return 1;
    }
    const bool fullSet = ShowsScene();
    static const char* const FULL[] = {"BMPImageCodec", "JPGImageCodec", "TGAImageCodec",
                                       "CUBEImageCodec", "STRSceneCodec", "RAR2FileCodec"};
    static const char* const REDUCED[] = {"BMPImageCodec", "JPGImageCodec", "RAR2FileCodec"};
    const char* const* codecs = fullSet ? FULL : REDUCED;
    const size_t count = fullSet ? std::size(FULL) : std::size(REDUCED);
    // Failures are logged where they happen and show when a file needs the codec.
    for (size_t i = 0; i < count; ++i) ModuleManager::LoadModule(String(codecs[i]), nullptr);
    for (size_t i = 0; i < count; ++i) CodecManager::GetCodec(String(codecs[i]), nullptr);
    if (FileManager::MountResource(134, String("CustomData.rar2"), String()) != 0) {
      LogError("Невозможно подсоединить директорию CustomData.");
      return 1;
    }
    if (fullSet && FileManager::MountResource(227, String("Media.rar2"), String()) != 0) {
      LogError("Невозможно подсоединить директорию Media.");
      return 1;
    }
    if (fullSet && InputManager::RegisterInputHandler(this) != 0) {
      LogError("Невозможно зарегистрировать обработчик событий.");
      return 1;
    }
    // The engine's start seeded its generator from the clock.
    if (options.seeded) Random::Seed(options.seed);
  }
  return OnEngineStarted();
}

int32_t ScreensaverApplication::StopEngine() {
  if (OnEngineStopping() != 0) return 1;
  if (commandLine.mode != RUN_MODE_PASSWORD) {
    // Device copies hold their renderer, and the renderer may still hold a
    // camera or node that holds them: the device goes first, so that the
    // renderer goes with the last reference.
    if (Renderer* renderer = Renderer::GetCurrent()) renderer->Close();
    ReleaseRenderer();
    if (ShutdownEngine() != 0) {
      LogError("Невозможно завершить работу движка.");
      return 1;
    }
  }
  return 0;
}

int32_t ScreensaverApplication::CreateWindows() {
  if (commandLine.mode == RUN_MODE_CONFIGURE || commandLine.mode == RUN_MODE_PASSWORD) return 0;
  return ShowsScene() ? CreateShowWindow() : CreatePreviewWindow();
}

int32_t ScreensaverApplication::CreatePreviewWindow() {
  const String* appName = GetText(String("AppName"));
  const String className = appName != nullptr ? *appName : String("QUORVANE 3D SCREENSAVER APPLICATION");
  File* file = FileManager::FindFile(String("preview.bmp"));
  const Ptr<Image> picture = file != nullptr ? new Image(file, String("preview.bmp")) : new Image();
  return previewWindow.Create(commandLine.parentWindow, className, *picture) ? 0 : 1;
}

int32_t ScreensaverApplication::ChooseDisplayMode() const {
  const Renderer* renderer = Renderer::GetCurrent();
  const std::vector<DisplayModeDesc>& modes = renderer->GetModes();
  // A window of our own or inside another program's: the first windowed
  // entry of the configured colour depth, else the first windowed one.
  if (options.windowed || options.windowId != 0) {
    int32_t any = -1;
    for (size_t i = 0; i < modes.size(); ++i) {
      if (modes[i].fullscreen) continue;
      if (modes[i].colorBits == settings.colorDepth) return static_cast<int32_t>(i);
      if (any < 0) any = static_cast<int32_t>(i);
    }
    return any;
  }
  if (settings.useDesktopSettings) return renderer->GetDesktopMode();
  for (size_t i = 0; i < modes.size(); ++i) {
    const DisplayModeDesc& mode = modes[i];
    if (mode.width >= 640 && mode.height >= 480 && mode.fullscreen && mode.width == settings.width &&
        mode.height == settings.height && mode.colorBits == settings.colorDepth) {
      return static_cast<int32_t>(i);
    }
  }
  return renderer->GetDesktopMode();
}

int32_t ScreensaverApplication::CreateShowWindow() {
  const int32_t modeIndex = ChooseDisplayMode();
  if (modeIndex == -1) {
    LogError("Невозможно найти подходящий видео режим.");
    return 1;
  }
  const String* appName = GetText(String("AppName"));
  const String title = appName != nullptr ? *appName : String("3D SCREENSAVER");
  const uint64_t parent = options.windowId != 0 ? options.windowId : commandLine.parentWindow;
  const bool ownSize = options.windowed && parent == 0;
  Renderer* renderer = Renderer::GetCurrent();
  if (renderer->Open(modeIndex, title, parent, 0, 0, ownSize ? options.width : 640,
                     ownSize ? options.height : 480) != 0) {
    LogError("Невозможно создать окно выбранного режима.");
    return 1;
  }
  StartSound();
  SystemCursor::Show(false);
  cursorHidden = true;
  return 0;
}

// A saver without sound runs on silently.
void ScreensaverApplication::StartSound() {
  const SoundLibrary::Entries& sound = SoundLibrary::Get();
  void* window = reinterpret_cast<void*>(static_cast<uintptr_t>(Renderer::GetCurrent()->GetWindow()));
  const bool started = sound.BASS_Init(-1, SOUND_FREQUENCY, SOUND_3D, window, nullptr) != 0;
  const uint32_t device = sound.BASS_GetDevice();
  const char* description = sound.BASS_GetDeviceDescription(device);
  if (description == nullptr) description = "";
  if (started) {
    LogInfo("Звук инициализирован. Устройство [%d] [%s]", static_cast<int32_t>(device), description);
  } else {
    LogError("Невозможно инициализировать звук. Причина [%d]. Устройство [%s]", sound.BASS_ErrorGetCode(),
             description);
  }
  sound.BASS_Set3DFactors(1.0f, 1.0f, 1.0f);
  sound.BASS_Apply3D();
}

}  // namespace ynx
