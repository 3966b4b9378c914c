#pragma once

#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/RendererBinding.h"

namespace ynx {

// A typed, reference-counted array of per-vertex or per-primitive data
// (positions, normals, texture coordinates, colours, point sizes, skin
// weights, indices) with the binding through which the renderer keeps its
// device copy. Whoever rewrites the elements calls MarkChanged afterwards.
class Buffer : public Object {
  YNX_DECLARE_CLASS(Buffer);

 public:
  explicit Buffer(const String& name = String());

  // Count times the element size, in bytes.
  virtual int32_t GetDataSize() const = 0;
  virtual int32_t GetCount() const = 0;
  // The element array; null when the count is 0.
  virtual void* GetData() const = 0;

  void MarkChanged() { binding.changed = true; }
  bool IsChanged() const { return binding.changed; }
  RendererBinding& GetBinding() { return binding; }

 protected:
  RendererBinding binding;
};

}  // namespace ynx
