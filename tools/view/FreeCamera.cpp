#include "tools/view/FreeCamera.h"

#include <algorithm>
#include <cmath>

#include "engine/system/KeyCodes.h"

namespace ynx::tools {
namespace {

constexpr float TURN_PER_PIXEL = 0.005f;
constexpr float PITCH_LIMIT = 1.5f;

int32_t Key(uint32_t virtualKey) { return KeyCodes::FromVirtualKey(virtualKey); }

}  // namespace

FreeCamera::FreeCamera(const Vector3& center, float radius)
    : camera(new Camera(String("ynx-view"))) {
  SetName(String("ynx-view camera"));
  const float reach = std::max(radius, 0.5f);
  const float distance = reach / std::tan(camera->GetFieldOfView() * 0.5f) * 1.1f;
  position = {center.x, center.y, center.z - distance};
  speed = reach;
  camera->SetFrustum(camera->GetFieldOfView(), std::max(0.01f, distance * 0.001f),
                     distance + reach * 4.0f);
  Place();
}

void FreeCamera::OnInput(const InputEvent& event) {
  switch (event.device) {
    case InputEvent::KEYBOARD:
      if (event.code == Key(VK_ESCAPE)) quit = true;
      if (event.code >= 0 && event.code < 128) held[event.code] = event.action == InputEvent::PRESSED;
      break;
    case InputEvent::MOUSE:
      if (event.action == InputEvent::MOVED) {
        if (dragging && moved) {
          yaw += static_cast<float>(event.code - lastX) * TURN_PER_PIXEL;
          pitch = std::clamp(pitch - static_cast<float>(event.value - lastY) * TURN_PER_PIXEL,
                             -PITCH_LIMIT, PITCH_LIMIT);
        }
        lastX = event.code;
        lastY = event.value;
        moved = true;
      } else if (event.code == InputEvent::LEFT_BUTTON) {
        dragging = event.action == InputEvent::PRESSED;
      }
      break;
    case InputEvent::SYSTEM:
      if (event.action == InputEvent::CLOSED) quit = true;
      break;
    default:
      break;
  }
}

void FreeCamera::Advance(double seconds) {
  const auto down = [&](uint32_t a, uint32_t b) {
    const int32_t first = Key(a);
    const int32_t second = Key(b);
    return (first >= 0 && first < 128 && held[first]) || (second >= 0 && second < 128 && held[second]);
  };
  const float forward = (down('W', VK_UP) ? 1.0f : 0.0f) - (down('S', VK_DOWN) ? 1.0f : 0.0f);
  const float sideways = (down('D', VK_RIGHT) ? 1.0f : 0.0f) - (down('A', VK_LEFT) ? 1.0f : 0.0f);
  const float upwards = (down('E', VK_PRIOR) ? 1.0f : 0.0f) - (down('Q', VK_NEXT) ? 1.0f : 0.0f);
  const float step = speed * static_cast<float>(seconds);
  const Vector3 look = camera->GetForward();
  const Vector3 right = camera->GetRight();
  position = {position.x + (look.x * forward + right.x * sideways) * step,
              position.y + (look.y * forward + right.y * sideways + upwards) * step,
              position.z + (look.z * forward + right.z * sideways) * step};
  Place();
}

void FreeCamera::Place() {
  Transformation local = camera->GetLocalTransform();
  local.SetTranslation(position);
  camera->SetLocalTransform(local);
  camera->SetDirection({std::sin(yaw) * std::cos(pitch), std::sin(pitch), std::cos(yaw) * std::cos(pitch)});
  camera->Update(0.0);
}

}  // namespace ynx::tools
