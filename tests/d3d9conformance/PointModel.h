#pragma once

#include <array>
#include <string>
#include <vector>

#include "tools/d3d9play/ScriptPlayer.h"

namespace ynx::test {

// What a point-list draw of a script should leave on screen, from the same
// inputs the device had (the draw's recorded state, the script's buffers,
// shaders and texels): vertices through FixedFunctionModel or
// ShaderInterpreter, then pixels the same way. Textures are point sampled
// at level 0, as a point (no derivatives) does. Indexed point lists read
// their vertices through the index buffer.
class PointModel {
 public:
  using Vector = std::array<float, 4>;

  struct Pixel {
    size_t vertex = 0;
    int x = 0;  // the pixel under the point's centre
    int y = 0;
    float centerX = 0.0f;  // the centre in window coordinates (pixel centres on integers)
    float centerY = 0.0f;
    float size = 0.0f;  // in pixels, clamped to POINTSIZE_MIN / _MAX
    bool drawn = true;  // false: the alpha test rejected it
    uint32_t color = 0;  // A8R8G8B8
  };

  // False with `error` for a draw the model cannot evaluate.
  static bool Evaluate(const ScriptPlayer& player, const ScriptPlayer::DrawRecord& draw, std::vector<Pixel>& pixels,
                       std::string& error);
  // Window pixel (x, y) of a point sprite drawn for `point` (one of
  // Evaluate's pixels): its texture coordinate is where the pixel's centre
  // lies in the sprite's square, (0, 0) at the top left.
  static bool EvaluateSprite(const ScriptPlayer& player, const ScriptPlayer::DrawRecord& draw, const Pixel& point,
                             int x, int y, Pixel& pixel, std::string& error);
};

}  // namespace ynx::test
