#include "engine/io/ImageCodec.h"

#include <algorithm>
#include <utility>

#include "engine/io/File.h"
#include "engine/io/Image.h"
#include "engine/io/VolumeImage.h"

namespace ynx {

void ImageCodec::SetPicture(Image& image, uint32_t width, uint32_t height, uint32_t depth,
                            int32_t format, std::unique_ptr<uint8_t[]> block) {
  image.SetSize(width, height);
  image.SetFormat(format);
  if (image.IsDerivedFrom(VolumeImage::Type())) static_cast<VolumeImage&>(image).SetDepth(depth);
  image.SetData(std::move(block));
}

int64_t ImageCodec::Remaining(File& file) {
  return static_cast<int64_t>(file.GetSize()) - file.GetPosition();
}

int32_t ImageCodec::Skip(File& file, int64_t count) {
  if (count < 0 || count > Remaining(file)) return 1;
  // Files have no seek: the content is in memory, so reading past is cheap.
  uint8_t scratch[256];
  while (count > 0) {
    const auto chunk = static_cast<int32_t>(std::min<int64_t>(count, sizeof scratch));
    if (file.Read(scratch, chunk) != 0) return 1;
    count -= chunk;
  }
  return 0;
}

}  // namespace ynx
