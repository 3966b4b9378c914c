#include "content/textures/KoiTextures.h"

#include <algorithm>
#include <cmath>

#include "content/Noise.h"
#include "content/Shading.h"

namespace ynx::content {

namespace {

using Rgba = Canvas::Rgba;

// 0 inside a scale, 1 on its rim (which catches light).
float ScaleRim(float u, float v) {
  const float row = std::floor(v * 24.0f);
  const float a = u * 36.0f + (static_cast<int>(row) % 2 == 0 ? 0.0f : 0.5f);
  const float b = v * 24.0f - row;
  const float cx = std::floor(a) + 0.5f;
  const float d = std::hypot((a - cx) * 1.0f, b * 1.1f);
  return Smooth(0.45f, 0.6f, d) * Smooth(0.75f, 0.62f, d);
}

struct Skin {
  const char* name;
  uint32_t seed;
  Rgba base;
  Rgba patch;
  Rgba second;
};

}  // namespace

void KoiTextures::Make(ArchiveFolder& folder) {
  const Skin skins[] = {
      {"Textures\\koi_kohaku.jpg", 601, Rgba{0.93f, 0.91f, 0.87f}, Rgba{0.86f, 0.20f, 0.08f}, Rgba{0.86f, 0.20f, 0.08f}},
      {"Textures\\koi_ogon.jpg", 602, Rgba{0.93f, 0.70f, 0.24f}, Rgba{1.0f, 0.84f, 0.45f}, Rgba{0.80f, 0.55f, 0.16f}},
      {"Textures\\koi_showa.jpg", 603, Rgba{0.07f, 0.07f, 0.08f}, Rgba{0.85f, 0.22f, 0.07f}, Rgba{0.92f, 0.90f, 0.86f}},
  };
  for (const Skin& skin : skins) {
    const Noise patches(skin.seed, 64);
    Canvas canvas(512, 256);
    canvas.Paint([&](float u, float v) {
      // Patterns mirror across the belly, as on a fish's two sides.
      const float side = std::min(v, 1.0f - v) * 2.0f;  // 0 back, 1 belly
      const float n = patches.Fractal(u * 6.0f, side * 4.0f, 4);
      const float m = patches.Fractal(u * 5.0f + 11.0f, side * 4.0f + 5.0f, 4);
      const float back = Smooth(0.85f, 0.55f, side);
      Rgba colour = skin.base;
      colour = Mix(colour, skin.patch, Smooth(0.48f, 0.54f, n) * back);
      colour = Mix(colour, skin.second, Smooth(0.58f, 0.64f, m) * back);
      // A pale belly, the scales' rims lighter, a darker tail end.
      colour = Mix(colour, Rgba{0.95f, 0.93f, 0.88f}, Smooth(0.8f, 1.0f, side) * 0.8f);
      colour = Mix(colour, Rgba{1.0f, 1.0f, 0.95f}, ScaleRim(u, v) * 0.18f * Smooth(0.12f, 0.2f, u));
      return Mix(colour, Rgba{colour.r * 0.6f, colour.g * 0.6f, colour.b * 0.6f}, Smooth(0.85f, 1.0f, u));
    });
    folder.SaveImage(skin.name, canvas, Image::FORMAT_RGB);
  }
}

}  // namespace ynx::content
