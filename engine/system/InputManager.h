#pragma once

#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/system/InputEvent.h"
#include "engine/system/InputHandler.h"

namespace ynx {

// Queues the events of the window procedure and hands them, once a frame,
// to every registered input handler. Started and stopped through the
// engine's lists.
class InputManager {
 public:
  static constexpr uint32_t QUEUE_CAPACITY = 128;
  static constexpr uint32_t QUEUE_INCREMENT = 128;

  static int32_t Initialize();
  // Frees the queue, drops the handlers' references and ends SDL's video.
  static int32_t Shutdown();

  // The list takes a reference and puts the handler first. 3 for null; a
  // handler already in the list stays where it is (0).
  static int32_t RegisterInputHandler(InputHandler* handler);
  // 3 for null or a handler that is not in the list.
  static int32_t UnregisterInputHandler(InputHandler* handler);

  // A copy joins the queue; dropped before initialisation.
  static void PostInputEvent(const InputEvent& event);
  // Pumps the window messages, then gives every queued event to every
  // handler, the newest handler first. Events posted meanwhile wait for the
  // next call. 0, or 1 when the pump fails.
  static int32_t DispatchInput();

  // The events waiting for the next dispatch; null before initialisation.
  static const Array<InputEvent>* Queue() { return queue; }
  static const Array<Ptr<InputHandler>>& Handlers() { return handlers; }

 private:
  static inline Array<InputEvent>* queue = nullptr;
  static inline Array<Ptr<InputHandler>> handlers{1, 1};
};

}  // namespace ynx
