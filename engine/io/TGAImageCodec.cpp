#include "engine/io/TGAImageCodec.h"

#include <cstring>
#include <new>
#include <utility>

#include "engine/io/File.h"
#include "engine/io/Image.h"

namespace ynx {
namespace {

constexpr int32_t HEADER_SIZE = 18;
constexpr uint8_t TYPE_TRUE_COLOUR = 2;
constexpr uint8_t TYPE_TRUE_COLOUR_RLE = 10;
constexpr uint8_t DESCRIPTOR_TOP_ORIGIN = 0x20;
constexpr uint8_t RLE_REPEAT = 0x80;
constexpr int32_t MAX_PACKET_PIXELS = 128;
constexpr uint32_t MAX_DIMENSION = 0xFFFF;

// Files hold BGR(A), the engine RGB(A); the exchange is its own inverse.
void SwapRedAndBlue(uint8_t* pixels, uint64_t size, int32_t bytesPerPixel) {
  for (uint64_t i = 0; i < size; i += static_cast<uint64_t>(bytesPerPixel)) {
    std::swap(pixels[i], pixels[i + 2]);
  }
}

// Run-length packets until the block is full; a packet running past it is
// bad data.
int32_t ReadRunLength(File& file, uint8_t* block, uint64_t size, int32_t bytesPerPixel) {
  const auto pixelBytes = static_cast<uint64_t>(bytesPerPixel);
  for (uint64_t filled = 0; filled < size;) {
    uint8_t packet = 0;
    if (file.Read(&packet, 1) != 0) return 1;
    const uint64_t count = (packet & ~RLE_REPEAT) + 1u;
    if (count * pixelBytes > size - filled) return 1;
    uint8_t* target = block + filled;
    if ((packet & RLE_REPEAT) != 0) {
      if (file.Read(target, bytesPerPixel) != 0) return 1;
      for (uint64_t copy = 1; copy < count; ++copy) {
        std::memcpy(target + copy * pixelBytes, target, pixelBytes);
      }
    } else if (file.Read(target, static_cast<int32_t>(count * pixelBytes)) != 0) {
      return 1;
    }
    filled += count * pixelBytes;
  }
  return 0;
}

}  // namespace

TGAImageCodec::TGAImageCodec() : ImageCodec(String(NAME)) { AddExtensions({"TGA", "tga", "Tga"}); }

int32_t TGAImageCodec::Load(File* file, Image* image) {
  if (file == nullptr || image == nullptr) return 3;
  if (file->Open(File::MODE_READ) != 0) return 1;
  Picture picture;
  const int32_t status = ReadPicture(*file, Image::MAX_DATA_SIZE, picture);
  if (status == 0) {
    SetPicture(*image, picture.width, picture.height, 1, picture.format, std::move(picture.pixels));
  }
  const int32_t closed = file->Close();
  return status != 0 ? status : closed != 0 ? 1 : 0;
}

int32_t TGAImageCodec::ReadPicture(File& file, uint64_t maxSize, Picture& picture) {
  uint8_t idLength = 0, colourMapType = 0, imageType = 0, bitsPerPixel = 0, descriptor = 0;
  uint8_t colourMapSpec[5] = {};
  uint16_t originX = 0, originY = 0, width = 0, height = 0;
  file.Read(&idLength, 1);
  file.Read(&colourMapType, 1);
  file.Read(&imageType, 1);
  file.Read(colourMapSpec, sizeof colourMapSpec);
  file.Read(&originX, 2);
  file.Read(&originY, 2);
  file.Read(&width, 2);
  file.Read(&height, 2);
  file.Read(&bitsPerPixel, 1);
  file.Read(&descriptor, 1);
  if (file.GetState() != 0) return 1;

  int32_t format = 0;
  if (bitsPerPixel == 24) {
    format = Image::FORMAT_RGB;
  } else if (bitsPerPixel == 32) {
    format = Image::FORMAT_RGBA;
  } else {
    return 1;
  }
  if (imageType != TYPE_TRUE_COLOUR && imageType != TYPE_TRUE_COLOUR_RLE) return 1;
  const int32_t bytesPerPixel = Image::BytesPerPixel(format);
  const uint64_t size = Image::DataSize(format, width, height);
  if (size == 0 || size > maxSize) return 1;
  if (idLength <= Remaining(file)) Skip(file, idLength);

  // Nothing is allocated for pixels the file cannot hold: all of them
  // uncompressed, or at least one packet per 128 when run-length encoded.
  const uint64_t pixels = size / static_cast<uint64_t>(bytesPerPixel);
  const uint64_t leastBytes =
      imageType == TYPE_TRUE_COLOUR
          ? size
          : (pixels + MAX_PACKET_PIXELS - 1) / MAX_PACKET_PIXELS * (1u + bytesPerPixel);
  if (leastBytes > static_cast<uint64_t>(Remaining(file))) return 1;
  std::unique_ptr<uint8_t[]> block = Image::AllocateBlock(size);
  if (!block) return 2;
  const int32_t status = imageType == TYPE_TRUE_COLOUR
                             ? file.Read(block.get(), static_cast<int32_t>(size))
                             : ReadRunLength(file, block.get(), size, bytesPerPixel);
  if (status != 0) return 1;

  if ((descriptor & DESCRIPTOR_TOP_ORIGIN) == 0) SwapRedAndBlue(block.get(), size, bytesPerPixel);
  picture.pixels = std::move(block);
  picture.width = width;
  picture.height = height;
  picture.format = format;
  return 0;
}

int32_t TGAImageCodec::CheckWritable(const Image& image) {
  const int32_t format = image.GetFormat();
  if (format != Image::FORMAT_RGB && format != Image::FORMAT_RGBA) return 3;
  const uint32_t width = image.GetWidth();
  const uint32_t height = image.GetHeight();
  if (image.GetData() == nullptr || width == 0 || height == 0 || width > MAX_DIMENSION ||
      height > MAX_DIMENSION) {
    return 1;
  }
  return 0;
}

int32_t TGAImageCodec::WritePicture(File& file, const Image& image, const uint8_t* pixels) {
  const int32_t bytesPerPixel = Image::BytesPerPixel(image.GetFormat());
  const uint64_t size = Image::DataSize(image.GetFormat(), image.GetWidth(), image.GetHeight());
  std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[HEADER_SIZE + size]);
  if (!block) return 2;
  // Bottom origin, rows from row 0, pixels as BGR(A): the layout every reader
  // understands, and the one Load returns unchanged. The low descriptor bits
  // count the alpha bits.
  uint8_t* header = block.get();
  std::memset(header, 0, HEADER_SIZE);
  header[2] = TYPE_TRUE_COLOUR;
  header[12] = static_cast<uint8_t>(image.GetWidth());
  header[13] = static_cast<uint8_t>(image.GetWidth() >> 8);
  header[14] = static_cast<uint8_t>(image.GetHeight());
  header[15] = static_cast<uint8_t>(image.GetHeight() >> 8);
  header[16] = static_cast<uint8_t>(8 * bytesPerPixel);
  header[17] = image.GetFormat() == Image::FORMAT_RGBA ? 8 : 0;
  std::memcpy(block.get() + HEADER_SIZE, pixels, size);
  SwapRedAndBlue(block.get() + HEADER_SIZE, size, bytesPerPixel);
  file.Write(block.get(), static_cast<int32_t>(HEADER_SIZE + size));
  return 0;
}

int32_t TGAImageCodec::WritePictures(File& file, const Image& image, uint32_t count) {
  const int32_t writable = CheckWritable(image);
  if (writable != 0) return writable;
  if (file.Open(File::MODE_WRITE) != 0) return 1;
  const uint64_t pictureSize =
      Image::DataSize(image.GetFormat(), image.GetWidth(), image.GetHeight());
  for (uint32_t picture = 0; picture < count; ++picture) {
    if (WritePicture(file, image, image.GetData() + picture * pictureSize) != 0) {
      file.Close();
      return 2;
    }
  }
  const bool written = file.GetState() == 0;
  const int32_t closed = file.Close();
  return written && closed == 0 ? 0 : 1;
}

int32_t TGAImageCodec::Save(File* file, Image* image) {
  if (file == nullptr || image == nullptr) return 1;
  return WritePictures(*file, *image, 1);
}

}  // namespace ynx
