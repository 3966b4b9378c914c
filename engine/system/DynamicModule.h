#pragma once

#include "engine/system/Module.h"

namespace ynx {

// A module in a shared library, loaded with dlopen.
class DynamicModule : public Module {
 public:
  explicit DynamicModule(const String& name) : Module(name) {}
  ~DynamicModule() override;

  int32_t FindSymbol(ModuleSymbol* symbol, const String& name) override;

  // Loads the library at the path; false when it cannot be loaded.
  bool Open(const String& path);
  bool IsOpen() const { return library != nullptr; }

 private:
  friend class ModuleManager;
  void* library = nullptr;
};

}  // namespace ynx
