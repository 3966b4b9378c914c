#pragma once

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/math/Vector3.h"
#include "engine/scene/Camera.h"
#include "engine/system/InputHandler.h"

namespace ynx::tools {

// A camera of the viewer's own for scenes that have none: W/S or the up and
// down arrows move along the view, A/D or left/right sideways, Q/E down and
// up; dragging with the left button turns. Escape or closing the window asks
// the viewer to stop.
class FreeCamera : public InputHandler {
 public:
  // Placed to see the whole sphere, looking along +z.
  FreeCamera(const Vector3& center, float radius);

  void OnInput(const InputEvent& event) override;
  // Moves by the keys held for `seconds` and updates the camera.
  void Advance(double seconds);

  Camera* GetCamera() const { return camera.Get(); }
  bool QuitRequested() const { return quit; }

 private:
  void Place();

  Ptr<Camera> camera;
  Vector3 position;
  float yaw = 0.0f;
  float pitch = 0.0f;
  float speed;
  // Held keys by engine key code.
  bool held[128] = {};
  bool dragging = false;
  int32_t lastX = 0;
  int32_t lastY = 0;
  bool moved = false;
  bool quit = false;
};

}  // namespace ynx::tools
