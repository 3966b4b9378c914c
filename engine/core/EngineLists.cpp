#include "engine/core/EngineLists.h"

#include <ctime>
#include <new>

#include "engine/core/Log.h"
#include "engine/core/Random.h"

namespace ynx {
namespace {

using FunctionList = Array<EngineFunction>;

void Add(FunctionList*& list, EngineFunction function, const char* noMemoryMessage) {
  if (list == nullptr) {
    list = new (std::nothrow) FunctionList(1, 2);
    if (list == nullptr) {
      LogCritical("%s", noMemoryMessage);
      return;
    }
  }
  list->Append(function);
}

// The count is read again after every call, so functions added meanwhile run.
bool RunAll(const FunctionList* list) {
  for (uint32_t i = 0; list != nullptr && i < list->Count(); ++i) {
    if ((*list)[i]() != 0) return false;
  }
  return true;
}

}  // namespace

EngineLists::~EngineLists() {
  delete init;
  delete postInit;
  delete shutdown;
}

EngineLists& EngineLists::Global() {
  static EngineLists lists;
  return lists;
}

void EngineLists::AddInit(EngineFunction function) {
  Add(init, function, "Недостаточно памяти для создания массива функций инициализации.");
}

void EngineLists::AddPostInit(EngineFunction function) {
  Add(postInit, function, "Недостаточно памяти для создания массива функций постинициализации.");
}

void EngineLists::AddShutdown(EngineFunction function) {
  Add(shutdown, function, "Недостаточно памяти для создания массива функций деинициализации.");
}

int32_t EngineLists::Initialize() {
  LogInfo("Инициализация движка v.%d.%d.%d:", ENGINE_VERSION_MAJOR, ENGINE_VERSION_MINOR,
          ENGINE_VERSION_BUILD);
  Random::Seed(static_cast<uint32_t>(std::time(nullptr)));
  if (!RunAll(init)) {
    LogError("Инициализация движка неудачно.");
    return 1;
  }
  LogInfo("Инициализация движка завершилась удачно.");
  LogInfo("Постинициализация движка:");
  if (!RunAll(postInit)) {
    LogError("Постинициализация движка неудачна.");
    return 1;
  }
  LogInfo("Постинициализация движка завершилась удачно.");
  return 0;
}

int32_t EngineLists::Shutdown() {
  LogInfo("Завершение работы движка:");
  if (!RunAll(shutdown)) {
    LogError("Завершение работы движка неудачно.");
    return 1;
  }
  LogInfo("Завершение работы движка завершилось удачно.");
  return 0;
}

}  // namespace ynx
