#include "engine/system/SystemCursor.h"

#include <SDL2/SDL.h>

#include "engine/system/VideoSubsystem.h"

namespace ynx {

int32_t SystemCursor::Show(bool show) {
  count += show ? 1 : -1;
  if (VideoSubsystem::Start()) SDL_ShowCursor(count >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return count;
}

}  // namespace ynx
