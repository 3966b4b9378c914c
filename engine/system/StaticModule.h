#pragma once

#include "engine/core/HashMap.h"
#include "engine/system/Module.h"

namespace ynx {

// A module built into the program: its exports are a table of functions.
class StaticModule : public Module {
 public:
  explicit StaticModule(const String& name) : Module(name) {}
  ~StaticModule() override;

  int32_t FindSymbol(ModuleSymbol* symbol, const String& name) override;

  template <typename Function>
  void AddSymbol(const String& name, Function function) {
    symbols.Insert(name, reinterpret_cast<ModuleSymbol>(function));
  }

 private:
  HashMap<String, ModuleSymbol> symbols;
};

}  // namespace ynx
