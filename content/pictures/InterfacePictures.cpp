#include "content/pictures/InterfacePictures.h"

#include <cmath>

#include "content/pictures/NightGardenPainting.h"

namespace ynx::content {

namespace {

using Rgba = Canvas::Rgba;

constexpr char PRODUCT[] = "Vellumere";
constexpr uint32_t PAINTING_SEED = 1127;
const Rgba SILVER{0.86f, 0.89f, 0.96f};

}  // namespace

const InterfacePictures::Character InterfacePictures::CHARACTERS[15] = {
    {"0", "digit_0.tga"}, {"1", "digit_1.tga"}, {"2", "digit_2.tga"}, {"3", "digit_3.tga"},
    {"4", "digit_4.tga"}, {"5", "digit_5.tga"}, {"6", "digit_6.tga"}, {"7", "digit_7.tga"},
    {"8", "digit_8.tga"}, {"9", "digit_9.tga"}, {"a", "digit_a.tga"}, {"p", "digit_p.tga"},
    {"m", "digit_m.tga"}, {".", "digit_dot.tga"}, {":", "digit_ddot.tga"},
};

InterfacePictures::InterfacePictures(const std::string& serifFont, const std::string& sansFont)
    : serif(serifFont), sans(sansFont) {}

bool InterfacePictures::Make(ArchiveFolder& folder) {
  if (!serif.Ready() || !sans.Ready()) return false;
  MakeLoader(folder);
  MakeCorners(folder);
  MakeDigits(folder);
  MakeSettings(folder);
  MakePreview(folder);
  MakeLogo(folder);
  return !folder.Failed();
}

void InterfacePictures::SetTitle(Canvas& canvas, float centreX, float baseline, float size, float spacing) {
  serif.SetSize(size, size);
  const float width = serif.Measure(PRODUCT) + spacing * (static_cast<float>(sizeof PRODUCT) - 2.0f);
  // The glow: the title drawn into a see-through layer, blurred, added.
  Canvas glow(canvas.Width(), canvas.Height(), Rgba{0, 0, 0, 0});
  serif.Draw(glow, PRODUCT, centreX - width * 0.5f, baseline, Rgba{0.5f, 0.6f, 0.9f}, spacing);
  glow.Blur(std::max(1, static_cast<int>(size * 0.12f)));
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      const Rgba& g = glow.At(x, y);
      if (g.a > 0.0f) canvas.Add(x, y, g, g.a * 0.8f);
    }
  }
  serif.Draw(canvas, PRODUCT, centreX - width * 0.5f, baseline, SILVER, spacing);
}

void InterfacePictures::MakeLoader(ArchiveFolder& folder) {
  Canvas canvas(1024, 768);
  NightGardenPainting(PAINTING_SEED).Paint(canvas);
  SetTitle(canvas, 340.0f, 250.0f, 92.0f, 6.0f);
  sans.SetSize(20.0f, 20.0f);
  const char* line = "a moon garden";
  sans.Draw(canvas, line, 340.0f - sans.Measure(line) * 0.5f - 12.0f, 292.0f, Rgba{0.62f, 0.68f, 0.80f}, 4.0f);
  folder.SaveImage("loader.jpg", canvas, Image::FORMAT_RGB, 88);
}

void InterfacePictures::MakeCorners(ArchiveFolder& folder) {
  // One ornament drawn for the lower left corner, mirrored for the others:
  // two silver strokes along the edges ending in small moons.
  const int size = 64;
  Canvas ornament(size * 4, size * 4, Rgba{SILVER.r, SILVER.g, SILVER.b, 0.0f});
  const float s = 4.0f;
  const Rgba line{SILVER.r, SILVER.g, SILVER.b, 0.85f};
  ornament.Line(6 * s, 58 * s, 6 * s, 14 * s, 1.6f * s, line);
  ornament.Line(6 * s, 58 * s, 50 * s, 58 * s, 1.6f * s, line);
  ornament.Line(11 * s, 53 * s, 11 * s, 30 * s, 0.9f * s, Rgba{SILVER.r, SILVER.g, SILVER.b, 0.55f});
  ornament.Line(11 * s, 53 * s, 34 * s, 53 * s, 0.9f * s, Rgba{SILVER.r, SILVER.g, SILVER.b, 0.55f});
  ornament.Disc(6 * s, 10 * s, 3.2f * s, line, s);
  ornament.Disc(54 * s, 58 * s, 3.2f * s, line, s);
  ornament.Disc(11 * s, 53 * s, 2.6f * s, Rgba{1.0f, 0.82f, 0.5f, 0.95f}, s);
  const Canvas small = ornament.Reduced(size, size);
  struct Corner {
    const char* name;
    bool flipX;
    bool flipY;
  };
  for (const Corner& corner : {Corner{"4loader_ld.tga", false, false}, Corner{"4loader_rd.tga", true, false},
                               Corner{"4loader_lu.tga", false, true}, Corner{"4loader_ru.tga", true, true}}) {
    Canvas placed(size, size);
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        placed.At(x, y) = small.At(corner.flipX ? size - 1 - x : x, corner.flipY ? size - 1 - y : y);
      }
    }
    folder.SaveImage(corner.name, placed, Image::FORMAT_RGBA);
  }
}

