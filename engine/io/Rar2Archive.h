#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/io/Rar2Unpacker.h"

namespace ynx {

// Reads archives of the RAR 1.5-2.x format from bytes in memory: the marker
// ("Rar!" 1A 07 00 or "UniquE!", also behind a self-extractor stub), the main
// header, file and directory entries, and their contents, stored or packed
// with the RAR 2.0 method, checked against their CRC-32. The bytes are
// borrowed: they must outlive the reader.
//
// Nothing read is trusted: header sizes, names and unpacked sizes are checked
// against the bytes before anything is allocated, and an unpacked size the
// packed bytes cannot produce is refused.
class Rar2Archive {
 public:
  // One file header, directory entries included, in archive order.
  struct Entry {
    std::string name;  // as stored, "\" between folders, cut at a NUL and to 259 bytes
    uint16_t flags = 0;
    uint32_t packedSize = 0;
    uint32_t unpackedSize = 0;
    uint8_t hostSystem = 0;
    uint32_t crc = 0;
    uint32_t fileTime = 0;  // MS-DOS date and time
    uint8_t unpackVersion = 0;
    uint8_t method = 0;  // 0x30 stored, 0x31..0x35 packed
    uint32_t attributes = 0;
    bool IsDirectory() const;
  };

  // Main header flags.
  static constexpr uint16_t ARCHIVE_VOLUME = 0x0001;
  static constexpr uint16_t ARCHIVE_SOLID = 0x0008;
  static constexpr uint16_t ARCHIVE_ENCRYPTED_HEADERS = 0x0080;
  // File header flags.
  static constexpr uint16_t ENTRY_SPLIT_BEFORE = 0x0001;
  static constexpr uint16_t ENTRY_SPLIT_AFTER = 0x0002;
  static constexpr uint16_t ENTRY_ENCRYPTED = 0x0004;
  static constexpr uint16_t ENTRY_SOLID = 0x0010;
  static constexpr uint16_t ENTRY_LARGE = 0x0100;
  static constexpr uint16_t ENTRY_DIRECTORY_MASK = 0x00E0;
  static constexpr uint16_t BLOCK_DATA_FOLLOWS = 0x8000;
  static constexpr uint8_t METHOD_STORE = 0x30;
  // Longest name kept; longer ones are cut.
  static constexpr size_t MAX_NAME_LENGTH = 259;
  // Largest entry this reader unpacks (the engine's files count in 32 bits).
  static constexpr uint32_t MAX_UNPACKED_SIZE = 0x7FFFFFFF;

  // Parses the headers; false when the bytes are not an archive this reader
  // accepts (no marker followed by a sound main header, or encrypted
  // headers). A damaged or truncated archive lists the entries before the
  // damage.
  bool Open(const uint8_t* bytes, size_t size);
  const std::vector<Entry>& Entries() const { return entries; }
  bool IsSolid() const { return (archiveFlags & ARCHIVE_SOLID) != 0; }
  uint16_t ArchiveFlags() const { return archiveFlags; }

  // Unpacks one entry (and, in a solid archive, what precedes it); false on
  // any failure (version, split or encrypted data, corrupt data, CRC), with
  // `out` cleared. A directory gives no bytes.
  bool Extract(size_t index, std::vector<uint8_t>& out);
  // Unpacks every file entry once, in archive order; the callback gets each
  // entry and its bytes (or a failure, with no bytes). For solid archives this
  // is the only linear-time way. In a solid archive an entry fails once one
  // before it has failed, since its data depends on theirs.
  void ExtractAll(const std::function<void(size_t index, bool ok, std::vector<uint8_t>& data)>& each);
  // Index of the first entry whose name matches (separators and ASCII case
  // ignored), or -1.
  int64_t Find(const std::string& name) const;

  // True when the two names match as entry names do: "\" and "/" alike and
  // letters compared without case, over at most 512 bytes of each.
  static bool NamesMatch(const std::string& left, const std::string& right);

 private:
  // Where an entry's data lies, and its sizes before they were cut to 32 bits.
  struct Layout {
    size_t dataOffset = 0;
    uint64_t packedSize = 0;
    uint64_t unpackedSize = 0;
  };

  bool FindMainHeader(size_t& offset) const;
  void ReadBlocks(size_t offset);
  // Reads the file header at offset; false when it is damaged.
  bool ReadFileHeader(size_t offset, size_t headerSize, Entry& entry, Layout& layout) const;
  // Unpacks entry `index` as the next one of the stream.
  bool Unpack(size_t index, std::vector<uint8_t>& out);

  const uint8_t* bytes = nullptr;
  size_t size = 0;
  uint16_t archiveFlags = 0;
  std::vector<Entry> entries;
  std::vector<Layout> layouts;
  Rar2Unpacker unpacker;
};

}  // namespace ynx
