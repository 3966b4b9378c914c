#include "engine/io/Rar2Archive.h"

#include <algorithm>
#include <new>

#include "engine/io/Crc32.h"

namespace ynx {
namespace {

constexpr uint8_t MARKER[7] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
constexpr uint8_t OLD_MARKER[7] = {'U', 'n', 'i', 'q', 'u', 'E', '!'};
constexpr size_t MARKER_SIZE = sizeof(MARKER);

constexpr uint8_t MAIN_HEADER = 0x73;
constexpr uint8_t FILE_HEADER = 0x74;
constexpr uint8_t END_OF_ARCHIVE = 0x7B;
constexpr size_t BLOCK_HEADER_SIZE = 7;
constexpr size_t MAIN_HEADER_SIZE = 13;
constexpr size_t FILE_HEADER_SIZE = 32;
// A main header's CRC covers either all of it or, when an old archiver put
// a comment inside, its first 13 bytes. Only short headers are checked whole,
// so that trying candidate markers stays linear in the size of the data.
constexpr size_t MAX_WHOLE_MAIN_HEADER = 64;
// Names match over at most this many bytes.
constexpr size_t NAME_MATCH_LENGTH = 512;

// Host systems of entries.
constexpr uint8_t HOST_UNIX = 3;
constexpr uint8_t HOST_BEOS = 5;
constexpr uint32_t DOS_DIRECTORY = 0x10;
constexpr uint32_t UNIX_TYPE_MASK = 0xF000;
constexpr uint32_t UNIX_DIRECTORY = 0x4000;

uint16_t Read16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

uint32_t Read32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
         static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

// Header CRCs keep the low 16 bits of the CRC-32 of the header after the
// CRC field.
bool HeaderCrcMatches(const uint8_t* header, size_t covered) {
  return (Crc32::Compute(header + 2, covered - 2) & 0xFFFF) == Read16(header);
}

char NameMatchKey(char c) {
  if (c == '\\' || c == '/') return '_';
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The first occurrence of the marker at or after `from`, or `size`.
size_t FindMarker(const uint8_t* bytes, size_t size, size_t from, const uint8_t* marker) {
  const uint8_t* found = std::search(bytes + from, bytes + size, marker, marker + MARKER_SIZE);
  return static_cast<size_t>(found - bytes);
}

}  // namespace

bool Rar2Archive::Entry::IsDirectory() const {
  if ((flags & ENTRY_DIRECTORY_MASK) == ENTRY_DIRECTORY_MASK) return true;
  // Unix modes keep the file type in the high bits, where 0x10 is a write bit.
  if (hostSystem == HOST_UNIX || hostSystem == HOST_BEOS) {
    return (attributes & UNIX_TYPE_MASK) == UNIX_DIRECTORY;
  }
  return (attributes & DOS_DIRECTORY) != 0;
}

bool Rar2Archive::Open(const uint8_t* data, size_t count) {
  bytes = data;
  size = data != nullptr ? count : 0;
  archiveFlags = 0;
  entries.clear();
  layouts.clear();
  unpacker.Reset();
  size_t offset = 0;
  if (!FindMainHeader(offset)) return false;
  archiveFlags = Read16(bytes + offset + 3);
  // Headers encrypted by later versions cannot be walked without a password.
  if ((archiveFlags & ARCHIVE_ENCRYPTED_HEADERS) != 0) return false;
  try {
    ReadBlocks(offset + Read16(bytes + offset + 5));
  } catch (const std::bad_alloc&) {
    entries.clear();
    layouts.clear();
    return false;
  }
  return true;
}

// A marker followed by a sound main header; a self-extracting archive has
// its program before it.
bool Rar2Archive::FindMainHeader(size_t& offset) const {
  size_t nextMarker = FindMarker(bytes, size, 0, MARKER);
  size_t nextOldMarker = FindMarker(bytes, size, 0, OLD_MARKER);
  while (true) {
    const size_t marker = std::min(nextMarker, nextOldMarker);
    if (marker >= size) return false;
    const size_t header = marker + MARKER_SIZE;
    if (size - header >= MAIN_HEADER_SIZE && bytes[header + 2] == MAIN_HEADER) {
      const size_t headerSize = Read16(bytes + header + 5);
      if (headerSize >= MAIN_HEADER_SIZE && headerSize <= size - header &&
          (HeaderCrcMatches(bytes + header, MAIN_HEADER_SIZE) ||
           (headerSize <= MAX_WHOLE_MAIN_HEADER && HeaderCrcMatches(bytes + header, headerSize)))) {
        offset = header;
        return true;
      }
    }
    if (nextMarker == marker) nextMarker = FindMarker(bytes, size, marker + 1, MARKER);
    if (nextOldMarker == marker) nextOldMarker = FindMarker(bytes, size, marker + 1, OLD_MARKER);
  }
}

// Walks the blocks up to the end block, or to the first one that does not
// fit or is damaged; the entries before it stay.
void Rar2Archive::ReadBlocks(size_t offset) {
  while (offset <= size && size - offset >= BLOCK_HEADER_SIZE) {
    const uint8_t* header = bytes + offset;
    const uint8_t type = header[2];
    const uint16_t flags = Read16(header + 3);
    const size_t headerSize = Read16(header + 5);
    if (headerSize < BLOCK_HEADER_SIZE || headerSize > size - offset) return;
    if (type == END_OF_ARCHIVE) return;
    uint64_t dataSize = 0;
    if (type == FILE_HEADER) {
      // A file header's data always follows it, whatever its flags say.
      Entry entry;
      Layout layout;
      if (!ReadFileHeader(offset, headerSize, entry, layout)) return;
      dataSize = layout.packedSize;
      entries.push_back(std::move(entry));
      layouts.push_back(layout);
    } else if ((flags & BLOCK_DATA_FOLLOWS) != 0) {
      if (headerSize < BLOCK_HEADER_SIZE + 4) return;
      dataSize = Read32(header + BLOCK_HEADER_SIZE);
    }
    if (dataSize > size - offset - headerSize) return;
    offset += headerSize + static_cast<size_t>(dataSize);
  }
}

bool Rar2Archive::ReadFileHeader(size_t offset, size_t headerSize, Entry& entry,
                                 Layout& layout) const {
  if (headerSize < FILE_HEADER_SIZE) return false;
  const uint8_t* header = bytes + offset;
  entry.flags = Read16(header + 3);
  entry.packedSize = Read32(header + 7);
  entry.unpackedSize = Read32(header + 11);
  entry.hostSystem = header[15];
  entry.crc = Read32(header + 16);
  entry.fileTime = Read32(header + 20);
  entry.unpackVersion = header[24];
  entry.method = header[25];
  const size_t nameSize = Read16(header + 26);
  entry.attributes = Read32(header + 28);
  layout.packedSize = entry.packedSize;
  layout.unpackedSize = entry.unpackedSize;
  size_t nameOffset = FILE_HEADER_SIZE;
  if ((entry.flags & ENTRY_LARGE) != 0) {
    // The high halves of sizes beyond 4 GB.
    if (headerSize < FILE_HEADER_SIZE + 8) return false;
    layout.packedSize |= static_cast<uint64_t>(Read32(header + 32)) << 32;
    layout.unpackedSize |= static_cast<uint64_t>(Read32(header + 36)) << 32;
    nameOffset += 8;
  }
  if (nameSize > headerSize - nameOffset) return false;
  // The CRC covers the whole header, or, when an old archiver put a comment
  // inside, the part up to the end of the name.
  if (!HeaderCrcMatches(header, headerSize) && !HeaderCrcMatches(header, nameOffset + nameSize)) {
    return false;
  }
  const auto* name = reinterpret_cast<const char*>(header + nameOffset);
  const size_t length = std::find(name, name + nameSize, '\0') - name;
  entry.name.assign(name, std::min(length, MAX_NAME_LENGTH));
  layout.dataOffset = offset + headerSize;
  return true;
}

bool Rar2Archive::Extract(size_t index, std::vector<uint8_t>& out) {
  out.clear();
  if (index >= entries.size()) return false;
  try {
    unpacker.Reset();
    // In a solid archive the entry continues the stream of all before it.
    if (IsSolid()) {
      std::vector<uint8_t> skipped;
      for (size_t i = 0; i < index; ++i) {
        if (!entries[i].IsDirectory() && !Unpack(i, skipped)) return false;
      }
    }
    return Unpack(index, out);
  } catch (const std::bad_alloc&) {
    out.clear();
    return false;
  }
}

void Rar2Archive::ExtractAll(
    const std::function<void(size_t index, bool ok, std::vector<uint8_t>& data)>& each) {
  unpacker.Reset();
  bool streamIntact = true;
  std::vector<uint8_t> data;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].IsDirectory()) continue;
    bool ok = false;
    if (streamIntact) {
      try {
        ok = Unpack(i, data);
      } catch (const std::bad_alloc&) {
        std::vector<uint8_t>().swap(data);
      }
    }
    if (!ok && IsSolid()) streamIntact = false;
    if (!ok) data.clear();
    each(i, ok, data);
    data.clear();
  }
}

