#include "engine/animation/TargetLightController.h"

#include "engine/scene/Light.h"

namespace ynx {

YNX_IMPLEMENT_CLASS(TargetLightController, Controller)

TargetLightController::TargetLightController(const String& name)
    : TargetController(name, Light::Type(), "Невозможно сохранить цель источника света. Имя[%s] ID[%d]",
                       "Невозможно загрузить цель источника света. ID[%d] Имя[%s]") {}

}  // namespace ynx
