#include "content/textures/PlantTextures.h"

#include <algorithm>
#include <cmath>

#include "content/LeafShapes.h"
#include "content/Noise.h"
#include "content/Shading.h"
#include "content/RandomStream.h"

namespace ynx::content {

namespace {

using Rgba = Canvas::Rgba;

// Cards are drawn twice as large and reduced, for clean edges; the see-
// through pixels keep the leaves' colour, so that filtering at the edges
// does not darken them.
constexpr int OVERSAMPLE = 2;

Canvas Card(int size, const Rgba& edgeColour) {
  return Canvas(size * OVERSAMPLE, size * OVERSAMPLE, Rgba{edgeColour.r, edgeColour.g, edgeColour.b, 0.0f});
}

}  // namespace

void PlantTextures::Make(ArchiveFolder& folder) {
  MakeMoss(folder);
  MakeGround(folder);
  MakeWood(folder);
  MakeBamboo(folder);
  MakeGrass(folder);
  MakeMaple(folder);
}

void PlantTextures::MakeMoss(ArchiveFolder& folder) {
  const Noise clumps(201, 8);
  const Noise fibres(202, 256);
  Canvas canvas(512, 512);
  canvas.Paint([&](float u, float v) {
    const float clump = clumps.Fractal(u * 8.0f, v * 8.0f, 4);
    const float fine = fibres.Value(u * 256.0f, v * 256.0f);
    const Rgba deep{0.08f, 0.16f, 0.05f};
    const Rgba bright{0.30f, 0.46f, 0.14f};
    Rgba moss = Mix(deep, bright, Smooth(0.25f, 0.8f, clump) * (0.6f + 0.4f * fine));
    // Tips catching light.
    if (fine > 0.86f) moss = Mix(moss, Rgba{0.55f, 0.66f, 0.30f}, (fine - 0.86f) * 4.0f);
    return moss;
  });
  folder.SaveImage("Textures\\moss.jpg", canvas, Image::FORMAT_RGB);
}

void PlantTextures::MakeGround(ArchiveFolder& folder) {
  const Noise patches(211, 6);
  const Noise blades(212, 32);
  const Noise soil(213, 32);
  Canvas canvas(512, 512);
  canvas.Paint([&](float u, float v) {
    const float grassy = Smooth(0.35f, 0.65f, patches.Fractal(u * 6.0f, v * 6.0f, 4));
    // Short blades: noise stretched one way, then the other, mixed.
    const float b = std::max(blades.Value(u * 128.0f, v * 32.0f), blades.Value(u * 32.0f + 7.0f, v * 128.0f));
    const Rgba earth = Mix(Rgba{0.16f, 0.12f, 0.08f}, Rgba{0.25f, 0.20f, 0.14f}, soil.Fractal(u * 32.0f, v * 32.0f, 3));
    const Rgba grass = Mix(Rgba{0.10f, 0.20f, 0.07f}, Rgba{0.24f, 0.38f, 0.12f}, b);
    return Mix(earth, grass, grassy * (0.5f + 0.5f * b));
  });
  folder.SaveImage("Textures\\ground.jpg", canvas, Image::FORMAT_RGB);
}

void PlantTextures::MakeWood(ArchiveFolder& folder) {
  // Planks along u, the grain bent by noise; red lacquer worn through to
  // the wood where feet and hands go.
  const Noise bend(221, 4);
  const Noise wear(222, 8);
  const Noise pores(223, 32);
  Canvas canvas(512, 512);
  canvas.Paint([&](float u, float v) {
    const float plank = std::floor(v * 4.0f);
    const float within = v * 4.0f - plank;
    const float warp = bend.Fractal(u * 4.0f, v * 4.0f + plank * 7.0f, 3);
    const float rings = 0.5f + 0.5f * std::sin((within * 3.0f + warp * 2.5f + plank * 1.7f) * 6.2831853f);
    const Rgba wood = Mix(Rgba{0.30f, 0.19f, 0.11f}, Rgba{0.45f, 0.31f, 0.19f}, rings);
    const Rgba lacquer = Mix(Rgba{0.42f, 0.07f, 0.05f}, Rgba{0.55f, 0.11f, 0.07f}, rings * 0.4f + 0.3f * warp);
    const float worn = Smooth(0.62f, 0.75f, wear.Fractal(u * 8.0f, v * 8.0f, 4));
    Rgba colour = Mix(lacquer, wood, worn);
    // Dark joints between planks, fine pores.
    const float joint = Smooth(0.02f, 0.0f, std::min(within, 1.0f - within));
    colour = Mix(colour, Rgba{0.06f, 0.03f, 0.02f}, joint * 0.9f);
    const float pore = pores.Value(u * 32.0f, v * 512.0f);
    return Mix(colour, Rgba{0.1f, 0.05f, 0.03f}, pore > 0.85f ? 0.3f : 0.0f);
  });
  folder.SaveImage("Textures\\wood.jpg", canvas, Image::FORMAT_RGB);
}

void PlantTextures::MakeBamboo(ArchiveFolder& folder) {
  // The stalk: u round it, v along it, one node at each end of the tile.
  const Noise streaks(231, 64);
  const Noise blotch(232, 4);
  Canvas stalk(256, 512);
  stalk.Paint([&](float u, float v) {
    // Long streaks: mostly constant along the stalk, so the tile repeats.
    const float streak = 0.7f * streaks.Value(u * 64.0f, 0.5f) + 0.3f * streaks.Value(u * 64.0f, v * 64.0f);
    Rgba colour = Mix(Rgba{0.22f, 0.36f, 0.12f}, Rgba{0.42f, 0.55f, 0.20f}, streak);
    colour = Mix(colour, Rgba{0.55f, 0.52f, 0.28f}, 0.4f * Smooth(0.6f, 0.8f, blotch.Fractal(u * 4.0f, v * 4.0f, 3)));
    const float node = std::min(v, 1.0f - v);
    colour = Mix(colour, Rgba{0.62f, 0.62f, 0.38f}, Smooth(0.025f, 0.008f, node));
    return Mix(colour, Rgba{0.10f, 0.16f, 0.06f}, Smooth(0.008f, 0.0f, node));
  });
  folder.SaveImage("Textures\\bamboo.jpg", stalk, Image::FORMAT_RGB);

  // A spray of leaves hanging from the top edge.
  const int size = 256;
  const Rgba green{0.20f, 0.38f, 0.12f};
  Canvas leaves = Card(size, green);
  RandomStream random(233);
  const float s = static_cast<float>(OVERSAMPLE);
  for (int i = 0; i < 9; ++i) {
    const float angle = -1.2f + 2.4f * (static_cast<float>(i) + random.Range(0.0f, 0.6f)) / 9.0f;
    const float length = random.Range(150.0f, 220.0f) * s;
    const float baseX = 128.0f * s + random.Range(-20.0f, 20.0f) * s;
    const float baseY = random.Range(4.0f, 30.0f) * s;
    const Rgba colour = Mix(green, Rgba{0.32f, 0.50f, 0.18f}, random.Uniform());
    LeafShapes::Blade(leaves, baseX, baseY, baseX + std::sin(angle) * length, baseY + std::cos(angle) * length,
                      random.Range(24.0f, 32.0f) * s, random.Range(-25.0f, 25.0f) * s, colour);
  }
  folder.SaveImage("Textures\\bamboo_leaves.tga", leaves.Reduced(size, size), Image::FORMAT_RGBA);
}

void PlantTextures::MakeGrass(ArchiveFolder& folder) {
  // Blades rising from the bottom edge, the tall ones bending over.
  const int size = 256;
  const Rgba green{0.16f, 0.30f, 0.09f};
  Canvas grass = Card(size, green);
  RandomStream random(241);
  const float s = static_cast<float>(OVERSAMPLE);
  for (int i = 0; i < 64; ++i) {
    const float x = random.Range(10.0f, 246.0f) * s;
    const float height = random.Range(110.0f, 250.0f) * s;
    const float lean = random.Range(-40.0f, 40.0f) * s;
    const Rgba colour = Mix(green, Rgba{0.38f, 0.50f, 0.20f}, random.Uniform());
    LeafShapes::Blade(grass, x, static_cast<float>(size) * s, x + lean, static_cast<float>(size) * s - height,
                      random.Range(4.0f, 7.0f) * s, lean * 0.5f, colour);
  }
  folder.SaveImage("Textures\\grass.tga", grass.Reduced(size, size), Image::FORMAT_RGBA);
}

void PlantTextures::MakeMaple(ArchiveFolder& folder) {
  // The canopy's card: a cluster of leaves in autumn reds.
  const int size = 256;
  const Rgba red{0.62f, 0.10f, 0.06f};
  Canvas foliage = Card(size, red);
  RandomStream random(251);
  const float s = static_cast<float>(OVERSAMPLE);
  for (int i = 0; i < 34; ++i) {
    const float angle = random.Range(0.0f, 6.2831853f);
    const float r = std::sqrt(random.Uniform()) * 92.0f * s;
    const Rgba colour = Mix(red, random.Uniform() < 0.3f ? Rgba{0.85f, 0.35f, 0.08f} : Rgba{0.42f, 0.05f, 0.06f},
                            random.Uniform());
    LeafShapes::Maple(foliage, 128.0f * s + std::cos(angle) * r, 128.0f * s + std::sin(angle) * r,
                      random.Range(26.0f, 38.0f) * s, random.Range(-0.8f, 0.8f), colour);
  }
  folder.SaveImage("Textures\\maple_leaves.tga", foliage.Reduced(size, size), Image::FORMAT_RGBA);

  // One leaf, for the falling-leaf particles.
  Canvas leaf = Card(64, red);
  LeafShapes::Maple(leaf, 32.0f * s, 30.0f * s, 26.0f * s, 0.0f, Rgba{0.70f, 0.16f, 0.06f});
  folder.SaveImage("Textures\\maple_leaf.tga", leaf.Reduced(64, 64), Image::FORMAT_RGBA);
}

}  // namespace ynx::content
