#pragma once

#include <cstdint>
#include <string>

#include "engine/core/Ptr.h"
#include "engine/math/Matrix4.h"

namespace ynx {

class Camera;
class Renderer;
class Texture;
class TextureEffect;
class Triangles;
struct Settings;

// What the screensaver draws on top of the scene or instead of it: one
// textured unit square seen through a camera that maps the unit square onto
// the screen, (0, 0) at the lower left. It shows the loading picture with
// its four corners, and the frame rate and the clock in bitmap digits.
class Overlay {
 public:
  // Text places, in units of the screen. (CHAR_WIDTH is a C library macro.)
  static constexpr float GLYPH_WIDTH = 0.0375f;
  static constexpr float GLYPH_HEIGHT = 0.075f;
  static constexpr float FPS_X = 0.009375f;
  static constexpr float FPS_Y = 0.9f;
  static constexpr float CLOCK_Y = 0.025f;

  // Rows (2, 0, 0, 0), (0, 2, 0, 0), (0, 0, 1, 0), (-1, -1, 0, 1).
  static Matrix4 UnitSquareProjection();
  // "14:05:09", or with the 12-hour clock "2:05:09 pm " (midnight is 0).
  static std::string ClockText(int32_t hour, int32_t minute, int32_t second, bool hour24);
  // Where a clock of `length` characters starts, so that it ends near the
  // right edge.
  static float ClockX(int32_t length, bool hour24);
  // The frame rate rounded up, as an integer.
  static std::string FpsText(double fps);

  Overlay();
  ~Overlay();
  Overlay(const Overlay&) = delete;
  Overlay& operator=(const Overlay&) = delete;

  // The quad, its effect and camera, and the pictures from the mounted
  // interface archive. A missing picture leaves an image without pixels.
  void Create();
  // Draws the loading frame up to its presentation: the picture over the
  // screen, the corner pictures at their own pixel size. 1 when the frame
  // cannot begin.
  int32_t DrawLoadingFrame(Renderer& renderer);
  // After the loading frame was shown: its pictures are not needed again.
  void ReleaseLoadingPictures(Renderer& renderer);
  // The frame rate top left and the clock bottom right, as the settings ask.
  void Draw(Renderer& renderer, const Settings& settings, double fps);
  // Characters of the digit table; a blank advances half a character.
  void DrawText(Renderer& renderer, const std::string& text, float x, float y, float width,
                float height);
  void Destroy();

  Triangles* GetQuad() const { return quad.Get(); }
  TextureEffect* GetEffect() const { return effect.Get(); }
  Camera* GetCamera() const { return camera.Get(); }

 private:
  enum Corner { LEFT_DOWN, RIGHT_DOWN, LEFT_UP, RIGHT_UP, CORNER_COUNT };
  static constexpr int32_t DIGIT_COUNT = 15;

  // Renders the quad with the effect's texture set to `texture`.
  void DrawQuad(Renderer& renderer, Texture* texture);
  Texture* DigitFor(char c) const;

  Ptr<Triangles> quad;
  Ptr<TextureEffect> effect;
  Ptr<Camera> camera;
  Ptr<Texture> loader;
  Ptr<Texture> corners[CORNER_COUNT];
  // "0" to "9", "a", "p", "m", dot, colon.
  Ptr<Texture> digits[DIGIT_COUNT];
};

}  // namespace ynx
