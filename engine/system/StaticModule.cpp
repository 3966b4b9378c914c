#include "engine/system/StaticModule.h"

#include "engine/core/Log.h"

namespace ynx {

StaticModule::~StaticModule() { RunShutdown(); }

int32_t StaticModule::FindSymbol(ModuleSymbol* symbol, const String& name) {
  if (symbol == nullptr) {
    LogWarning("Указатель на символ [%s] равен 0.", name.CStr());
    return 3;
  }
  const ModuleSymbol* found = symbols.Find(name);
  if (found == nullptr) {
    LogWarning("Невозможно найти символ [%s] в модуле [%s].", name.CStr(), GetName().CStr());
    return 1;
  }
  *symbol = *found;
  return 0;
}

}  // namespace ynx
