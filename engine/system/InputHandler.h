#pragma once

#include "engine/core/Named.h"
#include "engine/core/RefCounted.h"
#include "engine/system/InputEvent.h"

namespace ynx {

// Anything that wants the queued input events once per frame; the
// application is the one handler of the program.
class InputHandler : public virtual RefCounted, public Named {
 public:
  virtual void OnInput(const InputEvent& event) = 0;
};

}  // namespace ynx
