#pragma once

#include <cstdint>

#include "engine/core/Object.h"
#include "engine/math/Color.h"

namespace ynx {

// Draws short formatted text in screen space, where the screen spans 0..1
// both ways with y up. Derived fonts say how glyphs are drawn.
//
// Streamed after the object data: maxChars (int32, clamped to
// 0..MAX_CHARS), char height, width and spacing (float32 each), the colour.
// maxChars and the colour are taken in through their setters.
class Font : public Object {
  YNX_DECLARE_CLASS(Font);

 public:
  // 4n vertices and 6n indices stay far from overflow.
  static constexpr int32_t MAX_CHARS = 16383;

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;

  virtual void SetMaxChars(int32_t count) { maxChars = count; }
  virtual void SetColor(const Color& value) { color = value; }
  // printf-style; output past maxChars characters is cut.
  virtual void DrawText(float x, float y, float z, const char* format, ...)
      __attribute__((format(printf, 5, 6))) = 0;

  int32_t GetMaxChars() const { return maxChars; }
  float GetCharHeight() const { return charHeight; }
  float GetCharWidth() const { return charWidth; }
  float GetCharSpacing() const { return charSpacing; }
  void SetCharSize(float width, float height, float spacing) {
    charWidth = width;
    charHeight = height;
    charSpacing = spacing;
  }
  const Color& GetColor() const { return color; }

 protected:
  explicit Font(const String& name = String());

  int32_t maxChars = 256;
  float charHeight = 0.03f;
  float charWidth = 0.04f;
  float charSpacing = 0.0f;
  Color color{1.0f, 1.0f, 1.0f, 1.0f};
};

}  // namespace ynx
