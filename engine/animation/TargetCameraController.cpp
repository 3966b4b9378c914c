#include "engine/animation/TargetCameraController.h"

#include "engine/scene/Camera.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(TargetCameraController, Controller)

TargetCameraController::TargetCameraController(const String& name)
    : TargetController(name, Camera::Type(), "Невозможно сохранить цель камеры. Имя[%s] ID[%d]",
                       "Невозможно загрузить цель камеры. ID[%d] Имя[%s]") {}

}  // namespace ynx
