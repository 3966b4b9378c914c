#include "content/textures/SkyTextures.h"

#include <algorithm>
#include <cmath>

#include "content/MoonFace.h"
#include "content/Noise.h"
#include "content/Shading.h"

namespace ynx::content {

namespace {

using Rgba = Canvas::Rgba;

}  // namespace

void SkyTextures::Make(ArchiveFolder& folder) {
  MakeDome(folder);
  MakeMoon(folder);
}

void SkyTextures::MakeDome(ArchiveFolder& folder) {
  const int width = 1024;
  const int height = 512;
  // Star cells about four pixels wide; cloud lattices tile round.
  const Noise stars(401, 256);
  const Noise clouds(402, 8);
  const Noise twinkle(403, 64);
  Canvas canvas(width, height);
  canvas.Paint([&](float u, float v) {
    Rgba colour = Mix(Rgba{0.008f, 0.014f, 0.045f}, Rgba{0.07f, 0.09f, 0.17f}, std::pow(v, 2.2f));
    float nearest, second;
    uint32_t id;
    // Cells are square on the picture: 256 across, 128 down.
    stars.Cells(u * 256.0f, v * 128.0f, nearest, second, id);
    if ((id & 3u) == 0) {
      const float brightness = std::pow(static_cast<float>((id >> 8) & 255u) / 255.0f, 2.5f);
      const float size = 0.10f + 0.12f * brightness;
      const float star = std::exp(-nearest * nearest / (size * size)) * (0.25f + 0.9f * brightness) *
                         Smooth(1.0f, 0.7f, v);
      // A few stars warmer, a few bluer.
      const float warmth = static_cast<float>((id >> 16) & 255u) / 255.0f - 0.5f;
      colour.r += star * (0.9f + 0.2f * warmth);
      colour.g += star * 0.92f;
      colour.b += star * (1.0f - 0.2f * warmth);
    }
    // A faint band of many small stars across the sky.
    const float band = std::exp(-std::pow((v - 0.35f - 0.15f * std::sin(u * 6.2831853f)) / 0.12f, 2.0f));
    colour.r += 0.04f * band * twinkle.Fractal(u * 64.0f, v * 32.0f, 3);
    colour.g += 0.045f * band * twinkle.Fractal(u * 64.0f, v * 32.0f, 3);
    colour.b += 0.06f * band * twinkle.Fractal(u * 64.0f, v * 32.0f, 3);
    // Thin clouds, stretched along the horizon, thicker lower down.
    const float cloud = clouds.Fractal(u * 8.0f, v * 3.0f, 6);
    const float thin = Smooth(0.52f, 0.75f, cloud) * Smooth(0.1f, 0.6f, v);
    return Mix(colour, Rgba{0.22f, 0.25f, 0.34f}, thin * 0.55f);
  });
  folder.SaveImage("Textures\\sky.jpg", canvas, Image::FORMAT_RGB, 90);
}

void SkyTextures::MakeMoon(ArchiveFolder& folder) {
  const int size = 256;
  Canvas canvas(size, size, Rgba{0.55f, 0.6f, 0.75f, 0.0f});
  MoonFace::Paint(canvas, 128.0f, 128.0f, 40.0f, 405, MoonFace::Halo::Alpha);
  // The halo fades to nothing before the picture's edge.
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const float d = std::hypot(static_cast<float>(x) + 0.5f - 128.0f, static_cast<float>(y) + 0.5f - 128.0f);
      canvas.At(x, y).a *= Smooth(128.0f, 100.0f, d);
    }
  }
  folder.SaveImage("Textures\\moon.tga", canvas, Image::FORMAT_RGBA);
}

}  // namespace ynx::content
