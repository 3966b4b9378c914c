#include "content/textures/LightTextures.h"

#include <algorithm>
#include <cmath>

#include "content/Noise.h"
#include "content/Shading.h"

namespace ynx::content {

namespace {

using Rgba = Canvas::Rgba;

}  // namespace

void LightTextures::Make(ArchiveFolder& folder) {
  const Noise fibres(501, 8);
  const Noise glow(502, 2);
  Canvas paper(256, 256);
  paper.Paint([&](float u, float v) {
    const float fibre = fibres.Value(u * 64.0f, v * 8.0f) * 0.5f + fibres.Value(u * 8.0f + 3.0f, v * 64.0f) * 0.5f;
    const float warmth = glow.Fractal(u * 2.0f, v * 2.0f, 3);
    float light = 0.78f + 0.14f * fibre + 0.08f * warmth;
    // A lattice of two by three panes, dark wood over the paper.
    const float gx = std::abs(u * 2.0f - std::round(u * 2.0f));
    const float gy = std::abs(v * 3.0f - std::round(v * 3.0f));
    const float bar = Smooth(0.045f, 0.025f, std::min(gx * 1.5f, gy));
    light *= 1.0f - 0.85f * bar;
    return Rgba{light, light * 0.80f, light * 0.55f, 1.0f};
  });
  folder.SaveImage("Textures\\lantern_paper.jpg", paper, Image::FORMAT_RGB);

  const int size = 64;
  Canvas firefly(size, size, Rgba{0.8f, 1.0f, 0.45f, 0.0f});
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const float d = std::hypot(static_cast<float>(x) + 0.5f - 32.0f, static_cast<float>(y) + 0.5f - 32.0f) / 32.0f;
      const float core = std::exp(-d * d * 60.0f);
      const float halo = std::exp(-d * d * 6.0f) * Smooth(1.0f, 0.8f, d);
      Rgba& p = firefly.At(x, y);
      p = Rgba{0.75f + 0.25f * core, 0.95f + 0.05f * core, 0.40f + 0.5f * core, std::clamp(core + 0.6f * halo, 0.0f, 1.0f)};
    }
  }
  folder.SaveImage("Textures\\firefly.tga", firefly, Image::FORMAT_RGBA);
}

}  // namespace ynx::content
