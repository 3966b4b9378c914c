// A texture font drawn by the renderer module: its glyph lands where the
// layout puts it, whatever the window's size, and the frame's camera is
// current again after the text.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/io/Image.h"
#include "engine/render/Texture.h"
#include "engine/render/TextureFont.h"
#include "tests/render/RendererFixture.h"

namespace ynx::test {
namespace {

constexpr int32_t CELL = 4;
constexpr int32_t ATLAS = 16 * CELL;
constexpr unsigned char INKED = 'A';
// Blue, so that a transparent cell drawn unblended would show.
constexpr uint32_t BACKGROUND = 0x0000FFu;

// Only the cell of INKED is opaque white; every other cell is transparent.
// Image rows run bottom first, and cell row 0 lies at the top (v = 0).
Ptr<Texture> Atlas() {
  Ptr<Image> image(new Image(String("atlas"), Image::FORMAT_RGBA, ATLAS, ATLAS));
  for (int32_t y = 0; y < ATLAS; ++y) {
    for (int32_t x = 0; x < ATLAS; ++x) {
      const int32_t cell = (15 - y / CELL) * 16 + x / CELL;
      const uint8_t value = cell == INKED ? 255 : 0;
      uint8_t* texel = image->GetData() + (y * ATLAS + x) * 4;
      texel[0] = texel[1] = texel[2] = texel[3] = value;
    }
  }
  return new Texture(String("atlas"), image.Get());
}

using FontPixelTest = RendererFixture;

TEST_F(FontPixelTest, TheInkedGlyphCoversItsLaidOutRectangleAtEverySize) {
  const Ptr<Texture> atlas = Atlas();
  // "xA": 'x' over [0.125, 0.375), then 'A' after width plus spacing over
  // [0.5, 0.75) across and from y = 0.75 down to 0.5.
  const float left = 0.5f, right = 0.75f, top = 0.75f, bottom = 0.5f;
  for (const auto& [width, height] : std::vector<std::pair<int32_t, int32_t>>{{64, 64}, {128, 96}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    ASSERT_EQ(Reopen(width, height), 0);
    Ptr<TextureFont> font(new TextureFont(String("label")));
    font->SetTexture(atlas.Get());
    font->SetCharSize(0.25f, 0.25f, 0.125f);

    renderer->Clear(Renderer::CLEAR_COLOR | Renderer::CLEAR_DEPTH, Color{0, 0, 1, 1}, 1.0f, 0);
    ASSERT_EQ(renderer->BeginFrame(), 0);
    Camera* frameCamera = renderer->GetCamera();
    ASSERT_NE(frameCamera, nullptr);
    font->DrawText(0.125f, top, 0.5f, "x%c", INKED);
    EXPECT_EQ(renderer->GetCamera(), frameCamera);
    renderer->EndFrame();
    const std::vector<uint32_t> pixels = ReadBack();
    ASSERT_EQ(pixels.size(), static_cast<size_t>(width * height));

    // Pixel columns and rows (top first) whose centres lie inside.
    const int32_t x0 = static_cast<int32_t>(left * width), x1 = static_cast<int32_t>(right * width);
    const int32_t y0 = static_cast<int32_t>((1 - top) * height);
    const int32_t y1 = static_cast<int32_t>((1 - bottom) * height);
    // Filtering softens the glyph's outer half texel: the inner part is pure.
    const int32_t soft = (x1 - x0) / (2 * CELL) + 1;
    int32_t wrong = 0;
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        const uint32_t rgb = pixels[y * width + x] & 0xFFFFFFu;
        const bool inside = x >= x0 && x < x1 && y >= y0 && y < y1;
        const bool core = x >= x0 + soft && x < x1 - soft && y >= y0 + soft && y < y1 - soft;
        const bool edge = inside && (x == x0 || x == x1 - 1 || y == y0 || y == y1 - 1);
        if ((!inside && rgb != BACKGROUND) || (core && rgb != 0xFFFFFFu) || (edge && rgb == BACKGROUND)) {
          if (++wrong <= 5) ADD_FAILURE() << "pixel " << x << ", " << y << ": " << std::hex << rgb;
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

}  // namespace
}  // namespace ynx::test
