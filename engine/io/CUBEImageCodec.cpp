#include "engine/io/CUBEImageCodec.h"

#include <cstring>
#include <utility>

#include "engine/io/File.h"
#include "engine/io/TGAImageCodec.h"
#include "engine/io/VolumeImage.h"

namespace ynx {
namespace {

constexpr uint32_t FACES = VolumeImage::CUBE_FACES;

int32_t ReadFaces(File& file, TGAImageCodec::Picture (&faces)[FACES]) {
  // No face may be larger than a sixth of the largest block, so that six of
  // them (and their copy) stay within bounds.
  for (uint32_t face = 0; face < FACES; ++face) {
    const int32_t status = TGAImageCodec::ReadPicture(file, Image::MAX_DATA_SIZE / FACES, faces[face]);
    if (status != 0) return status;
    if (faces[face].width != faces[0].width || faces[face].height != faces[0].height ||
        faces[face].format != faces[0].format) {
      return 1;
    }
  }
  return 0;
}

}  // namespace

CUBEImageCodec::CUBEImageCodec() : ImageCodec(String(NAME)) {
  AddExtensions({"CUBE", "cube", "Cube"});
}

int32_t CUBEImageCodec::Load(File* file, Image* image) {
  if (file == nullptr || image == nullptr) return 3;
  if (!image->IsDerivedFrom(VolumeImage::Type())) return 1;
  if (file->Open(File::MODE_READ) != 0) return 1;
  TGAImageCodec::Picture faces[FACES];
  int32_t status = ReadFaces(*file, faces);
  if (status == 0) {
    const TGAImageCodec::Picture& first = faces[0];
    const uint64_t faceSize = Image::DataSize(first.format, first.width, first.height);
    std::unique_ptr<uint8_t[]> block = Image::AllocateBlock(faceSize * FACES);
    if (block) {
      for (uint32_t face = 0; face < FACES; ++face) {
        std::memcpy(block.get() + face * faceSize, faces[face].pixels.get(), faceSize);
      }
      SetPicture(*image, first.width, first.height, FACES, first.format, std::move(block));
    } else {
      status = 2;
    }
  }
  const int32_t closed = file->Close();
  return status != 0 ? status : closed != 0 ? 1 : 0;
}

int32_t CUBEImageCodec::Save(File* file, Image* image) {
  if (file == nullptr || image == nullptr || !image->IsDerivedFrom(VolumeImage::Type()) ||
      static_cast<VolumeImage*>(image)->GetDepth() != FACES) {
    return 1;
  }
  return TGAImageCodec::WritePictures(*file, *image, FACES);
}

}  // namespace ynx
