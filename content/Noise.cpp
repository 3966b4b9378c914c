#include "content/Noise.h"

#include <cmath>

namespace ynx::content {

uint32_t Noise::Hash(uint32_t a, uint32_t b, uint32_t c) {
  uint32_t h = a * 0x8DA6B343u ^ b * 0xD8163841u ^ c * 0xCB1AB31Fu;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

int Noise::Wrap(int v, int p) const {
  const int m = v % p;
  return m < 0 ? m + p : m;
}

float Noise::Lattice(int x, int y, uint32_t salt) const {
  return static_cast<float>(Hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed + salt) >> 8) *
         (1.0f / 16777215.0f);
}

float Noise::Value(float x, float y) const {
  const float fx = std::floor(x);
  const float fy = std::floor(y);
  const int ix = static_cast<int>(fx);
  const int iy = static_cast<int>(fy);
  const float tx = x - fx;
  const float ty = y - fy;
  const float sx = tx * tx * (3.0f - 2.0f * tx);
  const float sy = ty * ty * (3.0f - 2.0f * ty);
  const int x0 = Wrap(ix, period);
  const int x1 = Wrap(ix + 1, period);
  const int y0 = Wrap(iy, period);
  const int y1 = Wrap(iy + 1, period);
  const float a = Lattice(x0, y0, 0);
  const float b = Lattice(x1, y0, 0);
  const float c = Lattice(x0, y1, 0);
  const float d = Lattice(x1, y1, 0);
  return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

float Noise::Fractal(float x, float y, int octaves, float gain) const {
  float sum = 0.0f;
  float amplitude = 1.0f;
  float total = 0.0f;
  Noise layer = *this;
  for (int octave = 0; octave < octaves; ++octave) {
    sum += amplitude * layer.Value(x, y);
    total += amplitude;
    amplitude *= gain;
    x *= 2.0f;
    y *= 2.0f;
    layer.period *= 2;
    layer.seed += 0x51ED27u;
  }
  return total > 0.0f ? sum / total : 0.0f;
}

void Noise::Cells(float x, float y, float& nearest, float& second, uint32_t& id) const {
  const int ix = static_cast<int>(std::floor(x));
  const int iy = static_cast<int>(std::floor(y));
  nearest = 1e9f;
  second = 1e9f;
  id = 0;
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      const int cx = ix + dx;
      const int cy = iy + dy;
      const int wx = Wrap(cx, period);
      const int wy = Wrap(cy, period);
      const float px = static_cast<float>(cx) + Lattice(wx, wy, 1);
      const float py = static_cast<float>(cy) + Lattice(wx, wy, 2);
      const float distance = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
      if (distance < nearest) {
        second = nearest;
        nearest = distance;
        id = Hash(static_cast<uint32_t>(wx), static_cast<uint32_t>(wy), seed + 3);
      } else if (distance < second) {
        second = distance;
      }
    }
  }
}

}  // namespace ynx::content
