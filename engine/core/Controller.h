#pragma once

#include "engine/core/Object.h"

namespace ynx {

// An object attached to another object (its owner) that changes the owner,
// or what it can reach, once per frame. Kept beside Object because the
// object's controller list drives it.
class Controller : public Object {
  YNX_DECLARE_CLASS(Controller);

 public:
  explicit Controller(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;

  // One frame of work; the base does nothing. Each controller tests its own
  // active flag.
  virtual void Update(double time);
  // Back to the start of whatever the controller plays; the base does nothing.
  virtual void Reset();

  bool IsActive() const { return active; }
  void SetActive(bool value) { active = value; }
  // The object whose list holds this controller; not counted, not streamed.
  Object* GetOwner() const { return owner; }
  void SetOwner(Object* value) { owner = value; }

 private:
  bool active = true;
  Object* owner = nullptr;
};

}  // namespace ynx
