#include "engine/render/PostRenderEffect.h"

#include <new>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/render/Pass.h"
#include "engine/render/Renderer.h"
#include "engine/render/Technique.h"
#include "engine/scene/Camera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx {
namespace {

// The share of the height each bar takes, and what is left between them.
constexpr float BAR = 0.125f;
constexpr float PICTURE = 0.75f;

// Binds the quad and the texture and draws nothing; the first pass then
// letterboxes and lets the children draw, the second ends the letterbox
// and draws nothing more.
class PostRenderPass : public Pass {
 public:
  PostRenderPass(PostRenderEffect* effect, bool ends) : effect(effect), ends(ends) {}

  int32_t Apply() override {
    Renderer* renderer = Renderer::GetCurrent();
    if (renderer == nullptr) return 1;
    Triangles* quad = effect->GetScreenQuad();
    renderer->SetCurrentGeometry(quad);
    renderer->SetIndexBuffer(quad != nullptr ? quad->GetIndices() : nullptr);
    renderer->SetPositionStream(quad != nullptr ? quad->GetVertices() : nullptr);
    renderer->SetTexture(effect->GetTexture(), 0);
    // Drawing nothing ends the pass's recording, so the viewport set below
    // is no part of it: a replay in a later frame cannot bring back the
    // viewport of the first, nor letterbox the letterbox.
    renderer->Draw(0);
    if (ends) {
      effect->EndLetterbox(*renderer);
      return 1;
    }
    if (effect->GetFilm()) effect->BeginLetterbox(*renderer);
    return 0;
  }

 private:
  PostRenderEffect* effect;
  bool ends;
};

class PostRenderTechnique : public Technique {
 public:
  explicit PostRenderTechnique(PostRenderEffect* effect) : Technique(effect) {}

  bool Create() override {
    auto* effect = static_cast<PostRenderEffect*>(GetEffect());
    const Ptr<Pass> begin = new (std::nothrow) PostRenderPass(effect, false);
    const Ptr<Pass> end = new (std::nothrow) PostRenderPass(effect, true);
    if (!begin || !end) return false;
    AddPass(begin.Get());
    AddPass(end.Get());
    return true;
  }
};

// Two triangles over the whole of clip space; short of memory, with what
// could be had (a buffer without its array is empty, and nothing is drawn
// from the quad anyway).
Triangles* MakeScreenQuad() {
  auto* quad = new (std::nothrow) Triangles();
  if (quad == nullptr) return nullptr;
  const Ptr<Vector3Buffer> positions = new (std::nothrow) Vector3Buffer(4);
  if (positions && positions->GetCount() == 4) {
    Vector3* corner = positions->GetElements();
    for (const Vector3& at : {Vector3{-1.0f, -1.0f, 0.0f}, Vector3{-1.0f, 1.0f, 0.0f}, Vector3{1.0f, 1.0f, 0.0f},
                              Vector3{1.0f, -1.0f, 0.0f}}) {
      *corner++ = at;
    }
    quad->SetVertices(positions.Get());
  }
  const Ptr<IntBuffer> indices = new (std::nothrow) IntBuffer(6);
  if (indices && indices->GetCount() == 6) {
    int32_t* index = indices->GetElements();
    for (const int32_t corner : {0, 1, 2, 0, 2, 3}) *index++ = corner;
    quad->SetIndices(indices.Get());
  }
  return quad;
}

}  // namespace

YNX_IMPLEMENT_CLASS(PostRenderEffect, SceneNodeEffect)

PostRenderEffect::PostRenderEffect(const String& name) : SceneNodeEffect(name), screenQuad(MakeScreenQuad()) {
  AddTechnique(new (std::nothrow) PostRenderTechnique(this));
}

int32_t PostRenderEffect::Save(MemoryStream& stream) const {
  // The flag has no message of its own: the stream's state says it.
  const int32_t status = FieldWriter(stream, *this, SceneNodeEffect::Save(stream)).Status();
  return status != 0 ? status : stream.WriteBool(film);
}

int32_t PostRenderEffect::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, SceneNodeEffect::Load(stream))
      .Field("Невозможно загрузить флаг фильма. ID[%d] Имя[%s]", film)
      .Status();
}

void PostRenderEffect::ReleaseReferences() {
  screenQuad = nullptr;
  texture = nullptr;
  SceneNodeEffect::ReleaseReferences();
}

void PostRenderEffect::VisitReferences(const std::function<void(Object*)>& visit) const {
  SceneNodeEffect::VisitReferences(visit);
  if (screenQuad) visit(screenQuad.Get());
  if (texture) visit(texture.Get());
}

void PostRenderEffect::BeginLetterbox(Renderer& renderer) {
  if (!letterboxed) {
    savedWidth = renderer.GetViewportWidth();
    savedHeight = renderer.GetViewportHeight();
    letterboxed = true;
  }
  const auto width = static_cast<float>(savedWidth);
  const auto height = static_cast<float>(savedHeight);
  renderer.SetViewport({0.0f, height * BAR}, {width, height * PICTURE});
  if (Camera* camera = renderer.GetCamera()) camera->UpdateMatrices();
}

void PostRenderEffect::EndLetterbox(Renderer& renderer) {
  if (!letterboxed) return;
  letterboxed = false;
  renderer.SetViewport({0.0f, 0.0f}, {static_cast<float>(savedWidth), static_cast<float>(savedHeight)});
}

}  // namespace ynx
