#pragma once

#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/RendererBinding.h"
#include "engine/render/RenderStateBlock.h"

namespace ynx {

// One way through the pipeline for one draw: a render-state block, and an
// Apply that binds the streams, textures, shaders and constants of the
// object being drawn. The renderer records the block and the pass's vertex
// layout at the first draw and replays them until the pass is marked
// dirty; the binding holds the layout. Made by techniques, never streamed.
class Pass : public Object {
  YNX_DECLARE_CLASS(Pass);

 public:
  // The block starts with its defaults.
  Pass();
  // The renderer drops the recording and the layout first.
  ~Pass() override;

  // 0 to draw; anything else skips this pass.
  virtual int32_t Apply() = 0;
  // The pass is recorded anew at its next use.
  virtual void MarkDirty();

  RenderStateBlock* GetStateBlock() const { return stateBlock.Get(); }
  RendererBinding& GetBinding() { return binding; }

 protected:
  RendererBinding binding;
  Ptr<RenderStateBlock> stateBlock;
};

}  // namespace ynx
