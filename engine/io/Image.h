#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "engine/core/Object.h"
#include "engine/core/String.h"

namespace ynx {

class File;
class ImageCodec;

// A picture: rows one after another without padding, row 0 at the bottom.
// The pixels either come from a file of the virtual file system (whose name
// is then all the object stream keeps) or are made in memory.
class Image : public Object {
  YNX_DECLARE_CLASS(Image);

 public:
  enum Format : int32_t {
    FORMAT_RGB = 0,
    FORMAT_RGBA = 1,
    FORMAT_GREY = 2,
    // The size of a depth texture; no pixels.
    FORMAT_DEPTH = 3,
  };

  // Files and streams may claim any size; no image block is ever larger.
  static constexpr uint64_t MAX_DATA_SIZE = uint64_t{1} << 30;

  // 3, 4, 1 or 0 bytes; -1 for a format the engine does not know.
  static int32_t BytesPerPixel(int32_t format);
  // Bytes per pixel (0 for an unknown format) times the dimensions,
  // saturating at UINT64_MAX rather than wrapping.
  static uint64_t DataSize(int32_t format, uint64_t width, uint64_t height, uint64_t depth = 1);
  // An uninitialised block, or null when the size is 0, above MAX_DATA_SIZE
  // or memory runs out.
  static std::unique_ptr<uint8_t[]> AllocateBlock(uint64_t size);

  explicit Image(const String& name = String());
  // With a block of GetDataSize bytes (contents undefined).
  Image(const String& name, int32_t format, uint32_t width, uint32_t height);
  // The file's name is kept as the file name, and as the image name when the
  // given one is empty; then the pixels are loaded from the file.
  Image(File* file, const String& name);
  ~Image() override;

  // Through the codec of the file's extension: 0; 3 for a null file or no
  // image codec; 1 when the codec fails.
  int32_t LoadFromFile(File* file);

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;

  // Bytes of the pixel block (DataSize of the image's fields).
  virtual uint64_t GetDataSize() const;

  const String& GetFileName() const { return fileName; }
  uint32_t GetWidth() const { return width; }
  uint32_t GetHeight() const { return height; }
  int32_t GetFormat() const { return format; }
  // Null until pixels are made or loaded.
  uint8_t* GetData() const { return data.get(); }
  // A conversion in place: the image takes the block, which holds the same
  // pixels in the new format (DataSize of that format and the image's
  // size), and the format.
  void ReplacePixels(int32_t newFormat, std::unique_ptr<uint8_t[]> block) {
    format = newFormat;
    data = std::move(block);
  }

 protected:
  // Codecs fill images through ImageCodec::SetPicture.
  friend class ImageCodec;

  void SetSize(uint32_t newWidth, uint32_t newHeight) {
    width = newWidth;
    height = newHeight;
  }
  void SetFormat(int32_t newFormat) { format = newFormat; }
  // The image owns the new block; the old one is freed.
  void SetData(std::unique_ptr<uint8_t[]> block) { data = std::move(block); }

  // A fresh block of GetDataSize bytes (none for 0): 0, or 2 with an error
  // logged when there is no memory.
  int32_t AllocateData();
  // Everything Load does but its closing info line.
  int32_t LoadContent(MemoryStream& stream);
  // The height, and whatever a derived class streams right after it.
  virtual int32_t SaveHeight(MemoryStream& stream) const;
  virtual int32_t LoadHeight(MemoryStream& stream);

 private:
  String fileName;
  uint32_t width = 0;
  uint32_t height = 0;
  int32_t format = FORMAT_RGB;
  std::unique_ptr<uint8_t[]> data;
};

}  // namespace ynx
