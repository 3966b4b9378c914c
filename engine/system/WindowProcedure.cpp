#include "engine/system/WindowProcedure.h"

#include "engine/system/InputEvent.h"
#include "engine/system/InputManager.h"
#include "engine/system/KeyCodes.h"

namespace ynx {
namespace {

void Post(int32_t device, int32_t action, int32_t code, int32_t value) {
  InputManager::PostInputEvent(InputEvent{device, action, code, value});
}

}  // namespace

void WindowProcedure::Handle(WindowHandle window, uint32_t message, uint32_t wParam,
                             int32_t lParam) {
  switch (message) {
    case WM_KEYDOWN:
      Post(InputEvent::KEYBOARD, InputEvent::PRESSED, KeyCodes::FromVirtualKey(wParam), 0);
      break;
    case WM_KEYUP:
      Post(InputEvent::KEYBOARD, InputEvent::RELEASED, KeyCodes::FromVirtualKey(wParam), 0);
      break;
    case WM_MOUSEMOVE:
      // x unsigned, y with the sign an arithmetic shift gives it.
      Post(InputEvent::MOUSE, InputEvent::MOVED, lParam & 0xFFFF, lParam >> 16);
      break;
    case WM_LBUTTONDOWN:
      Post(InputEvent::MOUSE, InputEvent::PRESSED, InputEvent::LEFT_BUTTON, 0);
      break;
    case WM_LBUTTONUP:
      Post(InputEvent::MOUSE, InputEvent::RELEASED, InputEvent::LEFT_BUTTON, 0);
      break;
    case WM_RBUTTONDOWN:
      Post(InputEvent::MOUSE, InputEvent::PRESSED, InputEvent::RIGHT_BUTTON, 0);
      break;
    case WM_RBUTTONUP:
      Post(InputEvent::MOUSE, InputEvent::RELEASED, InputEvent::RIGHT_BUTTON, 0);
      break;
    case WM_MBUTTONDOWN:
      Post(InputEvent::MOUSE, InputEvent::PRESSED, InputEvent::MIDDLE_BUTTON, 0);
      break;
    case WM_MBUTTONUP:
      Post(InputEvent::MOUSE, InputEvent::RELEASED, InputEvent::MIDDLE_BUTTON, 0);
      break;
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUIT:
      Post(InputEvent::SYSTEM, InputEvent::CLOSED, 0, 0);
      break;
    default:
      break;
  }
  // The default processing of a close request: the window goes, and its
  // WM_DESTROY queues a second event.
  if (message == WM_CLOSE) SystemWindow::DestroyNative(window);
}

int32_t WindowProcedure::PackPoint(int32_t x, int32_t y) {
  return static_cast<int32_t>((static_cast<uint32_t>(x) & 0xFFFF) |
                              (static_cast<uint32_t>(y) << 16));
}

}  // namespace ynx
