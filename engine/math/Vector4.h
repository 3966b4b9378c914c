#pragma once

#include <type_traits>

namespace ynx {

// Homogeneous coordinates: w = 1 for a point, 0 for a direction.
struct Vector4 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float w = 0.0f;

  bool operator==(const Vector4& other) const = default;
  Vector4 operator+(const Vector4& other) const;
  Vector4 operator-(const Vector4& other) const;
  Vector4 operator*(float factor) const;
};

static_assert(sizeof(Vector4) == 16 && std::is_trivially_copyable_v<Vector4>);

}  // namespace ynx
