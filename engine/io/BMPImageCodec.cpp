#include "engine/io/BMPImageCodec.h"

#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "engine/io/File.h"
#include "engine/io/Image.h"

namespace ynx {
namespace {

constexpr uint16_t BMP_TYPE = 0x4D42;  // "BM"
constexpr uint32_t FILE_HEADER_SIZE = 14;
constexpr uint32_t INFO_HEADER_SIZE = 40;
constexpr uint32_t HEADERS_SIZE = FILE_HEADER_SIZE + INFO_HEADER_SIZE;
constexpr uint32_t PIXELS_PER_METRE = 3780;  // 96 dpi

// File rows are padded to whole 32-bit words.
uint64_t PaddedRowSize(uint64_t rowBytes) { return (rowBytes + 3) & ~uint64_t{3}; }

// BGR in the file, RGB in the engine; the exchange is its own inverse.
void SwapRedAndBlue(uint8_t* pixels, uint64_t count) {
  for (uint64_t i = 0; i < count; ++i, pixels += 3) std::swap(pixels[0], pixels[2]);
}

}  // namespace

BMPImageCodec::BMPImageCodec() : ImageCodec(String(NAME)) { AddExtensions({"BMP", "bmp", "Bmp"}); }

int32_t BMPImageCodec::Load(File* file, Image* image) {
  if (file == nullptr || image == nullptr) return 3;
  if (file->Open(File::MODE_READ) != 0) return 1;
  const int32_t status = Decode(*file, *image);
  const int32_t closed = file->Close();
  return status != 0 ? status : closed != 0 ? 1 : 0;
}

int32_t BMPImageCodec::Decode(File& file, Image& image) {
  uint16_t type = 0, reserved1 = 0, reserved2 = 0, planes = 0, bitCount = 0;
  uint32_t fileSize = 0, pixelOffset = 0, headerSize = 0, compression = 0, imageSize = 0;
  uint32_t xResolution = 0, yResolution = 0, coloursUsed = 0, coloursImportant = 0;
  int32_t width = 0, height = 0;
  file.Read(&type, 2);
  file.Read(&fileSize, 4);
  file.Read(&reserved1, 2);
  file.Read(&reserved2, 2);
  file.Read(&pixelOffset, 4);
  file.Read(&headerSize, 4);
  file.Read(&width, 4);
  file.Read(&height, 4);
  file.Read(&planes, 2);
  file.Read(&bitCount, 2);
  file.Read(&compression, 4);
  file.Read(&imageSize, 4);
  file.Read(&xResolution, 4);
  file.Read(&yResolution, 4);
  file.Read(&coloursUsed, 4);
  file.Read(&coloursImportant, 4);
  if (file.GetState() != 0) return 1;

  // The pixels follow the headers (and a colour table, which is skipped): an
  // offset inside the headers or past the end is a broken file.
  if (pixelOffset < HEADERS_SIZE || Skip(file, pixelOffset - HEADERS_SIZE) != 0) return 1;
  if (headerSize < INFO_HEADER_SIZE || compression != 0) return 1;
  int32_t format = 0;
  if (bitCount == 24) {
    format = Image::FORMAT_RGB;
  } else if (bitCount == 8) {
    format = Image::FORMAT_GREY;
  } else {
    return 1;
  }
  // A negative height marks rows stored top first; they are read in reverse
  // so that row 0 is the bottom one either way.
  const bool topDown = height < 0;
  if (width <= 0 || height == 0 || height == INT32_MIN) return 1;
  const uint32_t rows = topDown ? static_cast<uint32_t>(-height) : static_cast<uint32_t>(height);
  const uint64_t size = Image::DataSize(format, static_cast<uint32_t>(width), rows);
  const uint64_t rowBytes = size / rows;
  const uint64_t fileRowSize = PaddedRowSize(rowBytes);
  if (size > Image::MAX_DATA_SIZE ||
      fileRowSize * rows > static_cast<uint64_t>(Remaining(file))) {
    return 1;
  }
  std::unique_ptr<uint8_t[]> block = Image::AllocateBlock(size);
  if (!block) return 2;
  for (uint32_t fileRow = 0; fileRow < rows; ++fileRow) {
    uint8_t* row = block.get() + (topDown ? rows - 1 - fileRow : fileRow) * rowBytes;
    if (file.Read(row, static_cast<int32_t>(rowBytes)) != 0 ||
        Skip(file, static_cast<int64_t>(fileRowSize - rowBytes)) != 0) {
      return 1;
    }
    if (format == Image::FORMAT_RGB) SwapRedAndBlue(row, static_cast<uint32_t>(width));
  }
  SetPicture(image, static_cast<uint32_t>(width), rows, 1, format, std::move(block));
  return 0;
}

int32_t BMPImageCodec::Save(File* file, Image* image) {
  if (file == nullptr || image == nullptr) return 1;
  const int32_t format = image->GetFormat();
  if (format != Image::FORMAT_RGB && format != Image::FORMAT_GREY) return 3;
  const uint32_t width = image->GetWidth();
  const uint32_t height = image->GetHeight();
  const uint64_t rowBytes = Image::DataSize(format, width, 1);
  const uint64_t rowSize = PaddedRowSize(rowBytes);
  const uint64_t pixelBytes = rowSize * height;
  // Dimensions are signed 32-bit in the file and its size unsigned 32-bit.
  if (image->GetData() == nullptr || width > INT32_MAX || height > INT32_MAX ||
      pixelBytes > UINT32_MAX - HEADERS_SIZE) {
    return 1;
  }
  std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[rowSize]);
  if (!row) return 2;
  if (file->Open(File::MODE_WRITE) != 0) return 1;

  file->WriteInt16(static_cast<int16_t>(BMP_TYPE));
  file->WriteUInt32(HEADERS_SIZE + static_cast<uint32_t>(pixelBytes));
  file->WriteInt16(0);
  file->WriteInt16(0);
  file->WriteUInt32(HEADERS_SIZE);
  file->WriteUInt32(INFO_HEADER_SIZE);
  file->WriteInt32(static_cast<int32_t>(width));
  file->WriteInt32(static_cast<int32_t>(height));
  file->WriteInt16(1);
  file->WriteInt16(static_cast<int16_t>(8 * Image::BytesPerPixel(format)));
  file->WriteUInt32(0);
  file->WriteUInt32(static_cast<uint32_t>(pixelBytes));
  file->WriteUInt32(PIXELS_PER_METRE);
  file->WriteUInt32(PIXELS_PER_METRE);
  file->WriteUInt32(0);
  file->WriteUInt32(0);

  std::memset(row.get() + rowBytes, 0, rowSize - rowBytes);
  for (uint32_t y = 0; y < height; ++y) {
    std::memcpy(row.get(), image->GetData() + y * rowBytes, rowBytes);
    if (format == Image::FORMAT_RGB) SwapRedAndBlue(row.get(), width);
    file->Write(row.get(), static_cast<int32_t>(rowSize));
  }
  const bool written = file->GetState() == 0;
  const int32_t closed = file->Close();
  return written && closed == 0 ? 0 : 1;
}

}  // namespace ynx
