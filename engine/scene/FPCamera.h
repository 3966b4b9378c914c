#pragma once

#include "engine/scene/Camera.h"

namespace ynx {

// A camera that files mark as first-person. It behaves exactly like a
// Camera; its three settings are only kept so that they load and save back
// (streamed after the camera data: two floats and a byte).
class FPCamera : public Camera {
  YNX_DECLARE_CLASS(FPCamera);

 public:
  explicit FPCamera(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;

  float GetMoveSpeed() const { return moveSpeed; }
  float GetTurnSpeed() const { return turnSpeed; }
  bool GetInvertY() const { return invertY; }

 private:
  float moveSpeed = 1.0f;
  float turnSpeed = 3.0f;
  bool invertY = false;
};

}  // namespace ynx
