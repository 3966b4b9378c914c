#include "platform/os/Monitor.h"

#include <SDL2/SDL.h>

#include <cstring>

// Last: Xlib's macros would break the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace ynx {
namespace {

struct Rect {
  int32_t x, y, width, height;
};

// RandR 1.5 monitors, the primary first; empty off X11, on older servers
// and when the server lists none.
std::vector<Rect> RandrMonitors() {
  std::vector<Rect> rects;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::strcmp(driver, "x11") != 0) return rects;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return rects;
  int event = 0, error = 0, major = 0, minor = 0;
  if (XRRQueryExtension(display, &event, &error) && XRRQueryVersion(display, &major, &minor) &&
      (major > 1 || (major == 1 && minor >= 5))) {
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
    for (int i = 0; i < count; ++i) {
      const XRRMonitorInfo& monitor = monitors[i];
      if (monitor.width <= 0 || monitor.height <= 0) continue;
      const Rect rect{monitor.x, monitor.y, monitor.width, monitor.height};
      if (monitor.primary) {
        rects.insert(rects.begin(), rect);
      } else {
        rects.push_back(rect);
      }
    }
    if (monitors != nullptr) XRRFreeMonitors(monitors);
  }
  XCloseDisplay(display);
  return rects;
}

}  // namespace

std::vector<Monitor> Monitor::List() {
  // Read once: a saver lays its windows out when it starts, and asking the
  // server again for every mode it weighs costs a connection each time.
  static std::vector<Monitor> list;
  if (!list.empty()) return list;
  const int displays = SDL_GetNumVideoDisplays();
  if (displays <= 0) return list;
  std::vector<SDL_Rect> bounds(static_cast<size_t>(displays));
  for (int i = 0; i < displays; ++i) {
    if (SDL_GetDisplayBounds(i, &bounds[static_cast<size_t>(i)]) != 0) bounds[static_cast<size_t>(i)] = {};
  }
  std::vector<Rect> rects = RandrMonitors();
  if (rects.empty()) {
    for (const SDL_Rect& rect : bounds) rects.push_back({rect.x, rect.y, rect.w, rect.h});
  }
  for (const Rect& rect : rects) {
    Monitor monitor;
    monitor.x = rect.x;
    monitor.y = rect.y;
    monitor.width = rect.width;
    monitor.height = rect.height;
    const SDL_Point centre{rect.x + rect.width / 2, rect.y + rect.height / 2};
    for (int i = 0; i < displays; ++i) {
      if (SDL_PointInRect(&centre, &bounds[static_cast<size_t>(i)])) {
        monitor.sdlDisplay = i;
        break;
      }
    }
    const SDL_Rect& display = bounds[static_cast<size_t>(monitor.sdlDisplay)];
    monitor.wholeDisplay = display.x == rect.x && display.y == rect.y && display.w == rect.width &&
                           display.h == rect.height;
    list.push_back(monitor);
  }
  return list;
}

int32_t Monitor::Find(const std::vector<Monitor>& monitors, int32_t x, int32_t y) {
  for (size_t i = 0; i < monitors.size(); ++i) {
    const Monitor& monitor = monitors[i];
    if (x >= monitor.x && y >= monitor.y && x < monitor.x + monitor.width && y < monitor.y + monitor.height) {
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

}  // namespace ynx
