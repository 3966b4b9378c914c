#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/rar/ArchiveEntry.h"
#include "tools/rar/Rar20Encoder.h"

namespace ynx::tools {

// Writes an archive in the 1.5-2.x layout: the marker, a main header, one
// file header per entry (folders with attribute 0x10, before their files),
// each followed by its data stored or compressed with the 2.0 method, and an
// end block. The archive is written to a temporary file beside the target
// and renamed over it at the end, so a failure never leaves a damaged one.
class ArchiveWriter {
 public:
  struct Options {
    int level = 3;  // 0 stores; 1-5 compress (methods 0x31-0x35)
    bool solid = false;
    Rar20Encoder::Audio audio = Rar20Encoder::Audio::Auto;
    // The DOS time every entry gets instead of its file's own, for
    // archives that must come out the same byte for byte on every run.
    std::optional<uint32_t> time;
  };

  struct Added {
    const ArchiveEntry* entry;
    uint64_t size;
    uint64_t packed;
    uint8_t method;
    Rar20Encoder::Report blocks;
  };

  explicit ArchiveWriter(const Options& options) : options(options) {}

  // `added` hears of each entry once it is in the archive.
  bool Write(const std::filesystem::path& path, const std::vector<ArchiveEntry>& entries,
             const std::function<void(const Added&)>& added, std::string& error);

 private:
  // Entries in the order they are written.
  std::vector<ArchiveEntry> SolidOrder(const std::vector<ArchiveEntry>& entries) const;
  bool WriteEntries(std::FILE* file, const std::vector<ArchiveEntry>& entries,
                    const std::function<void(const Added&)>& added, std::string& error);

  Options options;
};

}  // namespace ynx::tools
