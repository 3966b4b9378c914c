#include "content/pictures/NightGardenPainting.h"

#include <algorithm>
#include <cmath>

#include "content/MoonFace.h"
#include "content/Noise.h"
#include "content/Shading.h"
#include "content/RandomStream.h"

namespace ynx::content {

namespace {

using Rgba = Canvas::Rgba;

constexpr float MOON_X = 0.16f;
constexpr float MOON_Y = 0.16f;
constexpr float MOON_RADIUS = 0.055f;
constexpr float POND_Y = 0.79f;
constexpr float POND_RX = 0.46f;
constexpr float POND_RY = 0.115f;
constexpr float GROUND_Y = 0.62f;
constexpr float BRIDGE_LEFT = -0.20f;
constexpr float BRIDGE_RIGHT = 0.20f;
constexpr float BRIDGE_BASE = 0.705f;
constexpr float BRIDGE_RISE = 0.07f;
constexpr float LANTERN_X = -0.30f;
constexpr float LANTERN_BASE = 0.84f;

float BridgeDeck(float x) {
  const float t = (x - BRIDGE_LEFT) / (BRIDGE_RIGHT - BRIDGE_LEFT);
  return BRIDGE_BASE - BRIDGE_RISE * std::sin(t * 3.14159265f);
}

}  // namespace

void NightGardenPainting::Paint(Canvas& canvas) const {
  PaintBackdrop(canvas);
  MoonFace::Paint(canvas, PixelX(canvas, MOON_X), PixelY(canvas, MOON_Y), Pixels(canvas, MOON_RADIUS), seed + 5,
                  MoonFace::Halo::Added);
  PaintBamboo(canvas);
  PaintBridge(canvas);
  PaintMaple(canvas);
  PaintLantern(canvas);
  PaintFireflies(canvas);
}

void NightGardenPainting::PaintBackdrop(Canvas& canvas) const {
  const Noise clouds(seed, 64);
  const Noise hills(seed + 1, 64);
  const Noise ground(seed + 2, 256);
  const Noise ripples(seed + 3, 1024);
  const Noise stars(seed + 4, 4096);
  const float height = static_cast<float>(canvas.Height());
  const float halfWidth = static_cast<float>(canvas.Width()) * 0.5f / height;
  const Rgba zenith{0.010f, 0.016f, 0.050f};
  const Rgba horizon{0.075f, 0.095f, 0.180f};
  const Rgba farHill{0.045f, 0.060f, 0.110f};
  const Rgba nearHill{0.022f, 0.036f, 0.060f};
  const Rgba grass{0.020f, 0.042f, 0.030f};
  const Rgba water{0.012f, 0.022f, 0.050f};
  canvas.Paint([&](float u, float y) {
    const float x = (u - 0.5f) * 2.0f * halfWidth;
    // Sky, with thin clouds lit from the moon's side.
    Rgba colour = Mix(zenith, horizon, Smooth(0.0f, 0.6f, y));
    const float cloud = clouds.Fractal(x * 3.0f + 10.0f, y * 11.0f, 5);
    const float thin = Smooth(0.55f, 0.78f, cloud) * Smooth(0.55f, 0.15f, y);
    const float moonSide = 1.0f / (1.0f + 6.0f * std::hypot(x - MOON_X, y - MOON_Y));
    colour = Mix(colour, Rgba{0.30f + 0.3f * moonSide, 0.33f + 0.3f * moonSide, 0.45f + 0.25f * moonSide},
                 thin * (0.22f + 0.5f * moonSide));
    // Stars: one chance per small cell, dimmer near the horizon and the moon.
    float nearest, second;
    uint32_t id;
    const float cells = height / 4.8f;
    stars.Cells(x * cells + 2000.0f, y * cells, nearest, second, id);
    if ((id & 7u) == 0 && y < 0.55f) {
      const float brightness = static_cast<float>((id >> 8) & 255u) / 255.0f;
      const float size = 0.9f * cells / height;
      const float star = std::exp(-nearest * nearest / (size * size * 0.08f)) * brightness *
                         Smooth(0.55f, 0.3f, y) * Smooth(0.08f, 0.25f, std::hypot(x - MOON_X, y - MOON_Y));
      colour.r += star * 0.85f;
      colour.g += star * 0.88f;
      colour.b += star;
    }
    // Two ranges of hills, then the garden's ground.
    const float far = 0.52f - 0.07f * hills.Fractal(x * 2.5f + 3.0f, 0.5f, 4);
    const float near = 0.585f - 0.045f * hills.Fractal(x * 4.0f + 31.0f, 7.5f, 4);
    const float pixel = 1.0f / height;
    colour = Mix(colour, farHill, Smooth(far - pixel, far + pixel, y));
    colour = Mix(colour, nearHill, Smooth(near - pixel, near + pixel, y));
    const float groundLine = GROUND_Y + 0.01f * hills.Value(x * 9.0f, 3.0f);
    const float grain = ground.Fractal(x * 40.0f + 100.0f, y * 60.0f, 4);
    const Rgba earth = Mix(grass, Rgba{0.045f, 0.070f, 0.050f}, grain * Smooth(GROUND_Y, 1.0f, y));
    colour = Mix(colour, earth, Smooth(groundLine - pixel, groundLine + pixel, y));
    // The pond: the sky mirrored, the moon's path broken by ripples.
    const float pond = std::hypot(x / POND_RX, (y - POND_Y) / POND_RY);
    if (pond < 1.02f) {
      const float wave = ripples.Fractal(x * 30.0f, y * 320.0f, 3);
      Rgba surface = Mix(water, horizon, 0.35f * Smooth(1.0f, 0.2f, pond) + 0.15f * wave);
      const float path = std::exp(-std::pow((x - MOON_X) / (0.03f + 0.10f * (y - 0.68f)), 2.0f));
      const float glitter = Smooth(0.52f, 0.70f, wave) * path;
      surface.r += glitter * 0.85f;
      surface.g += glitter * 0.85f;
      surface.b += glitter * 0.75f;
      const float lanternPath = std::exp(-std::pow((x - LANTERN_X - 0.01f) / 0.035f, 2.0f)) *
                                Smooth(0.5f, 0.66f, wave) * Smooth(0.96f, 0.8f, y);
      surface.r += lanternPath * 0.7f;
      surface.g += lanternPath * 0.42f;
      surface.b += lanternPath * 0.16f;
      // A darker bank where water meets the ground.
      const float edge = Smooth(0.9f, 1.02f, pond);
      colour = Mix(surface, Rgba{0.010f, 0.018f, 0.015f}, edge);
    }
    colour.a = 1.0f;
    return colour;
  });
}

void NightGardenPainting::PaintBamboo(Canvas& canvas) const {
  RandomStream random(seed + 10);
  const float halfWidth = static_cast<float>(canvas.Width()) * 0.5f / static_cast<float>(canvas.Height());
  const float left = -halfWidth - 0.05f;
  const int stalks = 6 + static_cast<int>((halfWidth - 0.4f) * 14.0f);
  for (int s = 0; s < stalks; ++s) {
    const float base = left + random.Range(0.02f, 0.30f) + static_cast<float>(s) * 0.012f;
    const float foot = random.Range(0.66f, 0.74f);
    const float lean = random.Range(-0.05f, 0.07f);
    const float width = random.Range(0.010f, 0.019f);
    const float shade = random.Range(0.6f, 1.0f);
    const Rgba stalk{0.030f * shade, 0.085f * shade, 0.060f * shade};
    const Rgba rim{0.16f * shade, 0.26f * shade, 0.20f * shade};
    const float x0 = PixelX(canvas, base);
    const float y0 = PixelY(canvas, foot);
    const float x1 = PixelX(canvas, base + lean);
    const float y1 = PixelY(canvas, -0.05f);
    canvas.Line(x0, y0, x1, y1, Pixels(canvas, width), stalk);
    // The moon is to the right: a lit edge on that side.
    const float offset = Pixels(canvas, width * 0.32f);
    canvas.Line(x0 + offset, y0, x1 + offset, y1, Pixels(canvas, width * 0.22f), rim);
    for (float node = foot - random.Range(0.05f, 0.1f); node > 0.0f; node -= random.Range(0.07f, 0.11f)) {
      const float t = (foot - node) / (foot + 0.05f);
      const float nx = base + lean * t;
      canvas.Line(PixelX(canvas, nx - width * 0.65f), PixelY(canvas, node), PixelX(canvas, nx + width * 0.65f),
                  PixelY(canvas, node), Pixels(canvas, 0.004f), Rgba{0.015f, 0.04f, 0.03f});
      // Leaves in sprays from the upper nodes.
      if (node < 0.45f) {
        const int leaves = 3 + static_cast<int>(random.Below(4));
        for (int l = 0; l < leaves; ++l) {
          const float side = random.Uniform() < 0.5f ? -1.0f : 1.0f;
          const float length = random.Range(0.035f, 0.065f);
          const float droop = random.Range(0.01f, 0.04f);
          const float lx = nx + side * length;
          const float ly = node + droop;
          const Rgba leaf{0.035f * shade + 0.02f * (side > 0 ? 1.0f : 0.0f), 0.10f * shade, 0.065f * shade};
          canvas.Line(PixelX(canvas, nx), PixelY(canvas, node), PixelX(canvas, lx), PixelY(canvas, ly),
                      Pixels(canvas, 0.006f), leaf);
        }
      }
    }
  }
}

void NightGardenPainting::PaintBridge(Canvas& canvas) const {
  const Rgba lacquer{0.32f, 0.075f, 0.055f};
  const Rgba shadow{0.12f, 0.03f, 0.03f};
  const float step = 0.5f / static_cast<float>(canvas.Height());
  // Its reflection, dim and below the water line, then the bridge itself.
  for (int pass = 0; pass < 2; ++pass) {
    const bool mirrored = pass == 0;
    auto at = [&](float y) { return mirrored ? 2.0f * (BRIDGE_BASE + 0.018f) - y : y; };
    const float fade = mirrored ? 0.35f : 1.0f;
    for (float x = BRIDGE_LEFT; x < BRIDGE_RIGHT; x += step * 4.0f) {
      const float deck = BridgeDeck(x);
      const float next = BridgeDeck(x + step * 4.0f);
      canvas.Line(PixelX(canvas, x), PixelY(canvas, at(deck)), PixelX(canvas, x + step * 4.0f),
                  PixelY(canvas, at(next)), Pixels(canvas, 0.014f), Rgba{shadow.r, shadow.g, shadow.b, fade});
      canvas.Line(PixelX(canvas, x), PixelY(canvas, at(deck - 0.006f)), PixelX(canvas, x + step * 4.0f),
                  PixelY(canvas, at(next - 0.006f)), Pixels(canvas, 0.005f), Rgba{lacquer.r, lacquer.g, lacquer.b, fade});
      canvas.Line(PixelX(canvas, x), PixelY(canvas, at(deck - 0.045f)), PixelX(canvas, x + step * 4.0f),
                  PixelY(canvas, at(next - 0.045f)), Pixels(canvas, 0.005f), Rgba{lacquer.r, lacquer.g, lacquer.b, fade});
    }
    for (float x = BRIDGE_LEFT + 0.01f; x < BRIDGE_RIGHT; x += 0.045f) {
      const float deck = BridgeDeck(x);
      canvas.Line(PixelX(canvas, x), PixelY(canvas, at(deck)), PixelX(canvas, x), PixelY(canvas, at(deck - 0.05f)),
                  Pixels(canvas, 0.0045f), Rgba{lacquer.r * 0.8f, lacquer.g * 0.8f, lacquer.b * 0.8f, fade});
    }
  }
}

void NightGardenPainting::PaintMaple(Canvas& canvas) const {
  RandomStream random(seed + 20);
  const float halfWidth = static_cast<float>(canvas.Width()) * 0.5f / static_cast<float>(canvas.Height());
  const float trunkX = std::min(halfWidth - 0.10f, 0.58f);
  const Rgba bark{0.045f, 0.030f, 0.028f};
  canvas.Line(PixelX(canvas, trunkX + 0.02f), PixelY(canvas, 0.70f), PixelX(canvas, trunkX - 0.03f),
              PixelY(canvas, 0.40f), Pixels(canvas, 0.030f), bark);
  canvas.Line(PixelX(canvas, trunkX - 0.03f), PixelY(canvas, 0.40f), PixelX(canvas, trunkX - 0.16f),
              PixelY(canvas, 0.24f), Pixels(canvas, 0.016f), bark);
  canvas.Line(PixelX(canvas, trunkX - 0.03f), PixelY(canvas, 0.40f), PixelX(canvas, trunkX + 0.06f),
              PixelY(canvas, 0.18f), Pixels(canvas, 0.014f), bark);
  // The canopy: many small clusters of leaves, darker inside, lit on the
  // side that faces the moon.
  const float cx = trunkX - 0.05f;
  const float cy = 0.24f;
  for (int i = 0; i < 1400; ++i) {
    const float angle = random.Range(0.0f, 6.2831853f);
    const float r = std::sqrt(random.Uniform());
    const float x = cx + std::cos(angle) * r * 0.23f;
    const float y = cy + std::sin(angle) * r * 0.13f;
    const float lit = std::clamp(0.5f - (x - cx) * 1.5f - (y - cy) * 2.0f + random.Range(-0.3f, 0.3f), 0.0f, 1.0f);
    const float depth = random.Range(0.6f, 1.0f);
    const Rgba leaf{(0.11f + 0.17f * lit) * depth, (0.025f + 0.035f * lit) * depth, (0.030f + 0.025f * lit) * depth};
    canvas.Disc(PixelX(canvas, x), PixelY(canvas, y), Pixels(canvas, random.Range(0.005f, 0.012f)), leaf, 1.5f);
  }
  // A few leaves on their way down.
  for (int i = 0; i < 9; ++i) {
    const float x = cx + random.Range(-0.30f, 0.10f);
    const float y = random.Range(0.38f, 0.66f);
    canvas.Disc(PixelX(canvas, x), PixelY(canvas, y), Pixels(canvas, 0.004f), Rgba{0.38f, 0.08f, 0.06f}, 1.0f);
  }
}

void NightGardenPainting::PaintLantern(Canvas& canvas) const {
  const Rgba stone{0.16f, 0.165f, 0.17f};
  const Rgba dark{0.07f, 0.075f, 0.08f};
  auto slab = [&](float y, float halfWidth, float thickness, const Rgba& colour) {
    canvas.Line(PixelX(canvas, LANTERN_X - halfWidth), PixelY(canvas, y), PixelX(canvas, LANTERN_X + halfWidth),
                PixelY(canvas, y), Pixels(canvas, thickness), colour);
  };
  const float b = LANTERN_BASE;
  slab(b - 0.010f, 0.035f, 0.020f, dark);
  canvas.Line(PixelX(canvas, LANTERN_X), PixelY(canvas, b - 0.02f), PixelX(canvas, LANTERN_X),
              PixelY(canvas, b - 0.085f), Pixels(canvas, 0.022f), stone);
  slab(b - 0.090f, 0.040f, 0.012f, stone);
  // The fire box, its window glowing.
  slab(b - 0.115f, 0.030f, 0.040f, dark);
  canvas.Disc(PixelX(canvas, LANTERN_X), PixelY(canvas, b - 0.115f), Pixels(canvas, 0.075f), Rgba{1.0f, 0.55f, 0.2f, 0.25f},
              Pixels(canvas, 0.07f), true);
  slab(b - 0.115f, 0.014f, 0.022f, Rgba{1.0f, 0.80f, 0.45f});
  // The roof, wide and pointed.
  const int rows = std::max(2, static_cast<int>(Pixels(canvas, 0.045f)));
  for (int row = 0; row <= rows; ++row) {
    const float t = static_cast<float>(row) / static_cast<float>(rows);
    slab(b - 0.137f - 0.045f * t, 0.065f * (1.0f - t) + 0.006f, 1.6f / static_cast<float>(canvas.Height()),
         Rgba{stone.r * (0.7f + 0.5f * t), stone.g * (0.7f + 0.5f * t), stone.b * (0.7f + 0.5f * t)});
  }
  canvas.Disc(PixelX(canvas, LANTERN_X), PixelY(canvas, b - 0.19f), Pixels(canvas, 0.009f), stone, 1.0f);
}

void NightGardenPainting::PaintFireflies(Canvas& canvas) const {
  RandomStream random(seed + 30);
  for (int i = 0; i < 28; ++i) {
    const float x = random.Range(-0.55f, 0.5f);
    const float y = random.Range(0.52f, 0.86f);
    const float glow = random.Range(0.3f, 1.0f);
    const float px = PixelX(canvas, x);
    const float py = PixelY(canvas, y);
    canvas.Disc(px, py, Pixels(canvas, 0.012f), Rgba{0.55f, 0.8f, 0.2f, 0.15f * glow}, Pixels(canvas, 0.012f), true);
    canvas.Disc(px, py, std::max(0.7f, Pixels(canvas, 0.0022f)), Rgba{0.9f, 1.0f, 0.55f, glow}, 1.0f, true);
  }
}

}  // namespace ynx::content
