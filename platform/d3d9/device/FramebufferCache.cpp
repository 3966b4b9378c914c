#include "platform/d3d9/device/FramebufferCache.h"

#include <epoxy/gl.h>

namespace ynx {

namespace {

void Attach(GLuint framebuffer, GLenum point, const IDirect3DSurface9::Attachment& attachment) {
  if (attachment.layer >= 0) {
    glNamedFramebufferTextureLayer(framebuffer, point, attachment.texture, attachment.level, attachment.layer);
  } else {
    glNamedFramebufferTexture(framebuffer, point, attachment.texture, attachment.level);
  }
}

}  // namespace

uint32_t FramebufferCache::Get(const IDirect3DSurface9::Attachment& color, const IDirect3DSurface9::Attachment& depth,
                               bool stencil) {
  const Key key{color.texture, color.level, color.layer, depth.texture, depth.level, depth.layer};
  const auto found = framebuffers.find(key);
  if (found != framebuffers.end()) return found->second;
  GLuint framebuffer = 0;
  glCreateFramebuffers(1, &framebuffer);
  if (color.texture) {
    Attach(framebuffer, GL_COLOR_ATTACHMENT0, color);
  } else {
    glNamedFramebufferDrawBuffer(framebuffer, GL_NONE);
    glNamedFramebufferReadBuffer(framebuffer, GL_NONE);
  }
  if (depth.texture) Attach(framebuffer, stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT, depth);
  framebuffers.emplace(key, framebuffer);
  return framebuffer;
}

void FramebufferCache::Forget(uint32_t texture) {
  for (auto entry = framebuffers.begin(); entry != framebuffers.end();) {
    if (std::get<0>(entry->first) == texture || std::get<3>(entry->first) == texture) {
      glDeleteFramebuffers(1, &entry->second);
      entry = framebuffers.erase(entry);
    } else {
      ++entry;
    }
  }
}

void FramebufferCache::Clear() {
  for (auto& [key, framebuffer] : framebuffers) glDeleteFramebuffers(1, &framebuffer);
  framebuffers.clear();
}

}  // namespace ynx
