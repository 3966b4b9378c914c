#include "platform/os/MessageBox.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>

namespace ynx {

void MessageBox::ShowInformation(const std::string& title, const std::string& text) {
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title.c_str(), text.c_str(), nullptr) !=
      0) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  }
}

void MessageBox::ShowError(const std::string& title, const std::string& text) {
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
  };
  if (!set("XDG_CURRENT_DESKTOP") && !set("DESKTOP_SESSION")) return;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), text.c_str(), nullptr);
}

}  // namespace ynx
