#pragma once

#include <cstdint>

#include "engine/system/SystemWindow.h"

struct SDL_SysWMmsg;

namespace ynx {

// System windows that live inside another program's X11 window (the preview
// pane of a settings dialog, or the window xscreensaver hands its hacks).
// The SDL window is reparented into the foreign one; the parent is watched
// for resizes and for its end. The other program may destroy its window at
// any moment, so while a window is embedded, X errors about vanished windows
// are expected and ignored.
class X11Embedding {
 public:
  // What an X event says about a parent.
  struct Notice {
    enum Kind { NONE, RESIZED, DESTROYED };
    Kind kind = NONE;
    // The system window inside that parent.
    WindowHandle window = 0;
    int32_t width = 0;
    int32_t height = 0;
  };

  // Puts the hidden SDL window into the parent at (0, 0) with the parent's
  // size. False, with a log line, when the parent does not exist or the
  // display is not X11.
  static bool Embed(WindowHandle window, uint64_t parent);
  // Stops watching the parent and destroys the SDL window, also when both X
  // windows are gone already.
  static void Destroy(WindowHandle window);
  // The root window of the default display (what xscreensaver's hacks draw
  // into when it names no window); 0 without a display.
  static uint64_t DisplayRoot();
  // For the pump, which sees every X event while a window is embedded.
  static Notice Read(const SDL_SysWMmsg& message);
};

}  // namespace ynx
