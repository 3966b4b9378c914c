#include "engine/render/ScreensaverSet.h"

#include "engine/animation/TargetCameraController.h"
#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/scene/Node.h"

namespace ynx {
namespace {

// The first of the object's controllers (from the head) that is an
// animation controller, or null.
AnimationController* FirstAnimation(const Object& object) {
  for (int32_t index = 0; index < object.GetControllerCount(); ++index) {
    Controller* controller = object.GetController(index);
    if (controller->IsDerivedFrom(AnimationController::Type())) {
      return static_cast<AnimationController*>(controller);
    }
  }
  return nullptr;
}

}  // namespace

int32_t ScreensaverSet::Save(MemoryStream& stream) const {
  return FieldWriter(stream)
      .Field("Невозможно сохранить камеру сета контроллера скринсейвера.", camera)
      .Field("Невозможно сохранить данные сета контроллера скринсейвера.", fadeInTime, duration)
      .Status();
}

int32_t ScreensaverSet::Load(MemoryStream& stream) {
  return FieldReader(stream)
      .Field("Невозможно загрузить камеру сета контроллера скринсейвера.", camera)
      .Field("Невозможно загрузить данные сета контроллера скринсейвера.", fadeInTime, duration)
      .Status();
}

void ScreensaverSet::FindAnimations() {
  cameraAnimation = nullptr;
  targetAnimation = nullptr;
  if (!camera) return;
  for (int32_t index = 0; index < camera->GetControllerCount(); ++index) {
    Controller* controller = camera->GetController(index);
    if (controller->IsDerivedFrom(AnimationController::Type())) {
      cameraAnimation = static_cast<AnimationController*>(controller);
    } else if (controller->IsDerivedFrom(TargetCameraController::Type())) {
      const Node* target = static_cast<TargetCameraController*>(controller)->GetTarget();
      targetAnimation = target != nullptr ? FirstAnimation(*target) : nullptr;
    }
  }
}

}  // namespace ynx
