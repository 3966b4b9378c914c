#pragma once

#include <cstdint>

namespace ynx::content {

// Lattice noise that tiles: every function takes a period in lattice cells
// and wraps there, so textures made from it repeat without a seam. Values
// come from hashing the cell and the seed, never from a running sequence.
class Noise {
 public:
  Noise(uint32_t seed, int period) : seed(seed), period(period < 1 ? 1 : period) {}

  // Smooth value noise in [0, 1] at (x, y) in cells.
  float Value(float x, float y) const;
  // Sum of `octaves` layers, each twice the frequency and `gain` times the
  // amplitude of the one before, normalised to [0, 1].
  float Fractal(float x, float y, int octaves, float gain = 0.5f) const;
  // Distances to the nearest and second nearest of one jittered point per
  // cell (cell units); `id` gets a hash of the nearest point's cell.
  void Cells(float x, float y, float& nearest, float& second, uint32_t& id) const;

  // A hash of integers, for per-cell choices.
  static uint32_t Hash(uint32_t a, uint32_t b, uint32_t c);

 private:
  float Lattice(int x, int y, uint32_t salt) const;
  int Wrap(int v, int p) const;

  uint32_t seed;
  int period;
};

}  // namespace ynx::content
