#pragma once

#include <cstdint>

namespace ynx {

// One keyboard, mouse or window event as the window procedure queues it for
// the input handlers.
struct InputEvent {
  enum Device : int32_t { KEYBOARD = 0, MOUSE = 1, SYSTEM = 2 };
  // Keys and buttons are pressed and released, the mouse moves, the window
  // closes.
  enum Action : int32_t { PRESSED = 1, RELEASED = 2, MOVED = 3, CLOSED = 4 };
  enum Button : int32_t { LEFT_BUTTON = 0, RIGHT_BUTTON = 1, MIDDLE_BUTTON = 2 };

  int32_t device = KEYBOARD;
  int32_t action = 0;
  // The engine's key code, the button, or the x of a move in client pixels.
  int32_t code = 0;
  // The y of a move; 0 otherwise.
  int32_t value = 0;

  bool operator==(const InputEvent& other) const = default;
};

}  // namespace ynx