void InterfacePictures::MakeDigits(ArchiveFolder& folder) {
  // 32 x 64 pictures, shown about 2 : 3 on a 4 : 3 screen: the glyphs are
  // set narrower so that they look upright there. Drawn four times larger
  // and reduced, with a soft dark shadow for light backgrounds.
  const int width = 32;
  const int height = 64;
  const float scale = 4.0f;
  const float em = 50.0f * scale;
  sans.SetSize(em * 0.75f, em);
  float left, top, right, bottom;
  sans.Bounds("0", left, top, right, bottom);
  const float baseline = (static_cast<float>(height) * scale - (bottom - top)) * 0.5f - top;
  for (const Character& character : CHARACTERS) {
    const float advance = sans.Measure(character.text);
    const float x = (static_cast<float>(width) * scale - advance) * 0.5f;
    Canvas shadow(width * static_cast<int>(scale), height * static_cast<int>(scale), Rgba{0, 0, 0, 0});
    sans.Draw(shadow, character.text, x + 2.0f * scale, baseline + 2.0f * scale, Rgba{0.0f, 0.0f, 0.02f});
    shadow.Blur(static_cast<int>(2.0f * scale));
    Canvas big(width * static_cast<int>(scale), height * static_cast<int>(scale), Rgba{0, 0, 0, 0});
    for (int y = 0; y < big.Height(); ++y) {
      for (int px = 0; px < big.Width(); ++px) {
        big.At(px, y) = Rgba{0.0f, 0.0f, 0.02f, std::min(1.0f, shadow.At(px, y).a * 0.9f)};
      }
    }
    sans.Draw(big, character.text, x, baseline, SILVER);
    // Reduction averages straight colours with their weights.
    Canvas small(width, height, Rgba{0, 0, 0, 0});
    const int f = static_cast<int>(scale);
    for (int y = 0; y < height; ++y) {
      for (int px = 0; px < width; ++px) {
        Rgba sum{0, 0, 0, 0};
        for (int j = 0; j < f; ++j) {
          for (int i = 0; i < f; ++i) {
            const Rgba& p = big.At(px * f + i, y * f + j);
            sum.r += p.r * p.a;
            sum.g += p.g * p.a;
            sum.b += p.b * p.a;
            sum.a += p.a;
          }
        }
        small.At(px, y) = sum.a > 0.0f ? Rgba{sum.r / sum.a, sum.g / sum.a, sum.b / sum.a, sum.a / (f * f)}
                                       : Rgba{SILVER.r, SILVER.g, SILVER.b, 0.0f};
      }
    }
    folder.SaveImage(std::string("Digits\\") + character.file, small, Image::FORMAT_RGBA);
  }
}

void InterfacePictures::MakeSettings(ArchiveFolder& folder) {
  // A banner across the top of the settings dialog.
  Canvas canvas(512, 128);
  NightGardenPainting(PAINTING_SEED + 1).Paint(canvas);
  SetTitle(canvas, 150.0f, 78.0f, 40.0f, 3.0f);
  folder.SaveImage("settings.bmp", canvas, Image::FORMAT_RGB);
}

void InterfacePictures::MakePreview(ArchiveFolder& folder) {
  // The picture in the small monitor of the display settings.
  Canvas canvas(152, 112);
  NightGardenPainting(PAINTING_SEED).Paint(canvas);
  SetTitle(canvas, 52.0f, 40.0f, 17.0f, 1.0f);
  folder.SaveImage("preview.bmp", canvas, Image::FORMAT_RGB);
}

void InterfacePictures::MakeLogo(ArchiveFolder& folder) {
  // The moon over the pond's reflection, with the name below.
  Canvas canvas(128, 128);
  NightGardenPainting(PAINTING_SEED + 2).Paint(canvas);
  SetTitle(canvas, 64.0f, 118.0f, 22.0f, 1.0f);
  folder.SaveImage("logo.bmp", canvas, Image::FORMAT_RGB);
}

}  // namespace ynx::content
