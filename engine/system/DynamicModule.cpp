#include "engine/system/DynamicModule.h"

#include <dlfcn.h>

#include "engine/core/Log.h"
#include "engine/system/ModuleManager.h"

namespace ynx {

DynamicModule::~DynamicModule() {
  RunShutdown();
  if (library != nullptr && ModuleManager::UnloadDynamicModule(this) != 0) {
    LogError("Невозможно выгрузить динамический модуль [%s].", GetName().CStr());
  }
}

bool DynamicModule::Open(const String& path) {
  library = dlopen(path.CStr(), RTLD_NOW | RTLD_LOCAL);
  return library != nullptr;
}

int32_t DynamicModule::FindSymbol(ModuleSymbol* symbol, const String& name) {
  if (symbol == nullptr || library == nullptr) {
    LogWarning("Указатель при поиске символа [%s] равен 0.", name.CStr());
    return 3;
  }
  void* address = dlsym(library, name.CStr());
  if (address == nullptr) {
    LogWarning("Символ [%s] не найден в модуле [%s].", name.CStr(), GetName().CStr());
    return 1;
  }
  *symbol = reinterpret_cast<ModuleSymbol>(address);
  return 0;
}

}  // namespace ynx
