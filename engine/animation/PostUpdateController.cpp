#include "engine/animation/PostUpdateController.h"

namespace ynx {
namespace {

PostUpdateController::Queue queue = nullptr;

}  // namespace

YNX_IMPLEMENT_ABSTRACT_CLASS(PostUpdateController, Controller)

void PostUpdateController::SetQueue(Queue value) { queue = value; }

PostUpdateController::Queue PostUpdateController::GetQueue() { return queue; }

PostUpdateController::PostUpdateController(const String& name) : Controller(name) {}

void PostUpdateController::Update(double) {
  if (IsActive() && queue != nullptr) queue(this);
}

void PostUpdateController::PostUpdate() {}

}  // namespace ynx
