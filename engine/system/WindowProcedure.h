#pragma once

#include <cstdint>

#include "engine/system/SystemWindow.h"

namespace ynx {

// The window messages the pump hands the system window's procedure, with
// their Win32 values.
enum WindowMessage : uint32_t {
  WM_DESTROY = 0x0002,
  WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_SYSKEYDOWN = 0x0104,
  WM_SYSKEYUP = 0x0105,
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_RBUTTONDOWN = 0x0204,
  WM_RBUTTONUP = 0x0205,
  WM_MBUTTONDOWN = 0x0207,
  WM_MBUTTONUP = 0x0208,
};

// The system window's procedure: keys, buttons, moves and the end of the
// window become input events; every other message makes none.
class WindowProcedure {
 public:
  // Key messages carry the virtual key in `wParam`, mouse messages the
  // point in `lParam`. Afterwards the message gets the default processing,
  // which destroys the window on WM_CLOSE.
  static void Handle(WindowHandle window, uint32_t message, uint32_t wParam, int32_t lParam);
  // The lParam of a mouse message: x in the low 16 bits, y in the high.
  static int32_t PackPoint(int32_t x, int32_t y);
};

}  // namespace ynx
