#pragma once

#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/RendererBinding.h"
#include "engine/io/Image.h"

namespace ynx {

// What every texture shares: the binding to its device copy (`changed`
// means the image must be uploaded again), the mipmap levels to make and
// the image the copy is made from. The binding has the renderer drop the
// device copy when the texture goes.
//
// Streamed after the object data: the level count (int32), which loading
// replaces by 0, so every loaded texture asks for a full chain; then the
// image as a reference.
class BaseTexture : public Object {
  YNX_DECLARE_CLASS(BaseTexture);

 public:
  explicit BaseTexture(const String& name = String(), int32_t mipLevels = 0);

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  // Null for none.
  Image* GetImage() const { return image.Get(); }
  // The texture is uploaded again at its next bind.
  void SetImage(Image* value);

  // 0 asks for the full chain; after creation, what the device made.
  int32_t GetMipLevels() const { return mipLevels; }
  void SetMipLevels(int32_t levels) { mipLevels = levels; }
  void MarkChanged() { binding.changed = true; }
  RendererBinding& GetBinding() { return binding; }

 protected:
  // The image class a stored texture of this kind may reference.
  virtual const char* ImageType() const { return "YNX.Image"; }

  RendererBinding binding;

 private:
  int32_t mipLevels;
  Ptr<Image> image;
};

}  // namespace ynx
