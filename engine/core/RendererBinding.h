#pragma once

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/RefCounted.h"

namespace ynx {

class RendererBinding;

// What made a device copy: the renderer, as the objects below it see it.
class BindingOwner : public RefCounted {
 public:
  // Drops the device copy held in `binding`, forgets it and resets the
  // binding. The binding may hold the owner's last reference.
  virtual void ReleaseBinding(RendererBinding& binding) = 0;
};

// The link between an engine object and its copy on the graphics device,
// embedded in every object that has one (buffers, textures, shaders, passes,
// render-state blocks, queries). The object never touches the device: the
// renderer fills the binding at first use, uploads while `changed` is set and
// then clears it; whoever rewrites the object's contents sets it again.
//
// When the binding goes, with its object, it asks its owner to drop the
// device copy first.
class RendererBinding {
 public:
  RendererBinding() = default;
  RendererBinding(const RendererBinding&) = delete;
  RendererBinding& operator=(const RendererBinding&) = delete;
  virtual ~RendererBinding();

  // Asks the owner, if any, to drop the device copy; the owner is kept
  // alive until it has finished.
  void Release();
  // What the owner does once it has dropped the device copy: no owner, no
  // handle, and the contents must be uploaded again at the next use.
  void Reset();

  bool changed = true;
  Ptr<BindingOwner> owner;
  // The renderer's own handle of the device copy; opaque to the engine.
  void* rendererData = nullptr;
  int32_t reserved = 0;
};

}  // namespace ynx
