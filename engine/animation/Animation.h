#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/animation/Keyframe.h"
#include "engine/core/Object.h"

namespace ynx {

// A named list of keyframes on a normalised cycle from 0 to 1, in ascending
// time order as stored. Each kind of animation holds one kind of key.
//
// Streamed after the object data: the key count (int32), then each key's
// own data with no type tag.
class Animation : public Object {
  YNX_DECLARE_CLASS(Animation);

 public:
  explicit Animation(const String& name = String());
  ~Animation() override;

  // 1 on a failed step (one message each), 2 when a key cannot be made. A
  // failed load leaves no keys.
  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  // This object and its controllers, then each key in order.
  Object* FindByName(const String& name) override;
  void CollectByType(const Rtti& type, Array<Object*>& result) override;
  // Drops the keys too, with whatever they hold.
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  int32_t GetKeyCount() const { return static_cast<int32_t>(keys.size()); }
  // Index must be below the key count.
  Keyframe& GetKey(int32_t index) const { return *keys[static_cast<size_t>(index)]; }
  // Appends a key of this animation's kind at the end; null without memory.
  Keyframe* AddKey(double time);
  // The largest index whose key time is at or before u, or the last index
  // when u lies before the first key (the segment that wraps from the last
  // key to the first). Needs at least one key.
  int32_t FindKey(double u) const;

 protected:
  // A default key of this animation's kind, or null without memory.
  virtual Keyframe* NewKeyframe() const = 0;

 private:
  std::vector<std::unique_ptr<Keyframe>> keys;
};

}  // namespace ynx
