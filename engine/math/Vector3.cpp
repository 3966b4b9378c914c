#include "engine/math/Vector3.h"

#include <cmath>

namespace ynx {

namespace {

// Squared lengths below this (2^-23) count as zero.
constexpr float MIN_SQUARED_LENGTH = 1.1920929e-7f;

}  // namespace

float Vector3::Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vector3 Vector3::Cross(const Vector3& a, const Vector3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vector3 Vector3::Scale(const Vector3& v, const Vector3& factors) {
  return {v.x * factors.x, v.y * factors.y, v.z * factors.z};
}

Vector3 Vector3::operator+(const Vector3& other) const {
  return {x + other.x, y + other.y, z + other.z};
}

Vector3 Vector3::operator-(const Vector3& other) const {
  return {x - other.x, y - other.y, z - other.z};
}

Vector3 Vector3::operator*(float factor) const { return {x * factor, y * factor, z * factor}; }

float Vector3::Length() const { return std::sqrt(Dot(*this, *this)); }

void Vector3::Normalize() {
  const float squared = Dot(*this, *this);
  if (squared < MIN_SQUARED_LENGTH) {
    *this = {};
    return;
  }
  const float length = std::sqrt(squared);
  x /= length;
  y /= length;
  z /= length;
}

}  // namespace ynx
