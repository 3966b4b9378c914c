#include "content/textures/WaterTextures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "content/Noise.h"
#include "content/Shading.h"
#include "content/RandomStream.h"

namespace ynx::content {

namespace {

using Rgba = Canvas::Rgba;

constexpr float TAU = 6.2831853f;

// A plane wave that tiles: whole cycles across the picture (kx, ky) and
// over the loop (cycles).
struct Wave {
  int kx;
  int ky;
  int cycles;
  float amplitude;
  float phase;
};

}  // namespace

void WaterTextures::Make(ArchiveFolder& folder) {
  MakeRipples(folder);
  MakeCaustics(folder);
}

void WaterTextures::MakeRipples(ArchiveFolder& folder) {
  RandomStream random(301);
  std::vector<Wave> waves;
  for (int i = 0; i < 14; ++i) {
    int kx = static_cast<int>(random.Below(13)) - 6;
    int ky = static_cast<int>(random.Below(13)) - 6;
    if (kx == 0 && ky == 0) kx = 3;
    const float k = std::hypot(static_cast<float>(kx), static_cast<float>(ky));
    // Longer waves move slower and stand taller, as on water.
    waves.push_back(Wave{kx, ky, 1 + static_cast<int>(random.Below(2)), 0.9f / k, random.Range(0.0f, TAU)});
  }
  const int size = 256;
  for (int frame = 0; frame < FRAMES; ++frame) {
    const float t = static_cast<float>(frame) / static_cast<float>(FRAMES);
    Canvas canvas(size, size);
    canvas.Paint([&](float u, float v) {
      // Slopes of the summed waves give the surface's normal.
      float dx = 0.0f;
      float dy = 0.0f;
      for (const Wave& w : waves) {
        const float angle = TAU * (static_cast<float>(w.kx) * u + static_cast<float>(w.ky) * v -
                                   static_cast<float>(w.cycles) * t) + w.phase;
        const float slope = w.amplitude * std::cos(angle);
        dx += slope * static_cast<float>(w.kx);
        dy += slope * static_cast<float>(w.ky);
      }
      dx *= 0.05f;
      dy *= 0.05f;
      const float tilt = std::sqrt(dx * dx + dy * dy);
      // The moon glints where the surface turns one way.
      const float glint = std::pow(Smooth(0.10f, 0.32f, dx * 0.8f - dy * 0.6f), 3.0f);
      const float sheen = Smooth(0.0f, 0.35f, tilt);
      Rgba water{0.05f + 0.10f * sheen + 0.8f * glint, 0.09f + 0.12f * sheen + 0.8f * glint,
                 0.16f + 0.16f * sheen + 0.75f * glint, 0.50f + 0.25f * sheen + 0.25f * glint};
      return water;
    });
    char name[48];
    std::snprintf(name, sizeof name, "Textures\\ripple_%02d.tga", frame);
    folder.SaveImage(name, canvas, Image::FORMAT_RGBA);
  }
}

void WaterTextures::MakeCaustics(ArchiveFolder& folder) {
  // Bright threads where the cells of two warped lattices meet.
  const Noise cells(311, 6);
  const Noise warp(312, 4);
  Canvas canvas(512, 512);
  canvas.Paint([&](float u, float v) {
    const float wx = u + 0.08f * (warp.Fractal(u * 4.0f, v * 4.0f, 3) - 0.5f);
    const float wy = v + 0.08f * (warp.Fractal(u * 4.0f + 9.0f, v * 4.0f, 3) - 0.5f);
    float nearest, second;
    uint32_t id;
    cells.Cells(wx * 6.0f, wy * 6.0f, nearest, second, id);
    const float thread = std::pow(Smooth(0.13f, 0.0f, second - nearest), 2.0f);
    const float light = std::clamp(thread * 0.9f + 0.06f, 0.0f, 1.0f);
    return Rgba{light * 0.75f, light * 0.95f, light, 1.0f};
  });
  folder.SaveImage("Textures\\caustics.jpg", canvas, Image::FORMAT_RGB);
}

}  // namespace ynx::content
