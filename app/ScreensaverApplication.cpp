#include "app/ScreensaverApplication.h"

#include "engine/core/EngineLists.h"
#include "engine/core/Log.h"
#include "platform/os/ProcessCommandLine.h"

namespace ynx {

int32_t ScreensaverApplication::Create() {
  commandLine = ParseCommandLine(ProcessCommandLine::Current().Line().c_str());
  LogInfo("Режим скринсейвера %d.", commandLine.mode);
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

// The password mode starts nothing; every other mode starts the engine and
// then needs the renderer, which this build does not have yet.
int32_t ScreensaverApplication::StartEngine() {
  if (commandLine.mode != RUN_MODE_PASSWORD) {
    if (InitializeEngine() != 0) {
      LogError("Невозможно инициализировать движок.");
      return 1;
    }
    LogError("Модуль рендерера [DirectX9] в этой сборке ещё не реализован.");
    LogError("Невозможно создать рендерер DirectX.");
    return 1;
  }
  return OnEngineStarted();
}

int32_t ScreensaverApplication::StopEngine() {
  if (OnEngineStopping() != 0) return 1;
  if (commandLine.mode != RUN_MODE_PASSWORD && ShutdownEngine() != 0) {
    LogError("Невозможно завершить работу движка.");
    return 1;
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
