#pragma once

#include <cstdint>

#include "engine/core/Named.h"
#include "engine/core/RefCounted.h"

namespace ynx {

// An exported function; callers cast it to the signature its name promises.
using ModuleSymbol = void (*)();

// Swappable code packaged under a name, exporting functions by name
// ("Initialize", "Shutdown", "CreateCodec", "CreateRenderer"). A module stays
// loaded while anything it created holds a reference to it.
class Module : public virtual RefCounted, public Named {
 public:
  explicit Module(const String& name) : Named(name) {}

  virtual int32_t FindSymbol(ModuleSymbol* symbol, const String& name) = 0;

  template <typename Function>
  int32_t FindFunction(Function* function, const String& name) {
    ModuleSymbol symbol = nullptr;
    const int32_t status = FindSymbol(&symbol, name);
    if (status == 0) *function = reinterpret_cast<Function>(symbol);
    return status;
  }

 protected:
  // Runs the "Shutdown" export; each concrete module calls it first thing in
  // its destructor, while its symbols can still be found.
  void RunShutdown();
};

}  // namespace ynx
