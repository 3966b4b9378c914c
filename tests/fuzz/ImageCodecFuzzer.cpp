// libFuzzer target for one image codec, chosen when the target is built
// (YNX_FUZZ_CODEC, YNX_FUZZ_FILE): arbitrary bytes as a file of the codec's
// extension, loaded into an image (a volume image for cube maps). A picture
// that loads must have the block its size and format imply, and every byte
// of it is read so that the sanitizer sees any short block.

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "engine/core/EngineLists.h"
#include "engine/io/BMPImageCodec.h"
#include "engine/io/CUBEImageCodec.h"
#include "engine/io/JPGImageCodec.h"
#include "engine/io/MemoryFile.h"
#include "engine/io/TGAImageCodec.h"
#include "engine/io/VolumeImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ynx;
  using FuzzedCodec = YNX_FUZZ_CODEC;
  constexpr bool cube = std::is_same_v<FuzzedCodec, CUBEImageCodec>;
  static const bool started = InitializeEngine() == 0;
  if (!started || size > static_cast<size_t>(INT32_MAX)) return 0;

  MemoryFile file{String(YNX_FUZZ_FILE)};
  file.SetSource(data, static_cast<int32_t>(size), false);
  FuzzedCodec codec;
  Ptr<Image> image(cube ? new VolumeImage() : new Image());
  if (codec.Load(&file, image.Get()) != 0) return 0;

  const uint64_t expected = Image::DataSize(image->GetFormat(), image->GetWidth(),
                                            image->GetHeight(), cube ? VolumeImage::CUBE_FACES : 1);
  if (Image::BytesPerPixel(image->GetFormat()) <= 0 || image->GetData() == nullptr ||
      image->GetDataSize() != expected || expected > Image::MAX_DATA_SIZE) {
    __builtin_trap();
  }
  uint32_t sum = 0;
  for (uint64_t i = 0; i < expected; ++i) sum += image->GetData()[i];
  volatile uint32_t sink = sum;
  (void)sink;
  return 0;
}
