#include "engine/system/DisplayMode.h"

#include <SDL2/SDL.h>

#include "engine/system/VideoSubsystem.h"

namespace ynx {
namespace {

int32_t ColorBits(uint32_t format) { return SDL_BYTESPERPIXEL(format) * 8; }

}  // namespace

int32_t DisplayMode::CountDisplays() {
  if (!VideoSubsystem::Start()) return 0;
  const int count = SDL_GetNumVideoDisplays();
  return count > 0 ? count : 0;
}

bool DisplayMode::Read(int32_t display, int32_t index, DisplayMode& mode) {
  if (!VideoSubsystem::Start()) return false;
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(display, &bounds) != 0) return false;
  SDL_DisplayMode read;
  int status = 0;
  if (index == CURRENT) {
    status = SDL_GetCurrentDisplayMode(display, &read);
  } else if (index == STORED) {
    status = SDL_GetDesktopDisplayMode(display, &read);
  } else if (index >= 0 && index < SDL_GetNumDisplayModes(display)) {
    status = SDL_GetDisplayMode(display, index, &read);
  } else {
    return false;
  }
  if (status != 0) return false;
  mode.x = bounds.x;
  mode.y = bounds.y;
  mode.width = read.w;
  mode.height = read.h;
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
