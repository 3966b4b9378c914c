#pragma once

#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/RendererBinding.h"

namespace ynx {

// Counts the pixels that pass the depth test between the renderer's
// BeginQuery and EndQuery. Made by code only: its factory always fails.
class OcclusionQuery : public Object {
  YNX_DECLARE_CLASS(OcclusionQuery);

 public:
  explicit OcclusionQuery(const String& name = String());

  // What the last EndQuery counted; 0 when the device had no query.
  uint32_t GetVisiblePixels() const { return visiblePixels; }
  void SetVisiblePixels(uint32_t count) { visiblePixels = count; }
  RendererBinding& GetBinding() { return binding; }

 private:
  RendererBinding binding;
  uint32_t visiblePixels = 0;
};

}  // namespace ynx
