#include "app/ScreensaverApplication.h"

#include <cstdint>
#include <iterator>

#include "app/SettingsText.h"
#include "engine/core/EngineLists.h"
#include "engine/core/Log.h"
#include "engine/io/CodecManager.h"
#include "engine/io/FileManager.h"
#include "engine/render/Renderer.h"
#include "engine/system/ModuleManager.h"
#include "platform/os/MessageBox.h"
#include "platform/os/ProcessCommandLine.h"
#include "platform/resources/ResourceTable.h"

namespace ynx {

ScreensaverApplication::ScreensaverApplication() : registry(Registry::DefaultFilePath()) {}

int32_t ScreensaverApplication::Create() {
  commandLine = ParseCommandLine(ProcessCommandLine::Current().Line().c_str());
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
  running = true;
  return 0;
}

int32_t ScreensaverApplication::Run() {
  if (commandLine.mode == RUN_MODE_PASSWORD) return 0;
  LogError("Режим скринсейвера %d в этой сборке ещё не реализован.", commandLine.mode);
  return 1;
}

int32_t ScreensaverApplication::Destroy() {
  // No mode has a window of its own yet, so there is nothing to destroy.
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
  for (const Settings::Field& field : Settings::FIELDS) {
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
    const bool fullSet = commandLine.mode == RUN_MODE_SCREENSAVER || commandLine.mode == RUN_MODE_TEST;
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
  }
  return OnEngineStarted();
}

int32_t ScreensaverApplication::StopEngine() {
  if (OnEngineStopping() != 0) return 1;
  if (commandLine.mode != RUN_MODE_PASSWORD) {
    ReleaseRenderer();
    if (ShutdownEngine() != 0) {
      LogError("Невозможно завершить работу движка.");
      return 1;
    }
  }
  return 0;
}

// Only the configuration and password modes go without windows so far.
int32_t ScreensaverApplication::CreateWindows() {
  if (commandLine.mode == RUN_MODE_CONFIGURE || commandLine.mode == RUN_MODE_PASSWORD) return 0;
  LogError("Окна режима %d в этой сборке ещё не реализованы.", commandLine.mode);
  return 1;
}

}  // namespace ynx
