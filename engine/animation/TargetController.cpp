#include "engine/animation/TargetController.h"

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/scene/Node.h"

namespace ynx {

TargetController::TargetController(const String& name, const Rtti& ownerType,
                                   FieldMessage saveMessage, FieldMessage loadMessage)
    : Controller(name),
      ownerType(ownerType),
      saveMessage(saveMessage),
      loadMessage(loadMessage) {}

int32_t TargetController::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, Controller::Save(stream)).Field(saveMessage, target).Status();
}

int32_t TargetController::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, Controller::Load(stream)).Field(loadMessage, target).Status();
}

void TargetController::ReleaseReferences() {
  target = nullptr;
  Controller::ReleaseReferences();
}

void TargetController::VisitReferences(const std::function<void(Object*)>& visit) const {
  Controller::VisitReferences(visit);
  if (target) visit(target.Get());
}

void TargetController::SetTarget(Node* value) { target = value; }

void TargetController::Update(double) {
  Object* owner = GetOwner();
  if (!IsActive() || !target || owner == nullptr || !owner->IsDerivedFrom(ownerType)) return;
  auto* node = static_cast<Node*>(owner);
  node->SetUpdateWorldTransform(true);
  node->UpdateWorldTransform();
  node->SetUpdateWorldTransform(false);
  node->SetDirection(target->GetPosition() - node->GetPosition());
  Transformation world = node->GetWorldTransform();
  world.rotation = node->GetLocalTransform().rotation;
  world.identity = false;
  world.rotationFree = false;
  node->SetWorldTransform(world);
}

}  // namespace ynx
