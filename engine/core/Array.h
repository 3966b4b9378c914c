#pragma once

#include <cstdint>
#include <new>
#include <utility>

namespace ynx {

// Growable array with a fixed growth step. A full array with increment 0
// refuses to grow, and Append / Insert then silently add nothing (they report
// it through their result). Array<Ptr<T>> holds references: storing,
// overwriting and removing elements take and release them.
template <typename T>
class Array {
 public:
  explicit Array(uint32_t capacity = 1, uint32_t increment = 1)
      : items(capacity > 0 ? new T[capacity] : nullptr), capacity(capacity), increment(increment) {}
  Array(const Array&) = delete;
  Array& operator=(const Array&) = delete;
  ~Array() { delete[] items; }

  bool Append(const T& value) { return Insert(count, value); }

  // Index must not be above the count.
  bool Insert(uint32_t index, const T& value) {
    if (count == capacity && !Grow()) return false;
    for (uint32_t i = count; i > index; --i) items[i] = std::move(items[i - 1]);
    items[index] = value;
    ++count;
    return true;
  }

  void RemoveAt(uint32_t index) {
    for (uint32_t i = index + 1; i < count; ++i) items[i - 1] = std::move(items[i]);
    --count;
    items[count] = T();
  }

  // Removes every element, keeping the capacity.
  void Clear() {
    for (uint32_t i = 0; i < count; ++i) items[i] = T();
    count = 0;
  }

  // Index of the first element equal to the value, or -1. Compares in place,
  // so looking up a raw pointer in an array of Ptr takes no reference.
  template <typename U>
  int32_t IndexOf(const U& value) const {
    for (uint32_t i = 0; i < count; ++i) {
      if (items[i] == value) return static_cast<int32_t>(i);
    }
    return -1;
  }

  T& operator[](uint32_t index) { return items[index]; }
  const T& operator[](uint32_t index) const { return items[index]; }
  uint32_t Count() const { return count; }
  uint32_t Capacity() const { return capacity; }

  T* begin() { return items; }
  T* end() { return items + count; }
  const T* begin() const { return items; }
  const T* end() const { return items + count; }

 private:
  bool Grow() {
    if (increment == 0) return false;
    T* grown = new (std::nothrow) T[capacity + increment];
    if (grown == nullptr) return false;
    for (uint32_t i = 0; i < count; ++i) grown[i] = std::move(items[i]);
    delete[] items;
    items = grown;
    capacity += increment;
    return true;
  }

  T* items;
  uint32_t count = 0;
  uint32_t capacity;
  uint32_t increment;
};

}  // namespace ynx
