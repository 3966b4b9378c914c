#include "engine/system/ShowVisibility.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

namespace ynx {
namespace {

bool DisplayAsleep(Display* display) {
  int eventBase = 0;
  int errorBase = 0;
  if (!DPMSQueryExtension(display, &eventBase, &errorBase) || !DPMSCapable(display)) return false;
  CARD16 level = DPMSModeOn;
  BOOL enabled = False;
  return DPMSInfo(display, &level, &enabled) && enabled && level != DPMSModeOn;
}

}  // namespace

bool ShowVisibility::IsVisible(WindowHandle window) {
  SDL_Window* sdlWindow = SDL_GetWindowFromID(window);
  if (sdlWindow == nullptr) return true;
  if ((SDL_GetWindowFlags(sdlWindow) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) != 0) return false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(sdlWindow, &info) || info.subsystem != SDL_SYSWM_X11) return true;
  Display* display = info.info.x11.display;
  XWindowAttributes attributes;
  // IsViewable: the window and every ancestor mapped.
  if (XGetWindowAttributes(display, info.info.x11.window, &attributes) != 0 &&
      attributes.map_state != IsViewable) {
    return false;
  }
  return !DisplayAsleep(display);
}

}  // namespace ynx
