#pragma once

#include <cstdint>
#include <functional>

#include "engine/core/Array.h"

namespace ynx {

class MemoryStream;
class Object;
class Rtti;
class String;

// A point on an animation's cycle. A plain polymorphic record, not an
// object: the animation that owns it decides its kind, so none is stored.
// Streamed as the time (float64); kinds append their own data.
class Keyframe {
 public:
  Keyframe() = default;
  Keyframe(const Keyframe&) = delete;
  Keyframe& operator=(const Keyframe&) = delete;
  virtual ~Keyframe();

  // Both return the stream state; the kinds log their own steps.
  virtual int32_t Save(MemoryStream& stream) const;
  virtual int32_t Load(MemoryStream& stream);
  // Kinds that hold objects (texture keys) search and collect them; the
  // base holds none.
  virtual Object* FindByName(const String& name);
  virtual void CollectByType(const Rtti& type, Array<Object*>& result);
  // Every object the key holds a counted reference to.
  virtual void VisitReferences(const std::function<void(Object*)>& visit) const;

  // On the animation's 0-to-1 cycle.
  double time = 0.0;
};

}  // namespace ynx
