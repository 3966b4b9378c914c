#include "engine/system/ModuleManager.h"

#include <dlfcn.h>

#include <new>

#include "engine/core/ClassHooks.h"
#include "engine/core/Log.h"

namespace ynx {
namespace {

[[maybe_unused]] const bool hooksQueued =
    QueueEngineHooks(&ModuleManager::Initialize, &ModuleManager::Shutdown);

}  // namespace

int32_t ModuleManager::Initialize() {
  LogInfo("Инициализация менеджера модулей.");
  if (table == nullptr) {
    table = new (std::nothrow) HashMap<String, Ptr<Module>>();
    if (table == nullptr) {
      LogError("Недостаточно памяти для инициализации менеджера модулей.");
      return 1;
    }
  }
  LogInfo("Менеджер модулей инициализирован.");
  return 0;
}

int32_t ModuleManager::Shutdown() {
  LogInfo("Завершение работы менеджера модулей.");
  // Out of reach before the modules go, in case one of them asks for another.
  HashMap<String, Ptr<Module>>* modules = table;
  table = nullptr;
  delete modules;
  LogInfo("Менеджер модулей завершил работу.");
  return 0;
}

int32_t ModuleManager::RegisterModule(Module* module) {
  if (module == nullptr) {
    LogWarning("Указатель на модуль равен 0 при регистрации.");
    return 3;
  }
  if (table != nullptr && table->Find(module->GetName()) != nullptr) {
    LogWarning("Модуль с именем [%s] уже зарегестрирован.", module->GetName().CStr());
    return 1;
  }
  if (table == nullptr || !table->Insert(module->GetName(), module)) {
    LogWarning("Невозможно вставить модуль [%s] в таблицу зарегестрированных модулей.",
               module->GetName().CStr());
    return 1;
  }
  return 0;
}

Module* ModuleManager::FindModule(const String& name) {
  if (table == nullptr) return nullptr;
  const Ptr<Module>* found = table->Find(name);
  return found != nullptr ? found->Get() : nullptr;
}

int32_t ModuleManager::LoadModule(const String& name, Module** module) {
  if (Module* found = FindModule(name)) {
    if (module != nullptr) *module = found;
    return 0;
  }
  LogInfo("Загружается модуль [%s].", name.CStr());
  DynamicModule* loaded = nullptr;
  const int32_t status = LoadDynamicModule(&loaded, name);
  if (status != 0) {
    LogError("Невозможно загрузить модуль [%s].", name.CStr());
    return status;
  }
  Ptr<Module> held(loaded);
  loaded->SetName(name);
  EngineFunction initialize = nullptr;
  if (loaded->FindFunction(&initialize, String("Initialize")) != 0) {
    LogWarning("В модуле не найдена функция инициализации модуля [%s].", name.CStr());
  } else if (initialize() != 0) {
    LogError("Неудачна инициализация модуля.");
    return 1;
  }
  if (RegisterModule(loaded) != 0) {
    LogError("Невозможно зарегестрировать модуль [%s].", name.CStr());
    return 1;
  }
  if (module != nullptr) *module = loaded;
  return 0;
}

int32_t ModuleManager::LoadDynamicModule(DynamicModule** module, const String& name) {
  if (module == nullptr) {
    LogWarning("Указатель на модуль [%s] равен 0.", name.CStr());
    return 3;
  }
  LogInfo("Загружается модуль [%s].", name.CStr());
  const String fileName = name + ".dll";
  String path;
  if (libraryLocator == nullptr || !libraryLocator(fileName, path)) {
    LogWarning("Не найден файл модуля [%s].", fileName.CStr());
    return 3;
  }
  DynamicModule* loaded = new (std::nothrow) DynamicModule(name);
  if (loaded == nullptr) {
    LogWarning("Недостаточно памяти для создания модуля [%s].", name.CStr());
    return 2;
  }
  if (!loaded->Open(path)) {
    delete loaded;
    LogWarning("Загрузка модуля [%s] неудачна.", name.CStr());
    return 1;
  }
  *module = loaded;
  return 0;
}

int32_t ModuleManager::UnloadDynamicModule(DynamicModule* module) {
  if (module == nullptr) {
    LogWarning("Указатель на модуль [%s] равен 0.", "");
    return 3;
  }
  LogInfo("Выгружается модуль [%s].", module->GetName().CStr());
  if (module->library == nullptr) return 0;
  if (dlclose(module->library) != 0) {
    LogWarning("Выгрузка модуля [%s] неудачна.", module->GetName().CStr());
    return 1;
  }
  module->library = nullptr;
  return 0;
}

}  // namespace ynx
