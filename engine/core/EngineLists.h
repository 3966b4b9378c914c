#pragma once

#include <cstdint>

#include "engine/core/Array.h"

namespace ynx {

constexpr int32_t ENGINE_VERSION_MAJOR = 0;
constexpr int32_t ENGINE_VERSION_MINOR = 1;
constexpr int32_t ENGINE_VERSION_BUILD = 2;

// A start-up or shutdown step; 0 is success.
using EngineFunction = int32_t (*)();

// The engine's initialisation, post-initialisation and shutdown lists. The
// engine has one set (Global), filled during static initialisation by
// classes, services and built-in modules; each list keeps registration order
// and is made on its first registration.
class EngineLists {
 public:
  EngineLists() = default;
  EngineLists(const EngineLists&) = delete;
  EngineLists& operator=(const EngineLists&) = delete;
  ~EngineLists();

  static EngineLists& Global();

  void AddInit(EngineFunction function);
  void AddPostInit(EngineFunction function);
  void AddShutdown(EngineFunction function);

  // Runs the initialisation list, then the post-initialisation list.
  // Functions appended while a list runs run in the same pass. 0, or 1 at the
  // first failing function.
  int32_t Initialize();
  // Runs the shutdown list in registration order; 0, or 1 at the first failure.
  int32_t Shutdown();

  uint32_t InitCount() const { return init != nullptr ? init->Count() : 0; }
  uint32_t PostInitCount() const { return postInit != nullptr ? postInit->Count() : 0; }
  uint32_t ShutdownCount() const { return shutdown != nullptr ? shutdown->Count() : 0; }

 private:
  using FunctionList = Array<EngineFunction>;

  FunctionList* init = nullptr;
  FunctionList* postInit = nullptr;
  FunctionList* shutdown = nullptr;
};

inline void AddInitFunction(EngineFunction function) { EngineLists::Global().AddInit(function); }
inline void AddPostInitFunction(EngineFunction function) {
  EngineLists::Global().AddPostInit(function);
}
inline void AddShutdownFunction(EngineFunction function) {
  EngineLists::Global().AddShutdown(function);
}
inline int32_t InitializeEngine() { return EngineLists::Global().Initialize(); }
inline int32_t ShutdownEngine() { return EngineLists::Global().Shutdown(); }

}  // namespace ynx
