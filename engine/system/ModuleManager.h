#pragma once

#include <cstdint>

#include "engine/core/HashMap.h"
#include "engine/core/Ptr.h"
#include "engine/system/DynamicModule.h"
#include "engine/system/Module.h"

namespace ynx {

// Keeps every loaded module in one table by name, between its start and stop
// in the engine's lists.
class ModuleManager {
 public:
  static int32_t Initialize();
  // Drops the table's references; a module dies when nothing else holds it.
  static int32_t Shutdown();

  // The table takes a reference. 3 for null, 1 for a taken name.
  static int32_t RegisterModule(Module* module);
  static Module* FindModule(const String& name);
  // A registered module, or a dynamic library "<name>.dll" found through the
  // library locator, initialised and registered. The result address may be null.
  static int32_t LoadModule(const String& name, Module** module);
  static int32_t LoadDynamicModule(DynamicModule** module, const String& name);
  static int32_t UnloadDynamicModule(DynamicModule* module);

  // How a library file is found by name: the disk path of the file, or false.
  // The file system sets it while it runs; without it no library is found.
  using LibraryLocator = bool (*)(const String& fileName, String& path);
  static void SetLibraryLocator(LibraryLocator locator) { libraryLocator = locator; }

  // Walks the table in bucket order; null before initialisation.
  static const HashMap<String, Ptr<Module>>* Table() { return table; }

 private:
  static inline HashMap<String, Ptr<Module>>* table = nullptr;
  static inline LibraryLocator libraryLocator = nullptr;
};

}  // namespace ynx
