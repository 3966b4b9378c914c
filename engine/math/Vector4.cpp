#include "engine/math/Vector4.h"

namespace ynx {

Vector4 Vector4::operator+(const Vector4& other) const {
  return {x + other.x, y + other.y, z + other.z, w + other.w};
}

Vector4 Vector4::operator-(const Vector4& other) const {
  return {x - other.x, y - other.y, z - other.z, w - other.w};
}

Vector4 Vector4::operator*(float factor) const {
  return {x * factor, y * factor, z * factor, w * factor};
}

}  // namespace ynx
