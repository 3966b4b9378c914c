#include "content/ArchiveFolder.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "content/audio/OggEncoder.h"
#include "engine/io/BMPImageCodec.h"
#include "engine/io/File.h"
#include "engine/io/JPGImageCodec.h"
#include "engine/io/STRSceneCodec.h"
#include "engine/io/TGAImageCodec.h"
#include "engine/io/PngFile.h"
#include "tools/rar/ArchiveWriter.h"
#include "tools/rar/InputCollector.h"

namespace ynx::content {

namespace {

// 1 January 2027, noon, in the DOS layout: the time every entry carries.
constexpr uint32_t ENTRY_TIME = (47u << 25) | (1u << 21) | (1u << 16) | (12u << 11);

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

ArchiveFolder::ArchiveFolder(std::filesystem::path root) : root(std::move(root)) {
  std::error_code code;
  std::filesystem::remove_all(this->root, code);
  std::filesystem::create_directories(this->root, code);
}

std::filesystem::path ArchiveFolder::PathOf(const std::string& name) {
  std::string relative = name;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  const std::filesystem::path path = root / relative;
  std::error_code code;
  std::filesystem::create_directories(path.parent_path(), code);
  return path;
}

bool ArchiveFolder::Claim(const std::string& name) {
  const std::string key = Lower(name);
  for (const std::string& taken : names) {
    if (Lower(taken) == key) {
      std::fprintf(stderr, "ynx-content: %s is made twice\n", name.c_str());
      failed = true;
      return false;
    }
  }
  names.push_back(name);
  return true;
}

bool ArchiveFolder::SaveImage(const std::string& name, const Canvas& canvas, int32_t format, int quality) {
  if (!Claim(name)) return false;
  const std::string extension = Lower(name.substr(name.rfind('.') + 1));
  Ptr<Image> image = canvas.ToImage(format);
  File file(String(PathOf(name).c_str()));
  int32_t status = 3;
  if (extension == "jpg") {
    JPGImageCodec codec;
    codec.SetQuality(quality);
    status = codec.Save(&file, image.Get());
  } else if (extension == "tga") {
    status = TGAImageCodec().Save(&file, image.Get());
  } else if (extension == "bmp") {
    status = BMPImageCodec().Save(&file, image.Get());
  }
  if (status != 0) {
    std::fprintf(stderr, "ynx-content: cannot save %s (status %d)\n", name.c_str(), status);
    failed = true;
  }
  if (!pngFolder.empty()) {
    std::string flat = name.substr(0, name.rfind('.')) + ".png";
    std::replace(flat.begin(), flat.end(), '\\', '_');
    std::error_code code;
    std::filesystem::create_directories(pngFolder, code);
    std::string error;
    PngFile::Write((pngFolder / flat).string(), *image, error);
  }
  return status == 0;
}

bool ArchiveFolder::SaveBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
  if (!Claim(name)) return false;
  std::ofstream out(PathOf(name), std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "ynx-content: cannot write %s\n", name.c_str());
    failed = true;
  }
  return static_cast<bool>(out);
}

bool ArchiveFolder::SaveScene(const std::string& name, Object* root) {
  if (!Claim(name)) return false;
  File file(String(PathOf(name).c_str()));
  if (STRSceneCodec().Save(&file, root) != 0) {
    std::fprintf(stderr, "ynx-content: cannot save the scene %s\n", name.c_str());
    failed = true;
    return false;
  }
  return true;
}

std::unique_ptr<MemoryFile> ArchiveFolder::ReadBack(const std::string& name) {
  std::ifstream in(PathOf(name), std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto* block = static_cast<uint8_t*>(std::malloc(std::max<size_t>(bytes.size(), 1)));
  if (bytes.empty() || block == nullptr) {
    std::free(block);
    std::fprintf(stderr, "ynx-content: no file %s to put in the scene\n", name.c_str());
    failed = true;
    return nullptr;
  }
  std::copy(bytes.begin(), bytes.end(), block);
  auto file = std::make_unique<MemoryFile>(String(name.substr(name.find_last_of('\\') + 1).c_str()));
  file->SetSource(block, static_cast<int32_t>(bytes.size()), true);
  return file;
}

Image* ArchiveFolder::LoadImage(const std::string& name) {
  const std::unique_ptr<MemoryFile> file = ReadBack(name);
  return file ? new Image(file.get(), String()) : nullptr;
}

bool ArchiveFolder::SaveSound(const std::string& name, const SoundBuffer& sound, float quality) {
  // The stream's serial number from the name: fixed, and different per file.
  uint32_t serial = 1;
  for (unsigned char c : name) serial = serial * 31u + c;
  std::vector<uint8_t> ogg;
  if (!OggEncoder::Encode(sound, quality, static_cast<int>(serial & 0x7FFFFFFFu), ogg)) {
    std::fprintf(stderr, "ynx-content: cannot encode %s\n", name.c_str());
    failed = true;
    return false;
  }
  return SaveBytes(name, ogg);
}

bool ArchiveFolder::Pack(const std::filesystem::path& archive) const {
  tools::InputCollector collector(true);
  std::string error;
  if (!collector.Add(root.string(), error)) {
    std::fprintf(stderr, "ynx-content: %s\n", error.c_str());
    return false;
  }
  tools::ArchiveWriter::Options options;
  options.level = 3;
  options.time = ENTRY_TIME;
  tools::ArchiveWriter writer(options);
  if (!writer.Write(archive, collector.Entries(), [](const tools::ArchiveWriter::Added&) {}, error)) {
    std::fprintf(stderr, "ynx-content: %s\n", error.c_str());
    return false;
  }
  return true;
}

}  // namespace ynx::content
