#pragma once

#include <cstdint>
#include <functional>

#include "engine/core/Array.h"
#include "engine/core/ClassHooks.h"
#include "engine/core/Named.h"
#include "engine/core/Ptr.h"
#include "engine/core/RefCounted.h"

namespace ynx {

class Controller;
class MemoryStream;

// Root of every engine object: a name, an ID from one global counter, and a
// list of controllers (newest first). Objects are saved and loaded through
// the object stream, each class writing its parent's data before its own.
class Object : public Named, public virtual RefCounted {
 public:
  static const Rtti& Type();
  virtual const Rtti& GetType() const;
  // Logs and returns 1: the root class is abstract.
  static int32_t Create(Object** result);
  static int32_t InitializeClass();
  static int32_t ShutdownClass();

  explicit Object(const String& name = String());
  ~Object() override;

  virtual int32_t Save(MemoryStream& stream) const;
  virtual int32_t Load(MemoryStream& stream);
  // This object when the name matches, else the first hit among the
  // controllers, else null.
  virtual Object* FindByName(const String& name);
  // Appends this object when its type derives from the given one, then asks
  // the controllers. No references are taken.
  virtual void CollectByType(const Rtti& type, Array<Object*>& result);
  // Passes the frame time to every controller, newest first.
  virtual void UpdateControllers(double time);

  bool IsDerivedFrom(const Rtti& type) const { return GetType().IsDerivedFrom(type); }
  int32_t GetID() const { return id; }

  // Pushes the controller at the head of the list and makes this object its
  // owner: 0, 3 for a null controller, 2 without memory.
  int32_t AttachController(Controller* controller);
  // Releases every controller (clearing the owner of those it owned).
  void DetachAllControllers();
  // Drops every counted reference the object holds, leaving it empty: the way
  // to free a graph whose references form a cycle. Classes with object
  // fields extend it; the base detaches the controllers.
  virtual void ReleaseReferences();
  // Calls visit with every object this one holds a counted reference to (the
  // base: its controllers), so that tools can walk any graph without knowing
  // its classes. Classes that extend ReleaseReferences extend this too.
  virtual void VisitReferences(const std::function<void(Object*)>& visit) const;
  int32_t GetControllerCount() const;
  // Counted from the head (the newest); null past the end.
  Controller* GetController(int32_t index) const;

 private:
  static inline const bool classHooksQueued = QueueEngineHooks(&InitializeClass, &ShutdownClass);

  struct ControllerNode {
    Ptr<Controller> controller;
    ControllerNode* next;
  };

  int32_t id;
  ControllerNode* controllers = nullptr;
  // Set while FindByName or CollectByType walks the controllers, so that a
  // controller cycle (legal in a stream) ends instead of recursing forever.
  bool walking = false;
};

}  // namespace ynx
