#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "content/Canvas.h"
#include "content/audio/SoundBuffer.h"
#include "engine/core/Object.h"
#include "engine/io/Image.h"
#include "engine/io/MemoryFile.h"

namespace ynx::content {

// A folder of the build tree that becomes one archive: generators save
// pictures and sounds into it under their archive names ("Textures\x.jpg"),
// and Pack writes the archive with the project's own packer, compressed,
// with one fixed time, so that the same files give the same bytes.
class ArchiveFolder {
 public:
  explicit ArchiveFolder(std::filesystem::path root);

  // Every picture also as a PNG under `folder` (its path's "\" as "_"),
  // for looking at them.
  void MirrorPictures(std::filesystem::path folder) { pngFolder = std::move(folder); }

  // The picture in the format of the name's extension: .jpg (RGB or grey
  // at `quality`), .tga (RGB or RGBA), .bmp (RGB or grey). False, with a
  // line on standard error, when the codec refuses it.
  bool SaveImage(const std::string& name, const Canvas& canvas, int32_t format, int quality = 85);
  // Ogg Vorbis at `quality` (-0.1 .. 1).
  bool SaveSound(const std::string& name, const SoundBuffer& sound, float quality);
  bool SaveBytes(const std::string& name, const std::vector<uint8_t>& bytes);
  // The scene under `root` with the engine's scene codec.
  bool SaveScene(const std::string& name, Object* root);

  // A file saved before, read back into memory under its bare name, as the
  // scene names it; null, with a line, when missing.
  std::unique_ptr<MemoryFile> ReadBack(const std::string& name);
  // A picture saved before, read back through its codec as the scene will
  // find it: the image keeps the bare file name ("sky.jpg") that loading
  // looks up in the mounted archives. Null, with a line, when missing.
  Image* LoadImage(const std::string& name);

  // Every name saved, in order; a name saved twice (in any case) fails.
  const std::vector<std::string>& Names() const { return names; }
  bool Failed() const { return failed; }

  bool Pack(const std::filesystem::path& archive) const;

 private:
  std::filesystem::path PathOf(const std::string& name);
  bool Claim(const std::string& name);

  std::filesystem::path root;
  std::filesystem::path pngFolder;
  std::vector<std::string> names;
  bool failed = false;
};

}  // namespace ynx::content
