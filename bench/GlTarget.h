#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ynx {

// The OpenGL side of a race against the device: a window with an OpenGL
// 4.5 core context of its own and a square target made as the device makes
// its back buffer (RGBA8 colour, depth 24 + stencil 8), bound for drawing
// with the device's clip conventions (upper-left origin, depth 0 to 1),
// viewport and default states.
class GlTarget {
 public:
  GlTarget() = default;
  GlTarget(const GlTarget&) = delete;
  GlTarget& operator=(const GlTarget&) = delete;
  ~GlTarget();

  // A shown window where the frames are presented, a hidden one otherwise.
  bool Create(const char* title, int size, bool shown, std::string& error);
  bool MakeCurrent();
  // A program of the two sources on this context; 0 with the reason in
  // `error`.
  uint32_t Link(const std::string& vertexSource, const std::string& pixelSource, std::string& error);
  // False, with a message in `error`, when OpenGL reported an error since
  // the last check.
  static bool Check(std::string& error);
  // Colour (A8R8G8B8) and depth, the whole target.
  void Clear(uint32_t color);
  // Into the window, rows flipped, and swapped: as the device presents.
  void Present();
  // Rows top first, as A8R8G8B8 words.
  std::vector<uint32_t> ReadBack();

 private:
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  int size = 0;
  uint32_t framebuffer = 0;
  uint32_t targets[2] = {};  // colour, depth and stencil
};

}  // namespace ynx
