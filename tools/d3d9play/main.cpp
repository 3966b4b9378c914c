// ynx-d3d9-play: replays a script of Direct3D 9 device calls and writes
// what it drew as a PNG.
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/d3d9play/ScriptPlayer.h"

int main(int argc, char** argv) {
  if (argc != 3 || std::strcmp(argv[1], "--help") == 0) {
    std::fprintf(stderr,
                 "usage: ynx-d3d9-play SCRIPT.json OUT.png\n"
                 "Plays the device calls of SCRIPT.json on a hidden window and writes the back buffer\n"
                 "(or the script's \"output\" render target) to OUT.png.\n");
    return 2;
  }
  // Video stays started until exit: the GL driver stays loaded, so that
  // what it keeps in its statics is still reachable for leak checkers.
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "ynx-d3d9-play: no video: %s\n", SDL_GetError());
    return 1;
  }
  ynx::ScriptPlayer player([](const std::string& line) { std::printf("%s\n", line.c_str()); });
  const bool played = player.PlayFile(argv[1]);
  for (const std::string& message : player.Messages()) std::fprintf(stderr, "device: %s\n", message.c_str());
  if (!played) {
    std::fprintf(stderr, "%s: %s\n", argv[1], player.Error().c_str());
    return 1;
  }
  if (!player.WritePng(argv[2])) {
    std::fprintf(stderr, "%s\n", player.Error().c_str());
    return 1;
  }
  return 0;
}
