// The built-in renderer module "DirectX9", registered after the engine's
// services have started.
#include <dlfcn.h>

#include <new>

#include "engine/core/EngineLists.h"
#include "engine/render/Renderer.h"
#include "engine/system/ModuleManager.h"
#include "engine/system/StaticModule.h"
#include "modules/d3d9/D3D9Renderer.h"

namespace ynx {
namespace {

int32_t NothingToDo() { return 0; }

// One renderer at a time. The device draws with the system's OpenGL: its
// absence fails here, before any window is made.
int32_t CreateRenderer(Renderer** out) {
  if (Renderer::GetCurrent() != nullptr || out == nullptr) return 1;
  void* library = dlopen("libGL.so.1", RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return 1;
  dlclose(library);
  *out = new (std::nothrow) D3D9Renderer();
  return *out != nullptr ? 0 : 1;
}

int32_t RegisterRendererModule() {
  Ptr<StaticModule> module(new (std::nothrow) StaticModule(String("DirectX9")));
  if (!module) return 1;
  module->AddSymbol(String("Initialize"), &NothingToDo);
  module->AddSymbol(String("Shutdown"), &NothingToDo);
  module->AddSymbol(String("CreateRenderer"), &CreateRenderer);
  return ModuleManager::RegisterModule(module.Get()) == 0 ? 0 : 1;
}

[[maybe_unused]] const bool queued = [] {
  AddPostInitFunction(&RegisterRendererModule);
  return true;
}();

}  // namespace
}  // namespace ynx
