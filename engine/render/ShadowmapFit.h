#pragma once

#include <cstdint>

#include "engine/math/Matrix4.h"
#include "engine/math/Vector3.h"

namespace ynx {

class Camera;
class SphereBoundingVolume;

// Where a shadow map's light camera looks and what it takes in, for a
// directional light travelling along a unit `direction`.
class ShadowmapFit {
 public:
  static constexpr float UNIFORM_NEAR = 0.1f;

  // The camera looks along the light from the bound's centre moved back by
  // its radius r, orthographic over +-r across and from 0.1 to 2r deep
  // (never shallower than 0.1, so that a tiny bound still has depth).
  static void Uniform(Camera& lightCamera, const Vector3& direction,
                      const SphereBoundingVolume& bound);

  // A light-space perspective warp, so that texels crowd near the scene
  // camera: in the scene camera's view space a frame with the light as its
  // y axis and the view direction, made perpendicular to the light, as its
  // z axis. The scene camera's view volume (its projection at `aspect`) is
  // bounded in that frame and cut to the bound across (along the light the
  // whole bound stays, for the casters above); the centre of projection
  // lies (sqrt(2 x 50 x r) + 50) / sin(gamma) before the near face, and
  // the warp along z maps the box into the unit volume with depth along
  // the light. The light camera keeps the scene camera's view. False (the
  // camera untouched) when light and view are parallel or the box is
  // empty.
  static bool Perspective(Camera& lightCamera, const Camera& sceneCamera, float aspect,
                          const Vector3& direction, const SphereBoundingVolume& bound);

  // The light camera's view x projection x the mapping of x and y from
  // -1..1 to texture space (x 0.5, y -0.5), offset by 0.5 and half a texel
  // of a width x height map.
  static Matrix4 ShadowMatrix(const Camera& lightCamera, uint32_t width, uint32_t height);
};

}  // namespace ynx
