#pragma once

#include <filesystem>
#include <string>

namespace ynx::tools {

// One thing to pack: its name in the archive ("\" between components) and
// where its content comes from.
struct ArchiveEntry {
  std::string name;
  std::filesystem::path source;
  bool directory = false;
};

}  // namespace ynx::tools
