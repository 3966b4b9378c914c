// ynx-image: converts pictures between the formats of the engine's image
// codecs and PNG, and tells what a picture file holds.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "engine/core/EngineLists.h"
#include "engine/core/Log.h"
#include "engine/core/Ptr.h"
#include "engine/io/BMPImageCodec.h"
#include "engine/io/CUBEImageCodec.h"
#include "engine/io/CodecManager.h"
#include "engine/io/File.h"
#include "engine/io/ImageCodec.h"
#include "engine/io/JPGImageCodec.h"
#include "engine/io/TGAImageCodec.h"
#include "engine/io/VolumeImage.h"
#include "engine/io/PngFile.h"
#include "tools/common/ToolLog.h"

namespace {

using ynx::Image;
using ynx::Ptr;
using ynx::VolumeImage;

constexpr char USAGE[] =
    "Usage: ynx-image INPUT OUTPUT\n"
    "       ynx-image info FILE\n"
    "Converts a picture between BMP, TGA, JPG/JPEG, CUBE and PNG, chosen by the\n"
    "file extensions, through the YNX engine's image codecs (PNG through libpng).\n"
    "`info` prints the width, height, format and depth of a picture.\n"
    "\n"
    "A cube map (CUBE: six faces) written to any other format becomes one picture\n"
    "six faces tall, face 0 at the top and face 5 at the bottom; a picture whose\n"
    "height divides by six becomes a cube map the same way.\n"
    "Pixels a format cannot hold are converted: alpha is dropped for BMP and JPG,\n"
    "grey becomes RGB for TGA and CUBE.\n"
    "\n"
    "Options:\n"
    "  -h, --help    show this help and exit\n";

const char* const FORMAT_NAMES[] = {"RGB", "RGBA", "grey", "depth"};

enum class Kind { Png, Bmp, Tga, Jpg, Cube, Unknown };

Kind KindOf(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".png") return Kind::Png;
  if (extension == ".bmp") return Kind::Bmp;
  if (extension == ".tga") return Kind::Tga;
  if (extension == ".jpg" || extension == ".jpeg") return Kind::Jpg;
  if (extension == ".cube") return Kind::Cube;
  return Kind::Unknown;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "ynx-image: %s\n", message.c_str());
  return 1;
}

// The engine with its image codecs requested (only requested codecs are
// found by extension) and its warnings shown, for the life of the tool.
class Engine {
 public:
  Engine() : log(new ynx::tools::ToolLog("ynx-image")) {
    ynx::RegisterMessageOutput(log.Get());
    running = ynx::InitializeEngine() == 0;
    for (const char* name : {ynx::BMPImageCodec::NAME, ynx::JPGImageCodec::NAME,
                             ynx::TGAImageCodec::NAME, ynx::CUBEImageCodec::NAME}) {
      running = running && ynx::CodecManager::GetCodec(ynx::String(name), nullptr) == 0;
    }
  }
  ~Engine() {
    ynx::ShutdownEngine();
    ynx::UnregisterMessageOutput(log.Get());
  }
  bool Running() const { return running; }

 private:
  Ptr<ynx::tools::ToolLog> log;
  bool running = false;
};

bool Load(const std::string& path, Ptr<Image>& image, std::string& error) {
  const Kind kind = KindOf(path);
  if (kind == Kind::Unknown) {
    error = "unknown picture format of " + path;
    return false;
  }
  if (!std::filesystem::is_regular_file(path)) {
    error = "no such file: " + path;
    return false;
  }
  if (kind == Kind::Png) {
    image = ynx::PngFile::Read(path, error);
    if (!image) error = "cannot read " + path + ": " + error;
    return static_cast<bool>(image);
  }
  ynx::File file{ynx::String(path.c_str())};
  image = kind == Kind::Cube ? new VolumeImage(ynx::String(path.c_str()))
                             : new Image(ynx::String(path.c_str()));
  if (image->LoadFromFile(&file) != 0) {
    error = "cannot read " + path + " (damaged, or a kind of file the codec does not take)";
    return false;
  }
  return true;
}

uint32_t DepthOf(const Image& image) {
  return image.IsDerivedFrom(VolumeImage::Type()) ? static_cast<const VolumeImage&>(image).GetDepth()
                                                  : 1;
}

// Slices stacked top to bottom, slice 0 on top. Engine rows run bottom up,
// so the last slice comes first in memory.
Ptr<Image> Stack(const Image& volume) {
  const uint32_t depth = DepthOf(volume);
  Ptr<Image> flat(new Image(volume.GetName(), volume.GetFormat(), volume.GetWidth(),
                            volume.GetHeight() * depth));
  if (flat->GetData() == nullptr) return nullptr;
  const uint64_t slice = volume.GetDataSize() / depth;
  for (uint32_t index = 0; index < depth; ++index) {
    std::memcpy(flat->GetData() + (depth - 1 - index) * slice, volume.GetData() + index * slice, slice);
  }
  return flat;
}

