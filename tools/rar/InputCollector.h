#pragma once

#include <map>
#include <string>
#include <vector>

#include "tools/rar/ArchiveEntry.h"

namespace ynx::tools {

// Walks the files and folders given on the command line into archive
// entries: every folder before what it holds, names sorted, symbolic links
// and special files left out (with a note on standard error).
class InputCollector {
 public:
  // Longest name the engine's reader keeps whole.
  static constexpr size_t MAX_NAME = 259;

  // With `relative`, a folder's content is named relative to the folder and
  // a file by its bare name; otherwise names keep the path as given, less
  // its root and leading "." and ".." components.
  explicit InputCollector(bool relative) : relative(relative) {}

  bool Add(const std::string& argument, std::string& error);
  // Leaves out one file (the archive being written).
  void Exclude(const std::filesystem::path& path) { excluded = path; }

  const std::vector<ArchiveEntry>& Entries() const { return entries; }

 private:
  bool AddDirectory(const std::filesystem::path& path, const std::string& name, std::string& error);
  bool AddFolderContent(const std::filesystem::path& path, const std::string& prefix, std::string& error);
  bool AddFile(const std::filesystem::path& path, const std::string& name, std::string& error);
  // True for a new name. False with an empty error when the name is taken
  // by the same file, or by a folder when `source` is one too (folders of
  // one name are one entry); false with an error for any other clash.
  bool Claim(const std::string& name, const std::filesystem::path& source, bool directory, std::string& error);

  bool relative;
  std::filesystem::path excluded;
  std::vector<ArchiveEntry> entries;
  // Entry index by upper-cased name: the engine finds names regardless of
  // case.
  std::map<std::string, size_t> taken;
};

}  // namespace ynx::tools
