#include "platform/os/MessageBox.h"

#include <SDL2/SDL.h>

#include <cstdio>

namespace ynx {

void MessageBox::ShowInformation(const std::string& title, const std::string& text) {
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title.c_str(), text.c_str(), nullptr) !=
      0) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  }
}

}  // namespace ynx
