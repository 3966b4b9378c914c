#include "engine/math/Vector2.h"

namespace ynx {

Vector2 Vector2::operator+(const Vector2& other) const { return {x + other.x, y + other.y}; }

Vector2 Vector2::operator-(const Vector2& other) const { return {x - other.x, y - other.y}; }

Vector2 Vector2::operator*(float factor) const { return {x * factor, y * factor}; }

}  // namespace ynx
