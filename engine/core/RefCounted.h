#pragma once

#include <cstdint>

namespace ynx {

// Intrusive reference count shared by every engine thing. A new object starts
// at 0; the release that takes the count from 1 to 0 deletes it. Counts are
// plain integers: the engine is single-threaded.
class RefCounted {
 public:
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;
  virtual ~RefCounted();

  void AddReference() { ++references; }
  void Release();
  // Drops a reference but keeps the object even at 0: for handing a new
  // object, guarded while it was built, to its first holder.
  void ReleaseWithoutDeleting() { --references; }
  int32_t GetReferenceCount() const { return references; }

 protected:
  RefCounted() = default;

 private:
  int32_t references = 0;
};

}  // namespace ynx
