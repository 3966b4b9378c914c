#pragma once

#include <cstdint>
#include <map>
#include <tuple>

#include "platform/d3d9/device/Surface.h"

namespace ynx {

// One GL framebuffer per (colour, depth-stencil) pair of surfaces, made on
// first use; Forget drops those that use a texture being freed. The
// device's context must be current for every call.
class FramebufferCache {
 public:
  FramebufferCache() = default;
  FramebufferCache(const FramebufferCache&) = delete;
  FramebufferCache& operator=(const FramebufferCache&) = delete;

  // `color` or `depth` may have texture 0 (none); `stencil` says whether
  // the depth attachment holds stencil too.
  uint32_t Get(const IDirect3DSurface9::Attachment& color, const IDirect3DSurface9::Attachment& depth, bool stencil);
  void Forget(uint32_t texture);
  void Clear();

 private:
  using Key = std::tuple<uint32_t, int32_t, int32_t, uint32_t, int32_t, int32_t>;

  std::map<Key, uint32_t> framebuffers;
};

}  // namespace ynx
