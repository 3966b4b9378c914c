#pragma once

#include <type_traits>

namespace ynx {

// Points, directions and scale factors. Up is +Y.
struct Vector3 {
  static const Vector3 UP;

  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  static float Dot(const Vector3& a, const Vector3& b);
  static Vector3 Cross(const Vector3& a, const Vector3& b);
  // Component-wise product, as scale factors combine.
  static Vector3 Scale(const Vector3& v, const Vector3& factors);

  bool operator==(const Vector3& other) const = default;
  Vector3 operator+(const Vector3& other) const;
  Vector3 operator-(const Vector3& other) const;
  Vector3 operator*(float factor) const;

  float Length() const;
  // A vector too short to have a reliable direction becomes zero rather than
  // blowing up into huge or NaN components.
  void Normalize();
};

inline constexpr Vector3 Vector3::UP{0.0f, 1.0f, 0.0f};

static_assert(sizeof(Vector3) == 12 && std::is_trivially_copyable_v<Vector3>);

}  // namespace ynx
