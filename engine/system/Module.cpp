#include "engine/system/Module.h"

#include "engine/core/EngineLists.h"
#include "engine/core/Log.h"

namespace ynx {

void Module::RunShutdown() {
  EngineFunction shutdown = nullptr;
  if (FindFunction(&shutdown, String("Shutdown")) != 0) {
    LogWarning("В модуле не найдена функция завершения работы модуля [%s].", GetName().CStr());
    return;
  }
  if (shutdown() != 0) LogError("Неудачно завершение работы модуля.");
}

}  // namespace ynx
