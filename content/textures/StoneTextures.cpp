#include "content/textures/StoneTextures.h"

#include <algorithm>
#include <cmath>

#include "content/Noise.h"
#include "content/Shading.h"

namespace ynx::content {

namespace {

using Rgba = Canvas::Rgba;

constexpr int SIZE = 512;
// Height maps keep more detail: blocks would show as facets in the normals.
constexpr int HEIGHT_QUALITY = 94;

Rgba Grey(float value) { return Rgba{value, value, value, 1.0f}; }

}  // namespace

void StoneTextures::Make(ArchiveFolder& folder) {
  MakeGranite(folder);
  MakeRock(folder);
  MakePath(folder);
  MakePondBed(folder);
}

void StoneTextures::MakeGranite(ArchiveFolder& folder) {
  const Noise broad(101, 4);
  const Noise grain(102, 128);
  Canvas canvas(SIZE, SIZE);
  canvas.Paint([&](float u, float v) {
    const float base = 0.42f + 0.12f * (broad.Fractal(u * 4.0f, v * 4.0f, 4) - 0.5f);
    const float speck = grain.Value(u * 128.0f, v * 128.0f);
    float value = base;
    if (speck > 0.80f) value -= 0.22f * Smooth(0.80f, 0.9f, speck);
    if (speck < 0.12f) value += 0.18f * Smooth(0.12f, 0.04f, speck);
    return Rgba{value * 0.98f, value, value * 1.03f, 1.0f};
  });
  folder.SaveImage("Textures\\stone.jpg", canvas, Image::FORMAT_RGB);
}

void StoneTextures::MakeRock(ArchiveFolder& folder) {
  const Noise lichen(112, 8);
  Canvas height(SIZE, SIZE);
  height.Paint([&](float u, float v) {
    // Ridged layers: cracks and ledges rather than soft hills.
    float sum = 0.0f;
    float amplitude = 0.5f;
    for (int octave = 0; octave < 6; ++octave) {
      const float scale = static_cast<float>(4 << octave);
      const float n = Noise(Noise::Hash(111, static_cast<uint32_t>(octave), 0), 4 << octave).Value(u * scale, v * scale);
      sum += amplitude * (1.0f - std::abs(2.0f * n - 1.0f));
      amplitude *= 0.5f;
    }
    return Grey(std::clamp(sum, 0.0f, 1.0f));
  });
  folder.SaveImage("Textures\\rock_height.jpg", height, Image::FORMAT_GREY, HEIGHT_QUALITY);
  Canvas colour(SIZE, SIZE);
  colour.Paint([&](float u, float v) {
    const int x = std::min(SIZE - 1, static_cast<int>(u * SIZE));
    const int y = std::min(SIZE - 1, static_cast<int>(v * SIZE));
    const float h = height.At(x, y).r;
    Rgba rock = Mix(Rgba{0.20f, 0.19f, 0.18f}, Rgba{0.46f, 0.44f, 0.41f}, h);
    const float spots = Smooth(0.62f, 0.7f, lichen.Fractal(u * 8.0f, v * 8.0f, 4));
    return Mix(rock, Rgba{0.42f, 0.46f, 0.30f}, spots * 0.6f);
  });
  folder.SaveImage("Textures\\rock.jpg", colour, Image::FORMAT_RGB);
}

void StoneTextures::MakePath(ArchiveFolder& folder) {
  // Flagstones: one cell of a jittered grid each, rounded at the edges, moss
  // and soil in the joints.
  const Noise cells(121, 5);
  const Noise surface(122, 16);
  const Noise tint(123, 5);
  Canvas colour(SIZE, SIZE);
  Canvas height(SIZE, SIZE);
  for (int y = 0; y < SIZE; ++y) {
    for (int x = 0; x < SIZE; ++x) {
      const float u = (static_cast<float>(x) + 0.5f) / SIZE;
      const float v = (static_cast<float>(y) + 0.5f) / SIZE;
      float nearest, second;
      uint32_t id;
      cells.Cells(u * 5.0f, v * 5.0f, nearest, second, id);
      const float edge = second - nearest;
      const float stone = Smooth(0.04f, 0.16f, edge);
      const float rough = surface.Fractal(u * 16.0f, v * 16.0f, 4);
      const float shade = 0.85f + 0.3f * static_cast<float>(id & 255u) / 255.0f;
      height.At(x, y) = Grey(stone * (0.7f + 0.2f * rough) + (1.0f - stone) * 0.1f * rough);
      const Rgba flag = Mix(Rgba{0.30f * shade, 0.29f * shade, 0.27f * shade}, Rgba{0.48f * shade, 0.46f * shade, 0.42f * shade},
                            rough);
      const Rgba joint = Mix(Rgba{0.10f, 0.09f, 0.07f}, Rgba{0.16f, 0.24f, 0.10f}, tint.Fractal(u * 5.0f, v * 5.0f, 3));
      colour.At(x, y) = Mix(joint, flag, stone);
    }
  }
  folder.SaveImage("Textures\\path_stone.jpg", colour, Image::FORMAT_RGB);
  folder.SaveImage("Textures\\path_height.jpg", height, Image::FORMAT_GREY, HEIGHT_QUALITY);
}

void StoneTextures::MakePondBed(ArchiveFolder& folder) {
  const Noise pebbles(131, 24);
  const Noise sand(132, 64);
  const Noise silt(133, 4);
  Canvas canvas(SIZE, SIZE);
  canvas.Paint([&](float u, float v) {
    float nearest, second;
    uint32_t id;
    pebbles.Cells(u * 24.0f, v * 24.0f, nearest, second, id);
    const float pebble = Smooth(0.03f, 0.12f, second - nearest) * (1.0f - 0.5f * nearest);
    const float hue = static_cast<float>(id & 255u) / 255.0f;
    const Rgba stone = Mix(Rgba{0.22f, 0.20f, 0.17f}, Rgba{0.45f, 0.40f, 0.33f}, hue);
    const Rgba ground = Mix(Rgba{0.18f, 0.17f, 0.12f}, Rgba{0.30f, 0.27f, 0.20f}, sand.Value(u * 64.0f, v * 64.0f));
    const Rgba bed = Mix(ground, stone, pebble);
    // Darker silt in soft patches, greenish: the water has been still a while.
    return Mix(bed, Rgba{0.10f, 0.14f, 0.09f}, 0.5f * Smooth(0.45f, 0.75f, silt.Fractal(u * 4.0f, v * 4.0f, 4)));
  });
  folder.SaveImage("Textures\\pond_bed.jpg", canvas, Image::FORMAT_RGB);
}

}  // namespace ynx::content
