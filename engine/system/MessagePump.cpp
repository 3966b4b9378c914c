#include "engine/system/MessagePump.h"

#include <SDL2/SDL.h>

#include "engine/system/KeyCodes.h"
#include "engine/system/SystemWindow.h"
#include "engine/system/VideoSubsystem.h"
#include "engine/system/WindowProcedure.h"
#include "engine/system/X11Embedding.h"

namespace ynx {
namespace {

// Windows sends WM_SYSKEYDOWN instead of WM_KEYDOWN for F10 and for keys
// pressed with Alt but without Ctrl, Alt itself included.
bool IsSystemKey(const SDL_KeyboardEvent& key) {
  const SDL_Keycode code = key.keysym.sym;
  const bool alt = (key.keysym.mod & KMOD_ALT) != 0 || code == SDLK_LALT || code == SDLK_RALT;
  return code == SDLK_F10 || (alt && (key.keysym.mod & KMOD_CTRL) == 0);
}

uint32_t KeyMessage(const SDL_KeyboardEvent& key) {
  const bool pressed = key.type == SDL_KEYDOWN;
  if (IsSystemKey(key)) return pressed ? WM_SYSKEYDOWN : WM_SYSKEYUP;
  return pressed ? WM_KEYDOWN : WM_KEYUP;
}

// 0 for the side buttons, which have no message of ours.
uint32_t ButtonMessage(const SDL_MouseButtonEvent& button) {
  const bool pressed = button.type == SDL_MOUSEBUTTONDOWN;
  switch (button.button) {
    case SDL_BUTTON_LEFT:
      return pressed ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case SDL_BUTTON_RIGHT:
      return pressed ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case SDL_BUTTON_MIDDLE:
      return pressed ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default:
      return 0;
  }
}

void Dispatch(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (SystemWindow::IsOpen(event.key.windowID)) {
        const SDL_Keysym& key = event.key.keysym;
        WindowProcedure::Handle(event.key.windowID, KeyMessage(event.key),
                                KeyCodes::VirtualKeyFromSdl(key.sym, key.scancode), 0);
      }
      break;
    case SDL_MOUSEMOTION:
      if (SystemWindow::IsOpen(event.motion.windowID)) {
        WindowProcedure::Handle(event.motion.windowID, WM_MOUSEMOVE, 0,
                                WindowProcedure::PackPoint(event.motion.x, event.motion.y));
      }
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      // A second click is a plain press: the window class asks for no
      // double-click messages.
      if (SystemWindow::IsOpen(event.button.windowID) && ButtonMessage(event.button) != 0) {
        WindowProcedure::Handle(event.button.windowID, ButtonMessage(event.button), 0,
                                WindowProcedure::PackPoint(event.button.x, event.button.y));
      }
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE &&
          SystemWindow::IsOpen(event.window.windowID)) {
        WindowProcedure::Handle(event.window.windowID, WM_CLOSE, 0, 0);
      }
      break;
    case SDL_QUIT:
      // SIGINT or SIGTERM: how xscreensaver ends its hacks.
      WindowProcedure::Handle(0, WM_QUIT, 0, 0);
      break;
    case SDL_SYSWMEVENT: {
      const X11Embedding::Notice notice = X11Embedding::Read(*event.syswm.msg);
      if (notice.kind == X11Embedding::Notice::RESIZED) {
        SDL_SetWindowSize(SDL_GetWindowFromID(notice.window), notice.width, notice.height);
      } else if (notice.kind == X11Embedding::Notice::DESTROYED) {
        // A child dies with its parent.
        SystemWindow::DestroyNative(notice.window);
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace

int32_t MessagePump::PumpMessages() {
  if (!VideoSubsystem::IsStarted()) return 0;
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) Dispatch(event);
  return 0;
}

}  // namespace ynx
