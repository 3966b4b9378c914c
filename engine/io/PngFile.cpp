#include "engine/io/PngFile.h"

#include <png.h>

namespace ynx {

Ptr<Image> PngFile::Read(const std::string& path, std::string& error) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&png, path.c_str()) == 0) {
    error = png.message;
    return nullptr;
  }
  int32_t format = Image::FORMAT_GREY;
  if ((png.format & PNG_FORMAT_FLAG_ALPHA) != 0) {
    png.format = PNG_FORMAT_RGBA;
    format = Image::FORMAT_RGBA;
  } else if ((png.format & PNG_FORMAT_FLAG_COLOR) != 0) {
    png.format = PNG_FORMAT_RGB;
    format = Image::FORMAT_RGB;
  } else {
    png.format = PNG_FORMAT_GRAY;
  }
  Ptr<Image> image(new Image(String(path.c_str()), format, png.width, png.height));
  if (image->GetData() == nullptr) {
    png_image_free(&png);
    error = "the picture is too large";
    return nullptr;
  }
  // A negative stride puts the bottom row first, as the engine keeps rows.
  const auto stride = static_cast<png_int_32>(PNG_IMAGE_ROW_STRIDE(png));
  if (png_image_finish_read(&png, nullptr, image->GetData(), -stride, nullptr) == 0) {
    error = png.message;
    return nullptr;
  }
  return image;
}

bool PngFile::Write(const std::string& path, const Image& image, std::string& error) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = image.GetWidth();
  png.height = image.GetHeight();
  switch (image.GetFormat()) {
    case Image::FORMAT_RGB:
      png.format = PNG_FORMAT_RGB;
      break;
    case Image::FORMAT_RGBA:
      png.format = PNG_FORMAT_RGBA;
      break;
    case Image::FORMAT_GREY:
      png.format = PNG_FORMAT_GRAY;
      break;
    default:
      error = "a depth picture has no pixels to write";
      return false;
  }
  if (image.GetData() == nullptr) {
    error = "the picture has no pixels";
    return false;
  }
  const auto stride = static_cast<png_int_32>(PNG_IMAGE_ROW_STRIDE(png));
  if (png_image_write_to_file(&png, path.c_str(), 0, image.GetData(), -stride, nullptr) == 0) {
    error = png.message;
    return false;
  }
  return true;
}

}  // namespace ynx
