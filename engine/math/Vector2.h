#pragma once

#include <type_traits>

namespace ynx {

// Texture coordinates and screen positions.
struct Vector2 {
  float x = 0.0f;
  float y = 0.0f;

  bool operator==(const Vector2& other) const = default;
  Vector2 operator+(const Vector2& other) const;
  Vector2 operator-(const Vector2& other) const;
  Vector2 operator*(float factor) const;
};

static_assert(sizeof(Vector2) == 8 && std::is_trivially_copyable_v<Vector2>);

}  // namespace ynx
