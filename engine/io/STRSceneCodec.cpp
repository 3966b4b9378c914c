#include "engine/io/STRSceneCodec.h"

#include "engine/core/EngineLists.h"
#include "engine/core/Ptr.h"
#include "engine/io/File.h"

namespace ynx {
namespace {

constexpr uint32_t VersionValue(uint32_t major, uint32_t minor, uint32_t build) {
  return major * 10000 + minor * 100 + build;
}

}  // namespace

STRSceneCodec::STRSceneCodec() : SceneCodec(String(NAME)) { AddExtensions({"STR", "str", "Str"}); }

int32_t STRSceneCodec::Load(File* file, Object** root) {
  if (file == nullptr || root == nullptr) return 3;
  if (file->Open(File::MODE_READ) != 0) return 1;
  uint32_t major = 0, minor = 0, build = 0;
  file->ReadUInt32(major);
  file->ReadUInt32(minor);
  file->ReadUInt32(build);
  // A failed read leaves state; the version of a short file is never trusted.
  const bool tooOld = VersionValue(major, minor, build) <
                      VersionValue(ENGINE_VERSION_MAJOR, ENGINE_VERSION_MINOR, ENGINE_VERSION_BUILD);
  Object* loaded = nullptr;
  if (file->GetState() != 0 || tooOld || file->ReadObject(loaded, Object::Type()) != 0) {
    file->Close();
    return 1;
  }
  if (file->Close() != 0) {
    const Ptr<Object> discarded(loaded);
    return 1;
  }
  *root = loaded;
  return 0;
}

int32_t STRSceneCodec::Save(File* file, Object* root) {
  if (file == nullptr || root == nullptr) return 1;
  if (file->Open(File::MODE_WRITE) != 0) return 1;
  file->WriteUInt32(ENGINE_VERSION_MAJOR);
  file->WriteUInt32(ENGINE_VERSION_MINOR);
  file->WriteUInt32(ENGINE_VERSION_BUILD);
  const int32_t written = file->WriteObject(root);
  const int32_t closed = file->Close();
  return written != 0 || closed != 0 ? 1 : 0;
}

}  // namespace ynx
