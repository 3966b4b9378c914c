#include "engine/system/DisplayMode.h"

#include <SDL2/SDL.h>

#include "engine/system/VideoSubsystem.h"
#include "platform/os/Monitor.h"

namespace ynx {
namespace {

int32_t ColorBits(uint32_t format) { return SDL_BYTESPERPIXEL(format) * 8; }

}  // namespace

int32_t DisplayMode::CountDisplays() {
  if (!VideoSubsystem::Start()) return 0;
  return static_cast<int32_t>(Monitor::List().size());
}

bool DisplayMode::Read(int32_t display, int32_t index, DisplayMode& mode) {
  if (!VideoSubsystem::Start()) return false;
  const std::vector<Monitor> monitors = Monitor::List();
  if (display < 0 || display >= static_cast<int32_t>(monitors.size())) return false;
  const Monitor& monitor = monitors[static_cast<size_t>(display)];
  const int sdlDisplay = monitor.sdlDisplay;
  SDL_DisplayMode read;
  int status = 0;
  if (index == CURRENT) {
    status = SDL_GetCurrentDisplayMode(sdlDisplay, &read);
  } else if (index == STORED || (index == 0 && !monitor.wholeDisplay)) {
    status = SDL_GetDesktopDisplayMode(sdlDisplay, &read);
  } else if (monitor.wholeDisplay && index >= 0 && index < SDL_GetNumDisplayModes(sdlDisplay)) {
    status = SDL_GetDisplayMode(sdlDisplay, index, &read);
  } else {
    return false;
  }
  if (status != 0) return false;
  // As Windows counts them: the primary monitor's corner is (0, 0).
  mode.x = monitor.x - monitors.front().x;
  mode.y = monitor.y - monitors.front().y;
  // Part of a display shows the display's mode on the monitor's pixels.
  mode.width = monitor.wholeDisplay ? read.w : monitor.width;
  mode.height = monitor.wholeDisplay ? read.h : monitor.height;
  mode.colorBits = ColorBits(read.format);
  mode.refreshRate = read.refresh_rate;
  return true;
}

bool DisplayMode::Test(int32_t display, const DisplayMode& mode) {
  // SDL switches to any mode it lists and to no other.
  DisplayMode listed;
  for (int32_t index = 0; Read(display, index, listed); ++index) {
    if (listed.width == mode.width && listed.height == mode.height &&
        listed.colorBits == mode.colorBits &&
        (mode.refreshRate == 0 || listed.refreshRate == mode.refreshRate)) {
      return true;
    }
  }
  return false;
}

}  // namespace ynx
