#include "tests/support/VideoEnvironment.h"

#include <SDL.h>

namespace ynx::test {

void VideoEnvironment::SetUp() { ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError(); }

}  // namespace ynx::test
