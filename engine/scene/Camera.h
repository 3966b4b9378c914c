#pragma once

#include <cstdint>

#include "engine/math/Matrix4.h"
#include "engine/math/Plane.h"
#include "engine/scene/Node.h"

namespace ynx {

// A node that defines the view: a perspective projection from its field of
// view and clip distances, a view matrix from its world transformation, and
// the six world-space planes of its view volume that drawing culls against.
//
// Streamed after the node data: field of view, near and far distance
// (three floats).
class Camera : public Node {
  YNX_DECLARE_CLASS(Camera);

 public:
  enum PlaneIndex : int32_t {
    PLANE_NEAR = 0,
    PLANE_FAR = 1,
    PLANE_LEFT = 2,
    PLANE_RIGHT = 3,
    PLANE_TOP = 4,
    PLANE_BOTTOM = 5,
    PLANE_COUNT = 6,
  };
  // Every plane tested: what the renderer sets each frame.
  static constexpr int32_t ALL_PLANES = -1;
  // Bit (PLANE_BIT >> i) of the mask stands for plane i.
  static constexpr int32_t PLANE_BIT = 32;

  explicit Camera(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  // The controllers, the world transformation, then the matrices and planes.
  void Update(double time) override;

  // Projection, view, their product and the planes, from the current world
  // transformation.
  void UpdateMatrices();
  // Fixed view and projection instead of the built ones (a screen-space
  // camera), their product and the planes.
  void SetMatrices(const Matrix4& newView, const Matrix4& newProjection);
  Matrix4 BuildProjection() const;
  Matrix4 BuildView() const;
  void UpdatePlanes();

  // Whether the bound lies entirely outside the view volume, testing the
  // planes still in the mask in order (near first). A plane the bound lies
  // entirely inside is dropped from the mask. A missing bound is never
  // culled.
  bool IsCulled(const BoundingVolume* bound);

  float GetFieldOfView() const { return fieldOfView; }
  float GetNearDistance() const { return nearDistance; }
  float GetFarDistance() const { return farDistance; }
  void SetFrustum(float newFieldOfView, float newNear, float newFar) {
    fieldOfView = newFieldOfView;
    nearDistance = newNear;
    farDistance = newFar;
  }
  // Their normals point into the view volume.
  const Plane& GetPlane(int32_t index) const { return planes[index]; }
  const Matrix4& GetProjection() const { return projection; }
  const Matrix4& GetView() const { return view; }
  const Matrix4& GetViewProjection() const { return viewProjection; }
  int32_t GetPlaneMask() const { return planeMask; }
  void SetPlaneMask(int32_t mask) { planeMask = mask; }

 private:
  float fieldOfView = 0.7853982f;
  float nearDistance = 0.1f;
  float farDistance = 10000.0f;
  Plane planes[PLANE_COUNT];
  Matrix4 projection = Matrix4::Identity();
  Matrix4 view = Matrix4::Identity();
  Matrix4 viewProjection = Matrix4::Identity();
  int32_t planeMask = ALL_PLANES;
};

}  // namespace ynx
