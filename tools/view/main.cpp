// ynx-view: shows a scene file, or the scene inside an archive, the way the
// screensaver draws it.

#include <SDL.h>

#include <cstdio>
#include <string>

#include "tools/view/SceneViewer.h"
#include "tools/view/ViewOptions.h"

namespace {

constexpr const char* USAGE =
    "usage: ynx-view SCENE.STR [options]\n"
    "       ynx-view ARCHIVE.rar2 [NAME.STR] [options]\n"
    "\n"
    "Loads the scene (from the archive, mounted as the screensaver mounts its\n"
    "media; NAME.STR defaults to Main.STR), caches its textures and shows it\n"
    "animated through its first camera (or the camera sets of --set). A scene\n"
    "without a camera gets a free one: W/S move, A/D strafe, Q/E sink and\n"
    "rise, drag with the left button to turn; Escape quits.\n"
    "\n"
    "  --size WxH         window size (default 800x600)\n"
    "  --time T           scene time of the first frame, in seconds\n"
    "  --step S           seconds per frame (default: the clock)\n"
    "  --frames N         draw N frames, then exit\n"
    "  --screenshot OUT   write the last frame as PNG (%d in the name: every\n"
    "                     frame, counted from 1); one frame unless --frames\n"
    "  --set N            start the scene's screensaver controller on its camera\n"
    "                     set N (from 1), which then cuts to the others\n"
    "  --stats            per frame: wall and CPU time, draws, passes recorded,\n"
    "                     uploads; at the end the frame rate\n"
    "  --text LINE        write LINE over every frame, top left, in glyphs\n"
    "  --font ATLAS       cut from ATLAS, a picture beside the scene or in its\n"
    "                     archive: 16 x 16 cells, byte c in column c mod 16,\n"
    "                     row c div 16 from the top\n"
    "  --help             this text\n"
    "\n"
    "Headless: xvfb-run -a ynx-view Media.rar2 --frames 3 --screenshot shot.png\n"
    "Exit status: 0 on success, 1 on failure, 2 for wrong usage.\n";

}  // namespace

int main(int argc, char** argv) {
  ynx::tools::ViewOptions options;
  bool help = false;
  std::string error;
  if (!ynx::tools::ViewOptions::Parse(argc, argv, options, help, error)) {
    std::fprintf(stderr, "ynx-view: %s\n%s", error.c_str(), USAGE);
    return 2;
  }
  if (help) {
    std::fputs(USAGE, stdout);
    return 0;
  }
  // Held until the process ends, so that the OpenGL driver stays loaded and
  // leak checkers running at exit can still name what it allocated.
  SDL_InitSubSystem(SDL_INIT_VIDEO);
  ynx::tools::SceneViewer viewer(options);
  return viewer.Run();
}
