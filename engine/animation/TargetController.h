#pragma once

#include <cstdint>
#include <functional>

#include "engine/core/Controller.h"
#include "engine/core/FieldMessage.h"
#include "engine/core/Ptr.h"

namespace ynx {

class Node;
class Rtti;

// Keeps its owner, a node of one kind, aimed at a target node. Each update
// brings the owner's world position up to this frame, turns it to look at
// the target (Node::SetDirection) and writes that rotation straight into
// the world transformation, leaving updateWorldTransform off: the owner's
// own update that follows keeps it, so the owner still moves with its
// parent but its world orientation is exactly the aim, whatever the
// parent's rotation. Straight up or down, world X stays the right axis; a
// target at the owner's position keeps the previous orientation.
//
// Streamed after the controller data: the target as a reference. The
// concrete kinds differ in their owner and messages only; the shared part
// has no type record of its own.
class TargetController : public Controller {
 public:
  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  // Nothing when inactive, without a target or when the owner is not of
  // the kind aimed.
  void Update(double time) override;

  Node* GetTarget() const { return target.Get(); }
  void SetTarget(Node* value);

 protected:
  TargetController(const String& name, const Rtti& ownerType, FieldMessage saveMessage,
                   FieldMessage loadMessage);

 private:
  const Rtti& ownerType;
  FieldMessage saveMessage;
  FieldMessage loadMessage;
  Ptr<Node> target;
};

}  // namespace ynx
