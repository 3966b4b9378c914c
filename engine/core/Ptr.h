#pragma once

#include <type_traits>
#include <utility>

namespace ynx {

// Counted pointer to a RefCounted object: holds one reference while it points
// at something.
template <typename T>
class Ptr {
 public:
  Ptr() = default;
  Ptr(T* object) : object(object) { Acquire(); }  // NOLINT: implicit on purpose
  Ptr(const Ptr& other) : object(other.object) { Acquire(); }
  Ptr(Ptr&& other) noexcept : object(std::exchange(other.object, nullptr)) {}
  template <typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ptr(const Ptr<U>& other) : object(other.Get()) {  // NOLINT: implicit on purpose
    Acquire();
  }
  ~Ptr() { Drop(); }

  Ptr& operator=(const Ptr& other) { return *this = other.object; }
  Ptr& operator=(Ptr&& other) noexcept {
    if (this != &other) {
      Drop();
      object = std::exchange(other.object, nullptr);
    }
    return *this;
  }
  // Assigning the object already held does nothing; otherwise the new one is
  // acquired before the old one is released, so that an object reachable only
  // through the old one survives.
  Ptr& operator=(T* other) {
    if (other != object) {
      T* old = object;
      object = other;
      Acquire();
      if (old != nullptr) old->Release();
    }
    return *this;
  }

  T* Get() const { return object; }
  T* operator->() const { return object; }
  T& operator*() const { return *object; }
  explicit operator bool() const { return object != nullptr; }
  bool operator==(const Ptr& other) const { return object == other.object; }
  bool operator==(const T* other) const { return object == other; }

 private:
  void Acquire() {
    if (object != nullptr) object->AddReference();
  }
  void Drop() {
    if (object != nullptr) std::exchange(object, nullptr)->Release();
  }

  T* object = nullptr;
};

}  // namespace ynx
