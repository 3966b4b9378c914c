#pragma once

#include <cstdint>
#include <string>

#include "platform/d3d9/device/D3D9Types.h"

namespace ynx {

// The device's OpenGL 4.5 core context on its window, which is named by
// its SDL window ID and looked up on every use: a window that has gone
// makes MakeCurrent fail (the device then reports itself lost) instead of
// touching freed memory.
class GlContext {
 public:
  GlContext() = default;
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;
  ~GlContext();

  // False with `error` set when the window does not exist or the context
  // cannot be made. Leaves the context current.
  bool Create(HWND window, std::string& error);
  bool MakeCurrent();
  bool WindowExists() const;
  HWND Window() const { return window; }

  // The window's drawable size in pixels (0 x 0 once it has gone).
  void DrawableSize(UINT& width, UINT& height) const;
  // Copies `framebuffer` (width x height, rows top first) to the window,
  // scaled to its drawable, and swaps. The context must be current.
  void Present(uint32_t framebuffer, UINT width, UINT height);

  // Full screen in the display mode closest to width x height (refresh 0:
  // any), or back to a window. False when SDL refuses.
  bool SetFullscreen(bool fullscreen, UINT width, UINT height, UINT refresh);
  bool SetGammaRamp(const D3DGAMMARAMP& ramp);
  // The desktop mode of the window's display.
  bool DisplayMode(D3DDISPLAYMODE& mode) const;

 private:
  HWND window = 0;
  void* context = nullptr;  // SDL_GLContext
  bool fullscreen = false;
  // The window's size at the last present, to notice a resize.
  UINT presentedWidth = 0;
  UINT presentedHeight = 0;
};

}  // namespace ynx
