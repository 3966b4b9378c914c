#include "engine/render/NormalmapTextureController.h"

#include <cmath>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/io/Image.h"
#include "engine/render/Texture.h"

namespace ynx {
namespace {

// A component of a unit vector as a byte; what a scale that is not a
// number leaves is flat.
uint8_t Component(float value) {
  const float scaled = value * 127.0f + 128.0f;
  return scaled >= 0.0f && scaled < 256.0f ? static_cast<uint8_t>(scaled) : uint8_t{128};
}

}  // namespace

YNX_IMPLEMENT_CLASS(NormalmapTextureController, Controller)

NormalmapTextureController::NormalmapTextureController(const String& name) : Controller(name) {}

int32_t NormalmapTextureController::Save(MemoryStream& stream) const {
  return FieldWriter(stream, *this, Controller::Save(stream))
      .Field("Невозможно сохранить коэффициент бампа. Имя[%s] ID[%d]", bumpScale, withAlpha)
      .Status();
}

int32_t NormalmapTextureController::Load(MemoryStream& stream) {
  return FieldReader(stream, *this, Controller::Load(stream))
      .Field("Невозможно загрузить коэффициент бампа. ID[%d] Имя[%s]", bumpScale, withAlpha)
      .Status();
}

void NormalmapTextureController::Update(double) {
  if (!IsActive() || done) return;
  Object* owner = GetOwner();
  if (owner == nullptr || !owner->IsDerivedFrom(Texture::Type())) {
    done = true;
    return;
  }
  auto* texture = static_cast<Texture*>(owner);
  Image* image = texture->GetImage();
  if (image == nullptr || image->GetFormat() != Image::FORMAT_GREY) return;
  const uint64_t pixels = uint64_t{image->GetWidth()} * image->GetHeight();
  // A grey image without one plane of pixels (none loaded, a volume) has
  // nothing to convert, now or later.
  if (image->GetData() == nullptr || pixels == 0 || image->GetDataSize() != pixels) {
    done = true;
    return;
  }
  if (!Convert(*image)) return;
  texture->MarkChanged();
  done = true;
}

bool NormalmapTextureController::Convert(Image& image) const {
  const int32_t format = withAlpha ? Image::FORMAT_RGBA : Image::FORMAT_RGB;
  const uint32_t width = image.GetWidth();
  const uint32_t height = image.GetHeight();
  std::unique_ptr<uint8_t[]> block =
      Image::AllocateBlock(Image::DataSize(format, width, height));
  if (!block) return false;
  const uint8_t* heights = image.GetData();
  const auto at = [&](uint32_t x, uint32_t y) {
    return static_cast<float>(heights[uint64_t{y} * width + x]) / 255.0f;
  };
  uint8_t* out = block.get();
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const float here = at(x, y);
      const float dx = bumpScale * (here - at((x + 1) % width, y));
      const float dy = bumpScale * (here - at(x, (y + 1) % height));
      const float length = std::sqrt(dx * dx + dy * dy + 1.0f);
      *out++ = Component(dx / length);
      *out++ = Component(dy / length);
      *out++ = Component(1.0f / length);
      if (withAlpha) *out++ = heights[uint64_t{y} * width + x];
    }
  }
  image.ReplacePixels(format, std::move(block));
  return true;
}

}  // namespace ynx
