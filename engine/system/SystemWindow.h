#pragma once

#include <cstdint>

#include "engine/core/String.h"

namespace ynx {

// A system window is named by its SDL window ID; 0 names none. A device
// finds the SDL_Window with SDL_GetWindowFromID and must take a null answer
// as a window that has gone (closed by the user, or with its parent).
using WindowHandle = uint32_t;

// The one window the renderer draws into: a child inside another program's
// X11 window, a borderless window over the primary monitor for full screen
// (the other monitors covered in black while it lasts), or an ordinary
// framed window. Every such window is made with OpenGL
// support, so that a device can put a context on it.
class SystemWindow {
 public:
  // 0 with a window in `out` (or none, when no display mode fits a full
  // screen request), 1 on failure, 3 for a null `out`. A window already in
  // `out` is kept and owns the new one. `parentWindow` is an X11 window ID;
  // the child fills it and follows its size. Full screen wants a mode of the
  // primary display at (x, y) with that size and colour depth; the display is
  // switched later, by the device.
  static int32_t Create(WindowHandle* out, const String& title, uint64_t parentWindow,
                        bool fullscreen, int32_t colorBits, int32_t x, int32_t y, int32_t width,
                        int32_t height);
  // Destroys the window (none: a warning, and go on), takes every display
  // out of full screen and unregisters the window class. 0 or 1.
  static int32_t Destroy(WindowHandle window);

  // What Win32's DestroyWindow does: WM_DESTROY to the windows it owns and to
  // itself, then they are gone. False for a handle that names no window.
  static bool DestroyNative(WindowHandle window);
  static bool IsOpen(WindowHandle window);
  // Pixels the device draws; false for a handle that names no window.
  static bool GetDrawableSize(WindowHandle window, int32_t* width, int32_t* height);

  // The window class: its name is the title of the last creation followed by
  // " Class". It only keeps two system windows of one title from existing at
  // once, as on Windows.
  static const String& ClassName();
  static bool IsClassRegistered(const String& name);

  // Destroys the windows left and ends SDL's video; the input manager's
  // shutdown calls it.
  static void Shutdown();
};

inline int32_t CreateSystemWindow(WindowHandle* out, const String& title, uint64_t parentWindow,
                                  bool fullscreen, int32_t colorBits, int32_t x, int32_t y,
                                  int32_t width, int32_t height) {
  return SystemWindow::Create(out, title, parentWindow, fullscreen, colorBits, x, y, width, height);
}
inline int32_t DestroySystemWindow(WindowHandle window) { return SystemWindow::Destroy(window); }

}  // namespace ynx
