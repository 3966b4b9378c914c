#pragma once

#include <string>

#include "content/Canvas.h"

typedef struct FT_LibraryRec_* FT_Library;
typedef struct FT_FaceRec_* FT_Face;

namespace ynx::content {

// Sets text with FreeType from one font file, anti-aliased, into a canvas.
// Hinting is off, so that the outlines alone decide the pixels.
class TypeSetter {
 public:
  explicit TypeSetter(const std::string& fontPath);
  ~TypeSetter();
  TypeSetter(const TypeSetter&) = delete;
  TypeSetter& operator=(const TypeSetter&) = delete;

  bool Ready() const { return face != nullptr; }

  // Glyph size in pixels: em width and height (different for pictures that
  // are shown stretched).
  void SetSize(float emWidth, float emHeight);
  // Advance of the text in pixels at the current size.
  float Measure(const std::string& text) const;
  // Ink box of the text relative to its pen origin: left, top (negative:
  // above the baseline), right, bottom.
  void Bounds(const std::string& text, float& left, float& top, float& right, float& bottom) const;
  // Draws the text with its baseline starting at (x, y); letter spacing in
  // pixels is added after each glyph.
  void Draw(Canvas& canvas, const std::string& text, float x, float y, const Canvas::Rgba& colour,
            float spacing = 0.0f) const;

 private:
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

}  // namespace ynx::content
