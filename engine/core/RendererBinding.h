#pragma once

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/RefCounted.h"

namespace ynx {

// The link between an engine object and its copy on the graphics device,
// embedded in every object that has one (buffers, textures, shaders, passes,
// render-state blocks). The object never touches the device: the renderer
// fills the binding at first use, uploads while `changed` is set and then
// clears it; whoever rewrites the object's contents sets it again.
//
// `owner` is the renderer that made the device copy. It is held as its
// counted base, so the binding needs nothing of the renderer's interface;
// when the object goes away, the renderer is asked (through its release
// operation for that kind of object) to drop the device copy first.
class RendererBinding {
 public:
  RendererBinding() = default;
  RendererBinding(const RendererBinding&) = delete;
  RendererBinding& operator=(const RendererBinding&) = delete;
  virtual ~RendererBinding();

  // What the renderer does once it has released the device copy: no owner,
  // no handle, and the contents must be uploaded again at the next use.
  void Reset();

  bool changed = true;
  Ptr<RefCounted> owner;
  // The renderer's own handle of the device copy; opaque to the engine.
  void* rendererData = nullptr;
  int32_t reserved = 0;
};

}  // namespace ynx
