#include "engine/render/ShadowmapFit.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/math/Transformation.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SphereBoundingVolume.h"

namespace ynx {
namespace {

constexpr Vector3 UNIT_CORNERS[8] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0},
                                     {-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}};

// The distance term of the centre of projection: what the warp spends on
// the nearest part of the view.
constexpr float WARP_NEAR = 50.0f;

}  // namespace

void ShadowmapFit::Uniform(Camera& lightCamera, const Vector3& direction,
                           const SphereBoundingVolume& bound) {
  const float radius = bound.GetRadius();
  Transformation placed = lightCamera.GetLocalTransform();
  placed.SetTranslation(bound.GetCenter() - direction * radius);
  lightCamera.SetLocalTransform(placed);
  lightCamera.SetDirection(direction);
  lightCamera.UpdateWorldTransform();
  const float nearDistance = UNIFORM_NEAR;
  const float farDistance = std::max(2.0f * radius, 2.0f * UNIFORM_NEAR);
  Matrix4 projection = Matrix4::Identity();
  projection.m[0] = 1.0f / radius;
  projection.m[5] = 1.0f / radius;
  projection.m[10] = 1.0f / (farDistance - nearDistance);
  projection.m[14] = -nearDistance / (farDistance - nearDistance);
  lightCamera.SetMatrices(lightCamera.BuildView(), projection);
}

bool ShadowmapFit::Perspective(Camera& lightCamera, const Camera& sceneCamera, float aspect,
                               const Vector3& direction, const SphereBoundingVolume& bound) {
  const float cosGamma = Vector3::Dot(direction, sceneCamera.GetForward());
  const float sinGamma = std::sqrt(std::max(0.0f, 1.0f - cosGamma * cosGamma));
  const float radius = bound.GetRadius();
  if (sinGamma <= 0.0f || aspect <= 0.0f || radius <= 0.0f) return false;

  // The scene camera's view volume in its view space, at the viewport's
  // aspect rather than the camera's fixed one.
  Matrix4 projection = sceneCamera.BuildProjection();
  projection.m[0] = projection.m[5] / aspect;
  const Matrix4 toView = Matrix4::Inverse(projection);
  const Matrix4& view = sceneCamera.GetView();
  const Vector4 light4 = view.Transform({direction.x, direction.y, direction.z, 0.0f});
  Vector3 y{light4.x, light4.y, light4.z};
  y.Normalize();
  Vector3 x = Vector3::Cross(y, Vector3{0.0f, 0.0f, 1.0f});
  x.Normalize();
  Vector3 z = Vector3::Cross(x, y);
  z.Normalize();
  if (x == Vector3{} || z == Vector3{}) return false;

  constexpr float HUGE_VALUE = std::numeric_limits<float>::max();
  Vector3 low{HUGE_VALUE, HUGE_VALUE, HUGE_VALUE};
  Vector3 high{-HUGE_VALUE, -HUGE_VALUE, -HUGE_VALUE};
  for (const Vector3& unit : UNIT_CORNERS) {
    const Vector4 corner4 = toView.Transform({unit.x, unit.y, unit.z, 1.0f});
    if (corner4.w == 0.0f) return false;
    const Vector3 corner = Vector3{corner4.x, corner4.y, corner4.z} * (1.0f / corner4.w);
    const Vector3 framed{Vector3::Dot(corner, x), Vector3::Dot(corner, y), Vector3::Dot(corner, z)};
    low = {std::min(low.x, framed.x), std::min(low.y, framed.y), std::min(low.z, framed.z)};
    high = {std::max(high.x, framed.x), std::max(high.y, framed.y), std::max(high.z, framed.z)};
  }
  const Vector3 centre = view.TransformPoint(bound.GetCenter());
  const Vector3 framedCentre{Vector3::Dot(centre, x), Vector3::Dot(centre, y), Vector3::Dot(centre, z)};
  low = {std::max(low.x, framedCentre.x - radius), framedCentre.y - radius,
         std::max(low.z, framedCentre.z - radius)};
  high = {std::min(high.x, framedCentre.x + radius), framedCentre.y + radius,
          std::min(high.z, framedCentre.z + radius)};
  if (!(low.x < high.x) || !(low.z < high.z)) return false;

  const float nearDistance = (std::sqrt(2.0f * WARP_NEAR * radius) + WARP_NEAR) / sinGamma;
  const float farDistance = nearDistance + (high.z - low.z);
  const Vector3 eye{(low.x + high.x) * 0.5f, (low.y + high.y) * 0.5f, low.z - nearDistance};
  float spreadX = 0.0f;
  float spreadY = 0.0f;
  for (const float cornerX : {low.x, high.x}) {
    for (const float cornerY : {low.y, high.y}) {
      for (const float cornerZ : {low.z, high.z}) {
        const float depth = cornerZ - eye.z;
        spreadX = std::max(spreadX, std::fabs(cornerX - eye.x) / depth);
        spreadY = std::max(spreadY, std::fabs(cornerY - eye.y) / depth);
      }
    }
  }
  if (!(spreadX > 0.0f) || !(spreadY > 0.0f)) return false;

  // View space into the frame, centred on the eye.
  Matrix4 frame = Matrix4::Identity();
  const Vector3 axes[3] = {x, y, z};
  for (int32_t axis = 0; axis < 3; ++axis) {
    frame.m[axis] = axes[axis].x;
    frame.m[4 + axis] = axes[axis].y;
    frame.m[8 + axis] = axes[axis].z;
  }
  frame.m[12] = -eye.x;
  frame.m[13] = -eye.y;
  frame.m[14] = -eye.z;
  // The perspective along z: x and y over depth, z from near..far to -1..1.
  Matrix4 warp = Matrix4::Identity();
  warp.m[10] = (farDistance + nearDistance) / (farDistance - nearDistance);
  warp.m[11] = 1.0f;
  warp.m[14] = -2.0f * farDistance * nearDistance / (farDistance - nearDistance);
  warp.m[15] = 0.0f;
  // The fixed remapping: warped x across, the warped depth (negated, to keep
  // the winding of a camera looking along the light) up the map, and the
  // light axis y as depth 0..1. Light rays cross the warp axis at right
  // angles, so they stay parallel through it.
  Matrix4 remap;
  remap.m[0] = 1.0f / spreadX;
  remap.m[6] = 0.5f / spreadY;
  remap.m[9] = -1.0f;
  remap.m[14] = 0.5f;
  remap.m[15] = 1.0f;
  lightCamera.SetMatrices(view, Matrix4::Multiply(Matrix4::Multiply(frame, warp), remap));
  return true;
}

Matrix4 ShadowmapFit::ShadowMatrix(const Camera& lightCamera, uint32_t width, uint32_t height) {
  Matrix4 texture = Matrix4::Identity();
  texture.m[0] = 0.5f;
  texture.m[5] = -0.5f;
  texture.m[12] = 0.5f + (width > 0 ? 0.5f / static_cast<float>(width) : 0.0f);
  texture.m[13] = 0.5f + (height > 0 ? 0.5f / static_cast<float>(height) : 0.0f);
  return Matrix4::Multiply(lightCamera.GetViewProjection(), texture);
}

}  // namespace ynx
