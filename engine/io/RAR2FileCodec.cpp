#include "engine/io/RAR2FileCodec.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "engine/io/Directory.h"
#include "engine/io/MemoryFile.h"
#include "engine/io/Rar2Archive.h"

namespace ynx {
namespace {

// The folders and the name of an entry's path; "\" and "/" both separate,
// and empty, "." and ".." parts are dropped so that nothing leaves the
// archive's directory.
std::vector<std::string_view> PathParts(const std::string& name) {
  std::vector<std::string_view> parts;
  const std::string_view path(name);
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = path.substr(start, end - start);
    if (!part.empty() && part != "." && part != "..") parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

String ToString(std::string_view text) {
  return String(text.data(), static_cast<int32_t>(text.size()));
}

// The subdirectory of that name, made when there is none.
Directory* Subdirectory(Directory* parent, std::string_view name) {
  for (Directory* child : parent->Directories()) {
    const String& childName = child->GetName();
    if (std::string_view(childName.CStr(), static_cast<size_t>(childName.Length())) == name) {
      return child;
    }
  }
  auto* child = new (std::nothrow) Directory(ToString(name));
  if (child == nullptr) throw std::bad_alloc();
  parent->AttachDirectory(child);
  return child;
}

}  // namespace

RAR2FileCodec::RAR2FileCodec() : FileCodec(String(NAME)) { AddExtensions({"rar2", "RAR2", "Rar2"}); }

int32_t RAR2FileCodec::Load(File* file, Directory** directory, const String&) {
  if (file == nullptr || directory == nullptr) return 3;
  if (file->Open(File::MODE_READ) != 0) return 1;
  // The open file holds its own copy of the archive, which the reader borrows.
  auto* root = new (std::nothrow) Directory(file->GetName());
  if (root == nullptr) {
    file->Close();
    return 2;
  }
  try {
    Rar2Archive archive;
    archive.Open(file->GetData(), static_cast<size_t>(file->GetSize()));
    Mount(archive, root);
  } catch (const std::bad_alloc&) {
    delete root;
    file->Close();
    return 2;
  }
  if (file->Close() != 0) {
    delete root;
    return 1;
  }
  *directory = root;
  return 0;
}

// Builds the tree in archive order, then unpacks every entry once into its file.
void RAR2FileCodec::Mount(Rar2Archive& archive, Directory* root) {
  const std::vector<Rar2Archive::Entry>& entries = archive.Entries();
  std::vector<MemoryFile*> files(entries.size(), nullptr);
  for (size_t i = 0; i < entries.size() && i < MAX_ENTRIES; ++i) {
    const std::vector<std::string_view> parts = PathParts(entries[i].name);
    const bool isDirectory = entries[i].IsDirectory();
    if (parts.empty() || parts.size() - (isDirectory ? 0 : 1) > MAX_DEPTH) continue;
    // Folders no directory entry made yet are made on the way.
    Directory* parent = root;
    for (size_t part = 0; part + (isDirectory ? 0 : 1) < parts.size(); ++part) {
      parent = Subdirectory(parent, parts[part]);
    }
    if (isDirectory) continue;
    auto* file = new (std::nothrow) MemoryFile(ToString(parts.back()));
    if (file == nullptr) throw std::bad_alloc();
    parent->AttachFile(file);
    file->SetOwner(GetModule());
    files[i] = file;
  }
  archive.ExtractAll([&files](size_t index, bool ok, std::vector<uint8_t>& data) {
    if (!ok || files[index] == nullptr) return;
    // Memory files free their content with free(); one spare byte keeps an
    // empty entry's block non-null.
    auto* content = static_cast<uint8_t*>(std::malloc(data.size() + 1));
    if (content == nullptr) throw std::bad_alloc();
    if (!data.empty()) std::memcpy(content, data.data(), data.size());
    files[index]->SetSource(content, static_cast<int32_t>(data.size()), true);
  });
}

int32_t RAR2FileCodec::Save(File* file, Directory* directory) {
  if (file == nullptr || directory == nullptr) return 1;
  if (file->Open(File::MODE_WRITE) != 0) return 1;
  return file->Close() != 0 ? 1 : 0;
}

}  // namespace ynx