bool Rar2Archive::Unpack(size_t index, std::vector<uint8_t>& out) {
  out.clear();
  const Entry& entry = entries[index];
  const Layout& layout = layouts[index];
  if (entry.IsDirectory()) return true;
  if (entry.unpackVersion < 13 || entry.unpackVersion > 20) return false;
  // Parts of an entry split over volumes cannot be unpacked alone.
  if ((entry.flags & (ENTRY_SPLIT_BEFORE | ENTRY_SPLIT_AFTER)) != 0) return false;
  if (layout.dataOffset > size || layout.packedSize > size - layout.dataOffset) return false;
  if (layout.unpackedSize > MAX_UNPACKED_SIZE) return false;
  const uint8_t* packed = bytes + layout.dataOffset;
  const auto packedSize = static_cast<size_t>(layout.packedSize);
  const auto unpackedSize = static_cast<size_t>(layout.unpackedSize);
  if (entry.method == METHOD_STORE) {
    if (unpackedSize > packedSize) return false;
    out.assign(packed, packed + unpackedSize);
  } else if (unpackedSize > 0) {
    // Refused before anything is allocated: more than the packed bytes can give.
    if (layout.unpackedSize > layout.packedSize * Rar2Unpacker::MAX_BYTES_PER_PACKED_BYTE) {
      return false;
    }
    out.resize(unpackedSize);
    const bool continueStream = IsSolid() && (entry.flags & ENTRY_SOLID) != 0;
    if (!unpacker.Unpack(packed, packedSize, out.data(), unpackedSize, continueStream, IsSolid())) {
      out.clear();
      return false;
    }
  }
  if (Crc32::Compute(out.data(), out.size()) != entry.crc) {
    out.clear();
    return false;
  }
  return true;
}

int64_t Rar2Archive::Find(const std::string& name) const {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (NamesMatch(entries[i].name, name)) return static_cast<int64_t>(i);
  }
  return -1;
}

bool Rar2Archive::NamesMatch(const std::string& left, const std::string& right) {
  const size_t length = std::min(left.size(), NAME_MATCH_LENGTH);
  if (std::min(right.size(), NAME_MATCH_LENGTH) != length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (NameMatchKey(left[i]) != NameMatchKey(right[i])) return false;
  }
  return true;
}

}  // namespace ynx
