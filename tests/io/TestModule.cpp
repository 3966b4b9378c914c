// A module as a shared library, for the module manager's tests.

#include <cstdint>

namespace {
int32_t initialized = 0;
}

extern "C" {
int32_t Initialize() {
  initialized = 1;
  return 0;
}
int32_t Shutdown() { return 0; }
int32_t TestModuleInitialized() { return initialized; }
}
