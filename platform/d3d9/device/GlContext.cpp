#include "platform/d3d9/device/GlContext.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <optional>
#include <vector>

#include "platform/os/Monitor.h"

namespace ynx {
namespace {

// The monitor under the window's centre; empty when none is.
std::optional<Monitor> WindowMonitor(SDL_Window* window) {
  const std::vector<Monitor> monitors = Monitor::List();
  int x = 0, y = 0, w = 0, h = 0;
  SDL_GetWindowPosition(window, &x, &y);
  SDL_GetWindowSize(window, &w, &h);
  const int32_t index = Monitor::Find(monitors, x + w / 2, y + h / 2);
  if (index < 0) return std::nullopt;
  return monitors[static_cast<size_t>(index)];
}

}  // namespace

GlContext::~GlContext() {
  if (!context) return;
  SDL_Window* sdlWindow = SDL_GetWindowFromID(window);
  if (sdlWindow && fullscreen) SDL_SetWindowFullscreen(sdlWindow, 0);
  if (SDL_GL_GetCurrentContext() == context) SDL_GL_MakeCurrent(sdlWindow, nullptr);
  SDL_GL_DeleteContext(context);
}

bool GlContext::Create(HWND id, std::string& error) {
  window = id;
  SDL_Window* sdlWindow = SDL_GetWindowFromID(window);
  if (!sdlWindow) {
    error = "the window " + std::to_string(id) + " does not exist";
    return false;
  }
  if (!(SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_OPENGL)) {
    error = "the window was not made for OpenGL";
    return false;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  context = SDL_GL_CreateContext(sdlWindow);
  if (!context) {
    error = std::string("cannot create an OpenGL 4.5 core context: ") + SDL_GetError();
    return false;
  }
  if (SDL_GL_MakeCurrent(sdlWindow, context) != 0) {
    error = std::string("cannot make the OpenGL context current: ") + SDL_GetError();
    return false;
  }
  // The frame rate is the application's business, not the display's.
  SDL_GL_SetSwapInterval(0);
  DrawableSize(presentedWidth, presentedHeight);
  return true;
}

bool GlContext::MakeCurrent() {
  if (!context) return false;
  SDL_Window* sdlWindow = SDL_GetWindowFromID(window);
  if (!sdlWindow) return false;
  if (SDL_GL_GetCurrentContext() == context && SDL_GL_GetCurrentWindow() == sdlWindow) return true;
  return SDL_GL_MakeCurrent(sdlWindow, context) == 0;
}

bool GlContext::WindowExists() const { return SDL_GetWindowFromID(window) != nullptr; }

void GlContext::DrawableSize(UINT& width, UINT& height) const {
  width = height = 0;
  SDL_Window* sdlWindow = SDL_GetWindowFromID(window);
  if (!sdlWindow) return;
  int w = 0;
  int h = 0;
  SDL_GL_GetDrawableSize(sdlWindow, &w, &h);
  width = static_cast<UINT>(w > 0 ? w : 0);
  height = static_cast<UINT>(h > 0 ? h : 0);
}

void GlContext::Present(uint32_t framebuffer, UINT width, UINT height) {
  SDL_Window* sdlWindow = SDL_GetWindowFromID(window);
  if (!sdlWindow) return;
  UINT drawableWidth = 0;
  UINT drawableHeight = 0;
  DrawableSize(drawableWidth, drawableHeight);
  const auto w = static_cast<GLint>(width);
  const auto h = static_cast<GLint>(height);
  const auto dw = static_cast<GLint>(drawableWidth);
  const auto dh = static_cast<GLint>(drawableHeight);
  if (drawableWidth != presentedWidth || drawableHeight != presentedHeight) {
    // A software driver learns of a resized window when its context is
    // bound to it anew; the context keeps every object and state.
    SDL_GL_MakeCurrent(sdlWindow, nullptr);
    SDL_GL_MakeCurrent(sdlWindow, context);
    presentedWidth = drawableWidth;
    presentedHeight = drawableHeight;
  }
  // The window's rows run bottom first: flip while copying.
  glDisable(GL_SCISSOR_TEST);
  glBlitNamedFramebuffer(framebuffer, 0, 0, 0, w, h, 0, dh, dw, 0, GL_COLOR_BUFFER_BIT,
                         w == dw && h == dh ? GL_NEAREST : GL_LINEAR);
  SDL_GL_SwapWindow(sdlWindow);
}

bool GlContext::SetFullscreen(bool on, UINT width, UINT height, UINT refresh) {
  SDL_Window* sdlWindow = SDL_GetWindowFromID(window);
  if (!sdlWindow) return false;
  if (!on) {
    if (fullscreen && SDL_SetWindowFullscreen(sdlWindow, 0) != 0) return false;
    fullscreen = false;
    return true;
  }
  const std::optional<Monitor> monitor = WindowMonitor(sdlWindow);
  if (monitor && !monitor->wholeDisplay) {
    // Full screen on part of a display is a window over just that part:
    // SDL's own would spread over the whole display.
    if (width != static_cast<UINT>(monitor->width) || height != static_cast<UINT>(monitor->height)) return false;
    SDL_SetWindowPosition(sdlWindow, monitor->x, monitor->y);
    SDL_SetWindowSize(sdlWindow, monitor->width, monitor->height);
    SDL_RaiseWindow(sdlWindow);
    return true;
  }
  const int display = monitor ? monitor->sdlDisplay : SDL_GetWindowDisplayIndex(sdlWindow);
  SDL_DisplayMode wanted{};
  wanted.w = static_cast<int>(width);
  wanted.h = static_cast<int>(height);
  wanted.refresh_rate = static_cast<int>(refresh);
  SDL_DisplayMode closest{};
  if (display < 0 || !SDL_GetClosestDisplayMode(display, &wanted, &closest)) return false;
  if (SDL_SetWindowDisplayMode(sdlWindow, &closest) != 0) return false;
  if (SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN) != 0) return false;
  fullscreen = true;
  return true;
}

bool GlContext::SetGammaRamp(const D3DGAMMARAMP& ramp) {
  SDL_Window* sdlWindow = SDL_GetWindowFromID(window);
  return sdlWindow && SDL_SetWindowGammaRamp(sdlWindow, ramp.red, ramp.green, ramp.blue) == 0;
}

bool GlContext::DisplayMode(D3DDISPLAYMODE& mode) const {
  SDL_Window* sdlWindow = SDL_GetWindowFromID(window);
  const std::optional<Monitor> monitor = sdlWindow ? WindowMonitor(sdlWindow) : std::nullopt;
  const int display = monitor ? monitor->sdlDisplay : sdlWindow ? SDL_GetWindowDisplayIndex(sdlWindow) : 0;
  SDL_DisplayMode desktop{};
  if (SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &desktop) != 0) return false;
  const bool part = monitor && !monitor->wholeDisplay;
  mode = {static_cast<UINT>(part ? monitor->width : desktop.w), static_cast<UINT>(part ? monitor->height : desktop.h),
          static_cast<UINT>(desktop.refresh_rate),
          SDL_BITSPERPIXEL(desktop.format) == 16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8};
  return true;
}

}  // namespace ynx
