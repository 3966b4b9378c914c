#pragma once

#include "engine/animation/Keyframe.h"
#include "engine/core/Ptr.h"
#include "engine/render/Texture.h"

namespace ynx {

// One page of a flip-book: the texture shown from the key's time on.
// Streamed after the time as the texture reference. Searches and
// collections go on into the texture.
class TextureKeyframe : public Keyframe {
 public:
  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  Object* FindByName(const String& name) override;
  void CollectByType(const Rtti& type, Array<Object*>& result) override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  Ptr<Texture> texture;
};

}  // namespace ynx