// The inverse of Stack for six faces.
Ptr<Image> Unstack(const Image& flat, std::string& error) {
  const uint32_t faces = VolumeImage::CUBE_FACES;
  if (flat.GetHeight() == 0 || flat.GetHeight() % faces != 0) {
    error = "a cube map needs a picture whose height divides by six, not " +
            std::to_string(flat.GetHeight());
    return nullptr;
  }
  Ptr<VolumeImage> cube(new VolumeImage(flat.GetName(), flat.GetFormat(), flat.GetWidth(),
                                        flat.GetHeight() / faces, faces));
  if (cube->GetData() == nullptr) {
    error = "out of memory";
    return nullptr;
  }
  const uint64_t face = cube->GetDataSize() / faces;
  for (uint32_t index = 0; index < faces; ++index) {
    std::memcpy(cube->GetData() + index * face, flat.GetData() + (faces - 1 - index) * face, face);
  }
  return cube;
}

// The image in a format the target holds: alpha dropped for BMP and JPG,
// grey spread to RGB for TGA and CUBE; the image itself when it fits.
Ptr<Image> Fit(const Ptr<Image>& image, Kind target) {
  const int32_t from = image->GetFormat();
  int32_t to = from;
  if ((target == Kind::Bmp || target == Kind::Jpg) && from == Image::FORMAT_RGBA) to = Image::FORMAT_RGB;
  if ((target == Kind::Tga || target == Kind::Cube) && from == Image::FORMAT_GREY) to = Image::FORMAT_RGB;
  if (to == from) return image;
  std::fprintf(stderr, "ynx-image: note: %s pixels stored as %s\n", FORMAT_NAMES[from], FORMAT_NAMES[to]);
  const uint32_t depth = DepthOf(*image);
  Ptr<Image> fitted = image->IsDerivedFrom(VolumeImage::Type())
                          ? Ptr<Image>(new VolumeImage(image->GetName(), to, image->GetWidth(),
                                                       image->GetHeight(), depth))
                          : Ptr<Image>(new Image(image->GetName(), to, image->GetWidth(), image->GetHeight()));
  if (fitted->GetData() == nullptr) return nullptr;
  const int32_t fromBytes = Image::BytesPerPixel(from);
  const int32_t toBytes = Image::BytesPerPixel(to);
  const uint64_t pixels = image->GetDataSize() / static_cast<uint64_t>(fromBytes);
  for (uint64_t i = 0; i < pixels; ++i) {
    const uint8_t* source = image->GetData() + i * fromBytes;
    uint8_t* target = fitted->GetData() + i * toBytes;
    for (int32_t c = 0; c < toBytes; ++c) target[c] = source[fromBytes == 1 ? 0 : c];
  }
  return fitted;
}

int Convert(const std::string& input, const std::string& output) {
  const Kind target = KindOf(output);
  if (target == Kind::Unknown) return Fail("unknown picture format of " + output);
  Ptr<Image> image;
  std::string error;
  if (!Load(input, image, error)) return Fail(error);
  if (image->GetFormat() == Image::FORMAT_DEPTH) return Fail(input + " holds no pixels");

  const bool volume = DepthOf(*image) > 1;
  if (target == Kind::Cube && !volume) {
    image = Unstack(*image, error);
    if (!image) return Fail(error);
  } else if (target != Kind::Cube && volume) {
    image = Stack(*image);
    if (!image) return Fail("out of memory");
  }
  if (target == Kind::Png) {
    if (!ynx::PngFile::Write(output, *image, error)) {
      return Fail("cannot write " + output + ": " + error);
    }
    return 0;
  }
  image = Fit(image, target);
  if (!image) return Fail("out of memory");
  ynx::File file{ynx::String(output.c_str())};
  ynx::Codec* codec = ynx::CodecManager::FindCodecForFile(&file);
  if (codec == nullptr || codec->GetKind() != ynx::Codec::KIND_IMAGE) {
    return Fail("no codec takes the extension of " + output + " (extensions are taken in lower case, upper case or capitalised)");
  }
  const int32_t status = static_cast<ynx::ImageCodec*>(codec)->Save(&file, image.Get());
  if (status != 0) return Fail("cannot write " + output + " (status " + std::to_string(status) + ")");
  return 0;
}

int Info(const std::string& path) {
  Ptr<Image> image;
  std::string error;
  if (!Load(path, image, error)) return Fail(error);
  const int32_t format = image->GetFormat();
  std::printf("width: %u\nheight: %u\nformat: %d (%s)\ndepth: %u\n", image->GetWidth(),
              image->GetHeight(), format, FORMAT_NAMES[format], DepthOf(*image));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(USAGE, stdout);
      return 0;
    }
  }
  if (argc != 3) {
    std::fputs(USAGE, stderr);
    return 2;
  }
  Engine engine;
  if (!engine.Running()) return Fail("the engine did not start");
  if (std::strcmp(argv[1], "info") == 0) return Info(argv[2]);
  return Convert(argv[1], argv[2]);
}
