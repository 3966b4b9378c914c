#include "content/TypeSetter.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

namespace ynx::content {

TypeSetter::TypeSetter(const std::string& fontPath) {
  if (FT_Init_FreeType(&library) != 0) {
    library = nullptr;
    return;
  }
  if (FT_New_Face(library, fontPath.c_str(), 0, &face) != 0) face = nullptr;
}

TypeSetter::~TypeSetter() {
  if (face != nullptr) FT_Done_Face(face);
  if (library != nullptr) FT_Done_FreeType(library);
}

void TypeSetter::SetSize(float emWidth, float emHeight) {
  if (face == nullptr) return;
  FT_Set_Char_Size(face, static_cast<FT_F26Dot6>(std::lround(emWidth * 64.0f)),
                   static_cast<FT_F26Dot6>(std::lround(emHeight * 64.0f)), 72, 72);
}

float TypeSetter::Measure(const std::string& text) const {
  float advance = 0.0f;
  if (face == nullptr) return 0.0f;
  for (unsigned char c : text) {
    if (FT_Load_Char(face, c, FT_LOAD_NO_HINTING) == 0) advance += static_cast<float>(face->glyph->advance.x) / 64.0f;
  }
  return advance;
}

void TypeSetter::Bounds(const std::string& text, float& left, float& top, float& right, float& bottom) const {
  left = top = 1e9f;
  right = bottom = -1e9f;
  float pen = 0.0f;
  if (face == nullptr) return;
  for (unsigned char c : text) {
    if (FT_Load_Char(face, c, FT_LOAD_NO_HINTING) != 0) continue;
    const FT_Glyph_Metrics& m = face->glyph->metrics;
    const float x0 = pen + static_cast<float>(m.horiBearingX) / 64.0f;
    const float y0 = -static_cast<float>(m.horiBearingY) / 64.0f;
    left = std::min(left, x0);
    right = std::max(right, x0 + static_cast<float>(m.width) / 64.0f);
    top = std::min(top, y0);
    bottom = std::max(bottom, y0 + static_cast<float>(m.height) / 64.0f);
    pen += static_cast<float>(face->glyph->advance.x) / 64.0f;
  }
}

void TypeSetter::Draw(Canvas& canvas, const std::string& text, float x, float y, const Canvas::Rgba& colour,
                      float spacing) const {
  if (face == nullptr) return;
  float pen = x;
  for (unsigned char c : text) {
    // The fraction of the pen position moves the outline, so glyphs keep
    // their exact spacing.
    const float whole = std::floor(pen);
    FT_Vector shift{static_cast<FT_Pos>(std::lround((pen - whole) * 64.0f)),
                    static_cast<FT_Pos>(std::lround((std::floor(y) - y) * 64.0f))};
    FT_Set_Transform(face, nullptr, &shift);
    if (FT_Load_Char(face, c, FT_LOAD_NO_HINTING | FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot glyph = face->glyph;
    const FT_Bitmap& bitmap = glyph->bitmap;
    const int originX = static_cast<int>(whole) + glyph->bitmap_left;
    const int originY = static_cast<int>(std::floor(y)) - glyph->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned column = 0; column < bitmap.width; ++column) {
        const uint8_t value = bitmap.buffer[row * static_cast<unsigned>(bitmap.pitch) + column];
        if (value != 0) {
          canvas.Blend(originX + static_cast<int>(column), originY + static_cast<int>(row), colour,
                       static_cast<float>(value) / 255.0f);
        }
      }
    }
    pen += static_cast<float>(glyph->advance.x) / 64.0f + spacing;
  }
  FT_Set_Transform(face, nullptr, nullptr);
}

}  // namespace ynx::content
