#include "engine/scene/Camera.h"

#include <cmath>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/math/Vector4.h"
#include "engine/scene/BoundingVolume.h"

namespace ynx {
namespace {

// The view volume in projected space: near face (z = 0), then far face.
constexpr Vector3 UNIT_CORNERS[8] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0},
                                     {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}};
// Three corners per plane, wound so that the normal points inwards, in the
// order near, far, left, right, top, bottom.
constexpr int PLANE_CORNERS[6][3] = {{0, 1, 2}, {6, 4, 7}, {0, 3, 7},
                                     {2, 1, 6}, {3, 2, 6}, {1, 0, 5}};
// The horizontal scale relative to the vertical one, whatever the window.
constexpr float ASPECT_FACTOR = 0.8f;

Plane PlaneThrough(const Vector3& a, const Vector3& b, const Vector3& c) {
  Plane plane;
  plane.normal = Vector3::Cross(b - a, c - a);
  plane.normal.Normalize();
  plane.d = Vector3::Dot(plane.normal, a);
  return plane;
}

}  // namespace

YNX_IMPLEMENT_CLASS(Camera, Node)

Camera::Camera(const String& name) : Node(name) {}

int32_t Camera::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, Node::Save(stream))
      .Field("Невозможно сохранить данные камеры. Имя[%s] ID[%d]", fieldOfView, nearDistance,
             farDistance)
      .Status();
}

int32_t Camera::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, Node::Load(stream))
      .Field("Невозможно загрузить данные камеры. ID[%d] Имя[%s]", fieldOfView, nearDistance,
             farDistance)
      .Status();
}

void Camera::Update(double time) {
  Node::Update(time);
  UpdateMatrices();
}

void Camera::UpdateMatrices() { SetMatrices(BuildView(), BuildProjection()); }

void Camera::SetMatrices(const Matrix4& newView, const Matrix4& newProjection) {
  projection = newProjection;
  view = newView;
  viewProjection = Matrix4::Multiply(view, projection);
  UpdatePlanes();
}

Matrix4 Camera::BuildProjection() const {
  const float scale = 1.0f / std::tan(fieldOfView * 0.5f);
  const float depth = farDistance / (farDistance - nearDistance);
  Matrix4 result = Matrix4::Identity();
  result.m[0] = scale * ASPECT_FACTOR;
  result.m[5] = scale;
  result.m[10] = depth;
  result.m[11] = 1.0f;
  result.m[14] = -nearDistance * depth;
  result.m[15] = 0.0f;
  return result;
}

Matrix4 Camera::BuildView() const {
  const Vector3 right = GetRight();
  const Vector3 up = GetUp();
  const Vector3 forward = GetForward();
  const Vector3 position = GetPosition();
  Matrix4 result;
  result.m[0] = right.x;
  result.m[1] = up.x;
  result.m[2] = forward.x;
  result.m[4] = right.y;
  result.m[5] = up.y;
  result.m[6] = forward.y;
  result.m[8] = right.z;
  result.m[9] = up.z;
  result.m[10] = forward.z;
  result.m[12] = -Vector3::Dot(position, right);
  result.m[13] = -Vector3::Dot(position, up);
  result.m[14] = -Vector3::Dot(position, forward);
  result.m[15] = 1.0f;
  return result;
}

void Camera::UpdatePlanes() {
  const Matrix4 inverse = Matrix4::Inverse(viewProjection);
  Vector3 corners[8];
  for (int i = 0; i < 8; ++i) {
    const Vector4 world =
        inverse.Transform({UNIT_CORNERS[i].x, UNIT_CORNERS[i].y, UNIT_CORNERS[i].z, 1.0f});
    corners[i] = Vector3{world.x, world.y, world.z} * (1.0f / world.w);
  }
  for (int i = 0; i < PLANE_COUNT; ++i) {
    const int* abc = PLANE_CORNERS[i];
    planes[i] = PlaneThrough(corners[abc[0]], corners[abc[1]], corners[abc[2]]);
  }
}

bool Camera::IsCulled(const BoundingVolume* bound) {
  if (bound == nullptr) return false;
  for (int32_t i = 0; i < PLANE_COUNT; ++i) {
    const int32_t bit = PLANE_BIT >> i;
    if ((planeMask & bit) == 0) continue;
    const int32_t side = bound->WhichSide(planes[i]);
    if (side < 0) return true;
    if (side > 0) planeMask &= ~bit;
  }
  return false;
}

}  // namespace ynx
