#pragma once

#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/render/SceneNodeEffect.h"
#include "engine/render/Texture.h"
#include "engine/scene/Triangles.h"

namespace ynx {

class Renderer;

// Draws its scene node's subtree letterboxed when `film` is set: the first
// of its two passes narrows the viewport to the middle three quarters of
// its height and lets the node draw its children, the second puts the full
// viewport back and draws nothing. Both bind the screen quad and the
// texture and draw nothing of their own.
//
// Streamed after the object data: the film flag.
class PostRenderEffect : public SceneNodeEffect {
  YNX_DECLARE_CLASS(PostRenderEffect);

 public:
  explicit PostRenderEffect(const String& name = String());

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  // The viewport's size is kept for the restore, unless a letterbox is
  // already on, and the current camera's matrices and planes follow.
  void BeginLetterbox(Renderer& renderer);
  // The kept viewport again; nothing when no letterbox is on.
  void EndLetterbox(Renderer& renderer);

  Triangles* GetScreenQuad() const { return screenQuad.Get(); }
  Texture* GetTexture() const { return texture.Get(); }
  void SetTexture(Texture* value) { texture = value; }
  bool GetFilm() const { return film; }
  void SetFilm(bool value) { film = value; }

 private:
  Ptr<Triangles> screenQuad;
  Ptr<Texture> texture;
  bool film = false;
  bool letterboxed = false;
  int32_t savedWidth = 0;
  int32_t savedHeight = 0;
};

}  // namespace ynx
