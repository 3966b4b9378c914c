#include "engine/system/VideoSubsystem.h"

#include <SDL2/SDL.h>

#include "engine/core/Log.h"

namespace ynx {

bool VideoSubsystem::Start() {
  if (started) return true;
  // Closing the last window is the window procedure's business, not a
  // reason for SDL to announce the end of the program.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // A screensaver must not keep the desktop's own saver from starting.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // Parent windows are X11 windows; SDL_VIDEODRIVER in the environment wins.
  SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_DEFAULT);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    LogError("Невозможно инициализировать видеосистему SDL: %s", SDL_GetError());
    return false;
  }
  started = true;
  return true;
}

void VideoSubsystem::Stop() {
  if (!started) return;
  started = false;
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  if (SDL_WasInit(0) == 0) SDL_Quit();
}

}  // namespace ynx
