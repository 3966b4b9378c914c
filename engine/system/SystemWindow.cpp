#include "engine/system/SystemWindow.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

#include <vector>

#include "engine/core/Log.h"
#include "engine/system/DisplayMode.h"
#include "engine/system/VideoSubsystem.h"
#include "engine/system/WindowProcedure.h"
#include "engine/system/X11Embedding.h"
#include "platform/os/Monitor.h"

namespace ynx {
namespace {

struct Entry {
  WindowHandle handle;
  SDL_Window* window;
  // The window this one goes with; 0 for none.
  WindowHandle owner;
  bool embedded;
};

std::vector<Entry>& Windows() {
  static std::vector<Entry> windows;
  return windows;
}

std::vector<String>& RegisteredClasses() {
  static std::vector<String> classes;
  return classes;
}

String& CurrentClassName() {
  static String name;
  return name;
}

Entry* Find(WindowHandle handle) {
  for (Entry& entry : Windows()) {
    if (entry.handle == handle) return &entry;
  }
  return nullptr;
}

bool RegisterWindowClass(const String& name) {
  if (SystemWindow::IsClassRegistered(name)) return false;
  RegisteredClasses().push_back(name);
  return true;
}

bool UnregisterWindowClass(const String& name) {
  std::vector<String>& classes = RegisteredClasses();
  for (auto it = classes.begin(); it != classes.end(); ++it) {
    if (*it == name) {
      classes.erase(it);
      return true;
    }
  }
  return false;
}

WindowHandle Keep(SDL_Window* window, WindowHandle owner, bool embedded) {
  const WindowHandle handle = SDL_GetWindowID(window);
  Windows().push_back(Entry{handle, window, Find(owner) != nullptr ? owner : 0, embedded});
  return handle;
}

// Every system window can carry an OpenGL context. Null when SDL cannot
// make the window.
SDL_Window* NewSdlWindow(const String& title, int32_t x, int32_t y, int32_t width, int32_t height,
                         uint32_t flags) {
  SDL_Window* window =
      SDL_CreateWindow(title.CStr(), x, y, width, height, flags | SDL_WINDOW_OPENGL);
  if (window == nullptr) LogWarning("Ошибка SDL: %s", SDL_GetError());
  return window;
}

WindowHandle CreateTopLevel(const String& title, int32_t x, int32_t y, int32_t width,
                            int32_t height, uint32_t flags, WindowHandle owner) {
  SDL_Window* window = NewSdlWindow(title, x, y, width, height, flags);
  return window != nullptr ? Keep(window, owner, false) : 0;
}

WindowHandle CreateChild(const String& title, uint64_t parent) {
  if (!VideoSubsystem::Start()) return 0;
  SDL_Window* window = NewSdlWindow(title, 0, 0, 1, 1, SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
  if (window == nullptr) return 0;
  if (!X11Embedding::Embed(SDL_GetWindowID(window), parent)) {
    SDL_DestroyWindow(window);
    return 0;
  }
  SDL_ShowWindow(window);
  return Keep(window, 0, true);
}

// Black for good: on X11 the server itself paints the window's background
// whenever it shows again; elsewhere it is painted once.
void PaintBlack(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    XSetWindowBackground(info.info.x11.display, info.info.x11.window,
                         BlackPixel(info.info.x11.display, DefaultScreen(info.info.x11.display)));
    XClearWindow(info.info.x11.display, info.info.x11.window);
    XFlush(info.info.x11.display);
    return;
  }
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (surface == nullptr) return;
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
  SDL_UpdateWindowSurface(window);
}

// The show takes the primary monitor; the others go black for as long as
// it runs. The covers are owned by the show's window, so they go with it,
// and their keys and moves end the saver as the show's own do.
void CoverOtherMonitors(const String& title, WindowHandle owner) {
  const std::vector<Monitor> monitors = Monitor::List();
  for (size_t i = 1; i < monitors.size(); ++i) {
    const Monitor& monitor = monitors[i];
    SDL_Window* cover = SDL_CreateWindow(title.CStr(), monitor.x, monitor.y, monitor.width, monitor.height,
                                         SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR);
    if (cover == nullptr) {
      LogWarning("Ошибка SDL: %s", SDL_GetError());
      continue;
    }
    PaintBlack(cover);
    Keep(cover, owner, false);
  }
}

// The first mode of the primary display at (x, y) with that size and depth
// that the display can run and that a window can be made for.
WindowHandle CreateFullScreen(const String& title, int32_t colorBits, int32_t x, int32_t y,
                              int32_t width, int32_t height, WindowHandle owner) {
  const std::vector<Monitor> monitors = Monitor::List();
  if (monitors.empty()) return 0;
  DisplayMode mode;
  for (int32_t index = 0; DisplayMode::Read(0, index, mode); ++index) {
    if (mode.x != x || mode.y != y || mode.width != width || mode.height != height ||
        mode.colorBits != colorBits || !DisplayMode::Test(0, mode)) {
      continue;
    }
    // (x, y) counts from the primary monitor's corner, as Windows does.
    const WindowHandle window = CreateTopLevel(title, monitors.front().x + x, monitors.front().y + y, width,
                                               height, SDL_WINDOW_BORDERLESS, owner);
    if (window == 0) continue;
    CoverOtherMonitors(title, window);
    return window;
  }
  return 0;
}

// SDL puts a display back into the desktop's mode when the full-screen
// window on it leaves full screen or goes; no display changes otherwise.
void RestoreDisplays() {
  for (const Entry& entry : Windows()) {
    if ((SDL_GetWindowFlags(entry.window) & SDL_WINDOW_FULLSCREEN) != 0) {
      SDL_SetWindowFullscreen(entry.window, 0);
    }
  }
}

}  // namespace

int32_t SystemWindow::Create(WindowHandle* out, const String& title, uint64_t parentWindow,
                             bool fullscreen, int32_t colorBits, int32_t x, int32_t y,
                             int32_t width, int32_t height) {
  LogInfo("Создание системного окна [%s].", title.CStr());
  if (out == nullptr) {
    LogError("Указатель на окно равен 0.");
    return 3;
  }
  CurrentClassName() = title + " Class";
  if (!RegisterWindowClass(CurrentClassName())) {
    LogError("Невозможно зарегестрировать класс окна [%s].", CurrentClassName().CStr());
    return 1;
  }
  if (parentWindow != 0) {
    const WindowHandle child = CreateChild(title, parentWindow);
    if (child == 0) {
      Destroy(0);
      LogError("Невозможно создать окно [%s].", title.CStr());
      return 1;
    }
    *out = child;
    return 0;
  }
  WindowHandle created = 0;
  if (DisplayMode::CountDisplays() > 0) {
    DisplayMode current;
    if (!DisplayMode::Read(0, DisplayMode::CURRENT, current)) {
      Destroy(0);
      return 1;
    }
    if (fullscreen) {
      created = CreateFullScreen(title, colorBits, x, y, width, height, *out);
    } else {
      created = CreateTopLevel(title, x, y, width, height, 0, *out);
      if (created == 0) {
        Destroy(0);
        return 1;
      }
    }
  }
  // A window already in `out` stays there and owns the new one.
  if (!IsOpen(*out)) *out = created;
  if (*out == 0) Destroy(0);
  return 0;
}

int32_t SystemWindow::Destroy(WindowHandle window) {
  if (window == 0) {
    LogWarning("Указатель на окно равен 0.");
  } else if (!DestroyNative(window)) {
    LogError("Невозможно удалить системное окно.");
    return 1;
  }
  RestoreDisplays();
  if (!UnregisterWindowClass(CurrentClassName())) {
    LogError("Невозможно разрегестрировать класс системного окна.");
    return 1;
  }
  return 0;
}

bool SystemWindow::DestroyNative(WindowHandle window) {
  if (window == 0 || Find(window) == nullptr) return false;
  for (bool owns = true; owns;) {
    owns = false;
    for (const Entry& entry : Windows()) {
      if (entry.owner == window) {
        DestroyNative(entry.handle);
        owns = true;
        break;
      }
    }
  }
  WindowProcedure::Handle(window, WM_DESTROY, 0, 0);
  Entry* entry = Find(window);
  const Entry gone = *entry;
  Windows().erase(Windows().begin() + (entry - Windows().data()));
  if (gone.embedded) {
    X11Embedding::Destroy(gone.handle);
  } else {
    SDL_DestroyWindow(gone.window);
  }
  return true;
}

bool SystemWindow::IsOpen(WindowHandle window) { return window != 0 && Find(window) != nullptr; }

bool SystemWindow::GetDrawableSize(WindowHandle window, int32_t* width, int32_t* height) {
  const Entry* entry = Find(window);
  if (entry == nullptr) return false;
  int w = 0;
  int h = 0;
  SDL_GetWindowSizeInPixels(entry->window, &w, &h);
  *width = w;
  *height = h;
  return true;
}

const String& SystemWindow::ClassName() { return CurrentClassName(); }

bool SystemWindow::IsClassRegistered(const String& name) {
  for (const String& registered : RegisteredClasses()) {
    if (registered == name) return true;
  }
  return false;
}

void SystemWindow::Shutdown() {
  while (!Windows().empty()) DestroyNative(Windows().front().handle);
  RegisteredClasses().clear();
  VideoSubsystem::Stop();
}

}  // namespace ynx
