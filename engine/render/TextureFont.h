#pragma once

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/Font.h"

namespace ynx {

class Camera;
class Texture;
class TextureEffect;
class Triangles;

// Draws each character as a quad cut from one texture holding all 256
// glyphs in a 16 x 16 grid (byte c in column c mod 16, row c div 16, row 0
// at v = 0). The quads live in a triangle list of maxChars glyphs drawn
// through a blended texture effect and a screen camera of the font's own;
// the renderer's camera is current again afterwards.
//
// Streamed after the font data: the font texture as a reference.
class TextureFont : public Font {
  YNX_DECLARE_CLASS(TextureFont);

 public:
  // Glyph k's corners: bottom left, bottom right, top right, top left.
  static constexpr int32_t VERTICES_PER_CHAR = 4;
  static constexpr int32_t INDICES_PER_CHAR = 6;

  // Makes the buffers for the default maxChars.
  explicit TextureFont(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  // New buffers for `count` glyphs (clamped to 0..MAX_CHARS); the node,
  // effect and camera are made once. Any allocation failure logs and
  // leaves maxChars 0, so nothing is drawn.
  void SetMaxChars(int32_t count) override;
  void SetColor(const Color& value) override;
  // Glyphs from (x, y) rightwards, their top edge at y, at depth z; the
  // queued blended nodes are drawn first so that the text lies on top.
  void DrawText(float x, float y, float z, const char* format, ...) override
      __attribute__((format(printf, 5, 6)));

  // Null without an effect.
  Texture* GetTexture() const;
  void SetTexture(Texture* texture);
  Triangles* GetGeometry() const { return geometry.Get(); }
  Camera* GetCamera() const { return camera.Get(); }
  TextureEffect* GetEffect() const { return effect.Get(); }

 private:
  // Writes the corners and texture coordinates of the characters.
  void Layout(float x, float y, float z, const char* text, int32_t length);
  // Through the font's camera; the renderer's comes back after.
  void Draw(int32_t length);
  void Fail(const char* message);

  Ptr<Triangles> geometry;
  Ptr<Camera> camera;
  Ptr<TextureEffect> effect;
};

}  // namespace ynx
