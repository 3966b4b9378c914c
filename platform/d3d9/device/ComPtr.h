#pragma once

#include <utility>

namespace ynx {

// An owned reference to a reference-counted object: copying adds a
// reference, destruction releases it. Holding one is what "the object holds
// what it uses" means throughout the device.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Adds a reference of its own; the caller keeps its reference.
  ComPtr(T* object) : pointer(object) {  // NOLINT: implicit by design
    if (pointer) pointer->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.pointer) {}
  ComPtr(ComPtr&& other) noexcept : pointer(std::exchange(other.pointer, nullptr)) {}
  ~ComPtr() {
    if (pointer) pointer->Release();
  }

  ComPtr& operator=(const ComPtr& other) {
    Reset(other.pointer);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      T* old = std::exchange(pointer, std::exchange(other.pointer, nullptr));
      if (old) old->Release();
    }
    return *this;
  }

  void Reset(T* object = nullptr) {
    if (object) object->AddRef();
    T* old = std::exchange(pointer, object);
    if (old) old->Release();
  }
  // Takes over a reference the caller owns (one from a Create call).
  static ComPtr Adopt(T* object) {
    ComPtr result;
    result.pointer = object;
    return result;
  }

  T* Get() const { return pointer; }
  T* operator->() const { return pointer; }
  explicit operator bool() const { return pointer != nullptr; }
  bool operator==(const ComPtr& other) const { return pointer == other.pointer; }
  bool operator==(const T* other) const { return pointer == other; }

 private:
  T* pointer = nullptr;
};

}  // namespace ynx
