#include "engine/system/X11Embedding.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>

#include <vector>

#include "engine/core/Log.h"

namespace ynx {
namespace {

struct Embedded {
  WindowHandle window;
  Window child;
  Window parent;
  // What our connection had selected on the parent before.
  long parentMask;
};

std::vector<Embedded>& EmbeddedWindows() {
  static std::vector<Embedded> embedded;
  return embedded;
}

XErrorHandler previousHandler = nullptr;
uint32_t ignoredErrors = 0;

// Errors about the parent, our child inside it, or any window that vanished
// are expected; everything else goes to the handler that was there before
// (SDL's, which ends the program).
int OnXError(Display* display, XErrorEvent* error) {
  bool expected = error->error_code == BadWindow || error->error_code == BadDrawable;
  for (const Embedded& embedded : EmbeddedWindows()) {
    expected =
        expected || error->resourceid == embedded.child || error->resourceid == embedded.parent;
  }
  if (!expected) return previousHandler != nullptr ? previousHandler(display, error) : 0;
  ++ignoredErrors;
  return 0;
}

Display* X11Display(SDL_Window* window, Window* xWindow) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
    return nullptr;
  }
  *xWindow = info.info.x11.window;
  return info.info.x11.display;
}

Embedded* Find(WindowHandle window) {
  for (Embedded& embedded : EmbeddedWindows()) {
    if (embedded.window == window) return &embedded;
  }
  return nullptr;
}

void Watch(const Embedded& embedded) {
  if (EmbeddedWindows().empty()) {
    previousHandler = XSetErrorHandler(&OnXError);
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  }
  EmbeddedWindows().push_back(embedded);
}

void Forget(WindowHandle window) {
  std::vector<Embedded>& embedded = EmbeddedWindows();
  for (auto it = embedded.begin(); it != embedded.end(); ++it) {
    if (it->window == window) {
      embedded.erase(it);
      break;
    }
  }
  if (embedded.empty()) {
    XSetErrorHandler(previousHandler);
    previousHandler = nullptr;
    SDL_EventState(SDL_SYSWMEVENT, SDL_DISABLE);
  }
}

}  // namespace

bool X11Embedding::Embed(WindowHandle window, uint64_t parent) {
  SDL_Window* sdlWindow = SDL_GetWindowFromID(window);
  Window child = 0;
  Display* display = X11Display(sdlWindow, &child);
  if (display == nullptr) {
    LogError("Родительское окно [0x%llx] доступно только в X11.",
             static_cast<unsigned long long>(parent));
    return false;
  }
  const Window parentWindow = static_cast<Window>(parent);
  Watch(Embedded{window, child, parentWindow, NoEventMask});
  const uint32_t errorsBefore = ignoredErrors;
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, parentWindow, &attributes) != 0) {
    SDL_SetWindowSize(sdlWindow, attributes.width, attributes.height);
    XReparentWindow(display, child, parentWindow, 0, 0);
    // Another client's selection on the window is its own; ours may be
    // SDL's, if the parent is one of our windows, so it is only added to.
    Find(window)->parentMask = attributes.your_event_mask;
    XSelectInput(display, parentWindow, attributes.your_event_mask | StructureNotifyMask);
    XSync(display, False);
    if (ignoredErrors == errorsBefore) return true;
    XSelectInput(display, parentWindow, attributes.your_event_mask);
    XSync(display, False);
  }
  LogError("Родительское окно [0x%llx] недоступно.", static_cast<unsigned long long>(parent));
  Forget(window);
  return false;
}

void X11Embedding::Destroy(WindowHandle window) {
  SDL_Window* sdlWindow = SDL_GetWindowFromID(window);
  Window child = 0;
  Display* display = X11Display(sdlWindow, &child);
  const Embedded* embedded = Find(window);
  if (display != nullptr && embedded != nullptr) {
    XSelectInput(display, embedded->parent, embedded->parentMask);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, child, &attributes) == 0) {
      // Gone with its parent, and SDL was not told: if it still takes the
      // window for mapped, hiding it waits for this unmap.
      XEvent unmap{};
      unmap.xunmap.type = UnmapNotify;
      unmap.xunmap.display = display;
      unmap.xunmap.event = child;
      unmap.xunmap.window = child;
      XPutBackEvent(display, &unmap);
    }
  }
  SDL_DestroyWindow(sdlWindow);
  if (display != nullptr) XSync(display, False);
  if (embedded != nullptr) Forget(window);
}

uint64_t X11Embedding::DisplayRoot() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return 0;
  const uint64_t root = DefaultRootWindow(display);
  XCloseDisplay(display);
  return root;
}

X11Embedding::Notice X11Embedding::Read(const SDL_SysWMmsg& message) {
  Notice notice;
  if (message.subsystem != SDL_SYSWM_X11) return notice;
  const XEvent& event = message.msg.x11.event;
  for (const Embedded& embedded : EmbeddedWindows()) {
    if (event.type == ConfigureNotify && event.xconfigure.event == embedded.parent &&
        event.xconfigure.window == embedded.parent) {
      notice =
          Notice{Notice::RESIZED, embedded.window, event.xconfigure.width, event.xconfigure.height};
    } else if (event.type == DestroyNotify && event.xdestroywindow.window == embedded.parent) {
      notice = Notice{Notice::DESTROYED, embedded.window, 0, 0};
    }
  }
  return notice;
}

}  // namespace ynx
