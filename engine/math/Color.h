#pragma once

#include <cstdint>
#include <type_traits>

namespace ynx {

// Linear colour with channels nominally in 0..1; lighting may push them
// outside that range, so only packing for the device clamps.
struct Color {
  float red = 0.0f;
  float green = 0.0f;
  float blue = 0.0f;
  float alpha = 1.0f;

  bool operator==(const Color& other) const = default;

  // 0xAARRGGBB. Each channel is clamped to 0..1 first, so an out-of-range
  // value saturates instead of carrying into its neighbour; NaN packs as 0.
  // Scaled by 255 and truncated, so only 1.0 reaches 255.
  uint32_t ToARGB() const;
};

static_assert(sizeof(Color) == 16 && std::is_trivially_copyable_v<Color>);

}  // namespace ynx
