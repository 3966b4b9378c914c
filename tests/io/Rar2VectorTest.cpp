// Every archive of the shared collection made by other software, against
// the listing, sizes, CRCs and SHA-256 digests its index publishes.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/io/Crc32.h"
#include "engine/io/Directory.h"
#include "engine/io/MemoryFile.h"
#include "engine/io/RAR2FileCodec.h"
#include "engine/io/Rar2Archive.h"
#include "tests/io/Sha256.h"

namespace ynx {
namespace {

using Bytes = std::vector<uint8_t>;

// A file header as the index lists it.
struct IndexedEntry {
  uint32_t flags = 0, packed = 0, unpacked = 0, crc = 0, version = 0, method = 0;
  bool directory = false;
};

// A content the index confirms: size, CRC and digest (empty when no tool
// produced data matching the CRC).
struct Expected {
  uint32_t size = 0, crc = 0;
  std::string sha256;
};

struct IndexedArchive {
  std::string path;
  std::vector<IndexedEntry> entries;
  std::vector<Expected> expected;
};

// The value after "key=" in a line of the index, up to a space or "(".
std::string Field(const std::string& line, const std::string& key) {
  const size_t at = line.find(" " + key + "=");
  if (at == std::string::npos) return {};
  const size_t start = at + key.size() + 2;
  return line.substr(start, line.find_first_of(" ([", start) - start);
}

uint32_t Number(const std::string& text, int base) {
  return text.empty() ? 0 : static_cast<uint32_t>(std::stoul(text, nullptr, base));
}

std::vector<IndexedArchive> ReadIndex(const std::string& path) {
  std::vector<IndexedArchive> archives;
  std::ifstream in(path);
  std::string line;
  bool inListing = false;
  while (std::getline(in, line)) {
    if (line.rfind("### ", 0) == 0) {
      archives.push_back({line.substr(4, line.find("   (") - 4), {}, {}});
      continue;
    }
    if (archives.empty()) continue;
    IndexedArchive& archive = archives.back();
    if (line.find(" FILE #") != std::string::npos) {
      inListing = true;
    } else if (inListing && line.find("flags=") != std::string::npos) {
      IndexedEntry entry;
      entry.flags = Number(Field(line, "flags"), 16);
      entry.packed = Number(Field(line, "packed"), 10);
      entry.unpacked = Number(Field(line, "unpacked"), 10);
      entry.crc = Number(Field(line, "crc32"), 16);
      entry.version = Number(Field(line, "unp_ver"), 10);
      entry.method = Number(Field(line, "method"), 16);
      entry.directory = Field(line, "dir") == "yes";
      archive.entries.push_back(entry);
      inListing = false;
    } else if (line.rfind("  - ", 0) == 0 && line.find(" size=") != std::string::npos) {
      archive.expected.push_back({Number(Field(line, "size"), 10), Number(Field(line, "crc"), 16),
                                  Field(line, "sha256")});
    }
  }
  return archives;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

// The files with content in a mounted tree.
size_t FilesWithContent(const Directory* directory) {
  size_t count = 0;
  for (const File* file : directory->Files()) {
    if (static_cast<const MemoryFile*>(file)->GetSource() != nullptr) ++count;
  }
  for (const Directory* child : directory->Directories()) count += FilesWithContent(child);
  return count;
}

TEST(Rar2VectorTest, EveryArchiveOfOtherSoftwareReadsAsItsIndexSays) {
  const std::string folder = RAR_VECTOR_FOLDER;
  if (!Exists(folder + "/INDEX.txt")) GTEST_SKIP() << "no archive collection at " << folder;
  const std::vector<IndexedArchive> archives = ReadIndex(folder + "/INDEX.txt");
  ASSERT_EQ(archives.size(), 66u) << "60 archives and 6 further volumes";

  // Archives this reader lists differently from the index, and why.
  const std::map<std::string, size_t> listedDifferently = {
      // No main header after the marker: not an archive.
      {"libarchive/test_read_format_rar_overflow.rar", 0},
      {"libarchive/test_read_format_rar_ppmd_use_after_free.rar", 0},
      {"libarchive/test_read_format_rar_symlink_huge.rar", 0},
      // The file header's CRC is wrong: the listing ends there.
      {"junrar/abnormal/bad-header-crc.rar", 0},
  };
  size_t verified = 0, refused = 0, mounted = 0;
  RAR2FileCodec codec;
  for (const IndexedArchive& indexed : archives) {
    SCOPED_TRACE(indexed.path);
    const Bytes bytes = ReadFile(folder + "/" + indexed.path);
    ASSERT_FALSE(bytes.empty());
    // Mounted, the same entries come out as files with content.
    MemoryFile mountable{String("Vector.rar2")};
    mountable.SetSource(bytes.data(), static_cast<int32_t>(bytes.size()), false);
    Directory* root = nullptr;
    ASSERT_EQ(codec.Load(&mountable, &root, String()), 0);
    mounted += FilesWithContent(root);
    delete root;
    Rar2Archive archive;
    archive.Open(bytes.data(), bytes.size());
    const auto different = listedDifferently.find(indexed.path);
    if (different != listedDifferently.end()) {
      EXPECT_EQ(archive.Entries().size(), different->second);
      continue;
    }
    ASSERT_EQ(archive.Entries().size(), indexed.entries.size());
    for (size_t i = 0; i < indexed.entries.size(); ++i) {
      const Rar2Archive::Entry& entry = archive.Entries()[i];
      const IndexedEntry& expected = indexed.entries[i];
      EXPECT_EQ(entry.flags, expected.flags) << i;
      EXPECT_EQ(entry.packedSize, expected.packed) << i;
      EXPECT_EQ(entry.unpackedSize, expected.unpacked) << i;
      EXPECT_EQ(entry.crc, expected.crc) << i;
      EXPECT_EQ(entry.unpackVersion, expected.version) << i;
      EXPECT_EQ(entry.method, expected.method) << i;
      EXPECT_EQ(entry.IsDirectory(), expected.directory) << i;
    }

    // The contents the index confirms pair with the file entries in order,
    // except in a first volume, whose entries continue in the next ones.
    const bool firstVolume = (archive.ArchiveFlags() & Rar2Archive::ARCHIVE_VOLUME) != 0;
    size_t file = 0;
    bool streamIntact = true;
    archive.ExtractAll([&](size_t index, bool ok, Bytes& data) {
      const Rar2Archive::Entry& entry = archive.Entries()[index];
      const Expected* expected =
          !firstVolume && file < indexed.expected.size() ? &indexed.expected[file] : nullptr;
      ++file;
      // Unpacked when the method is ours, nothing is encrypted or split, and
      // other tools confirm the content.
      const bool ours = entry.unpackVersion >= 13 && entry.unpackVersion <= 20 &&
                        (entry.method == 0x30 || entry.unpackVersion == 20) &&
                        (entry.flags & 0x0007) == 0;
      const bool expectOk = streamIntact && ours && expected != nullptr && !expected->sha256.empty();
      if (!expectOk && archive.IsSolid()) streamIntact = false;
      EXPECT_EQ(ok, expectOk) << entry.name;
      Bytes alone;
      EXPECT_EQ(archive.Extract(index, alone), ok) << entry.name;
      EXPECT_EQ(alone, data) << entry.name;
      if (!ok) {
        EXPECT_TRUE(data.empty());
        ++refused;
        return;
      }
      EXPECT_EQ(data.size(), expected->size) << entry.name;
      EXPECT_EQ(Crc32::Compute(data.data(), data.size()), expected->crc) << entry.name;
      EXPECT_EQ(test::Sha256::Hex(data.data(), data.size()), expected->sha256) << entry.name;
      ++verified;
    });
  }
  std::printf("[ RAR      ] %zu entries verified byte for byte, %zu refused\n", verified, refused);
  EXPECT_EQ(verified, 71u);
  EXPECT_EQ(mounted, verified);
}

}  // namespace
}  // namespace ynx
