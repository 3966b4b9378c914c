#pragma once

#include <cstdint>

#include "app/CommandLine.h"
#include "engine/core/Named.h"
#include "engine/core/RefCounted.h"

namespace ynx {

// The screensaver's application object: the run mode, the engine start and
// stop of each mode, and the three phases the program's entry drives. What is
// particular to the scene lives in the derived class's hooks.
class ScreensaverApplication : public virtual RefCounted, public Named {
 public:
  // Start-up: the command line, then the engine and windows of the mode.
  int32_t Create();
  // The mode's loop; 0 when the user ended it.
  int32_t Run();
  // Teardown; also runs after a failed Create, so every step accepts a
  // partly built state.
  int32_t Destroy();

  int32_t GetMode() const { return commandLine.mode; }
  uint64_t GetParentWindow() const { return commandLine.parentWindow; }
  bool IsRunning() const { return running; }

 protected:
  ScreensaverApplication() = default;

  virtual int32_t OnEngineStarted() = 0;
  virtual int32_t OnEngineStopping() = 0;

 private:
  int32_t StartEngine();
  int32_t StopEngine();
  int32_t CreateWindows();

  CommandLine commandLine;
  bool running = false;
};

}  // namespace ynx
