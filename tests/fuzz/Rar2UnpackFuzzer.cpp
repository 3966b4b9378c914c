// libFuzzer target: the RAR 2.0 decompressor. The first nine bytes choose
// the entries (solid or not, one or two, the unpack version, stored or
// packed, their unpacked sizes and where the packed bytes split); the rest
// is packed data. The stream is unpacked directly, then again from an archive
// built around it with the CRCs of what came out: both ways must agree, and
// so must extracting an entry alone.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/io/Crc32.h"
#include "engine/io/Rar2Archive.h"
#include "engine/io/Rar2Unpacker.h"
#include "tests/io/Rar2TestArchive.h"

namespace {

constexpr size_t HEADER = 9;
constexpr uint8_t VERSIONS[4] = {20, 15, 13, 29};

uint32_t Read24(const uint8_t* at) { return at[0] | at[1] << 8 | static_cast<uint32_t>(at[2]) << 16; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace ynx;
  using Bytes = std::vector<uint8_t>;
  if (size < HEADER) return 0;
  const uint8_t mode = data[0];
  const bool solid = (mode & 1) != 0;
  const bool two = (mode & 2) != 0;
  const uint8_t version = VERSIONS[(mode >> 2) & 3];
  const bool stored = (mode & 16) != 0;
  const uint32_t sizes[2] = {Read24(data + 1), Read24(data + 4)};
  const Bytes packed(data + HEADER, data + size);
  const size_t split = two ? std::min<size_t>(data[7] | data[8] << 8, packed.size()) : packed.size();
  const Bytes parts[2] = {Bytes(packed.begin(), packed.begin() + static_cast<ptrdiff_t>(split)),
                          Bytes(packed.begin() + static_cast<ptrdiff_t>(split), packed.end())};
  const int count = two ? 2 : 1;

  // Straight through the unpacker, within the bound the archive applies.
  Rar2Unpacker unpacker;
  Bytes direct[2];
  bool directOk[2] = {false, false};
  for (int i = 0; i < count; ++i) {
    if (stored && i == 0) {
      directOk[0] = sizes[0] <= parts[0].size();
      if (directOk[0]) direct[0].assign(parts[0].begin(), parts[0].begin() + sizes[0]);
    } else if (sizes[i] == 0) {
      directOk[i] = true;
    } else if (sizes[i] <= parts[i].size() * Rar2Unpacker::MAX_BYTES_PER_PACKED_BYTE) {
      direct[i].assign(sizes[i], 0);
      directOk[i] = unpacker.Unpack(parts[i].data(), parts[i].size(), direct[i].data(), sizes[i],
                                    solid && i == 1, solid);
    }
  }

  test::Rar2TestArchive builder(solid ? Rar2Archive::ARCHIVE_SOLID : 0);
  for (int i = 0; i < count; ++i) {
    test::Rar2TestArchive::Entry entry;
    entry.name = i == 0 ? "first" : "second";
    entry.data = parts[i];
    entry.unpackedSize = sizes[i];
    entry.unpackVersion = version;
    entry.method = stored && i == 0 ? 0x30 : 0x33;
    if (i == 1 && solid) entry.flags |= Rar2Archive::ENTRY_SOLID;
    entry.crc = directOk[i] ? Crc32::Compute(direct[i].data(), direct[i].size()) : 0;
    builder.Add(entry);
  }
  Rar2Archive archive;
  if (!archive.Open(builder.Bytes().data(), builder.Bytes().size())) __builtin_trap();
  const bool versionOk = version >= 13 && version <= 20;
  bool intact = true;
  archive.ExtractAll([&](size_t index, bool ok, Bytes& out) {
    // The same decoding both ways; in a solid archive a failure ends the stream.
    const bool expected = versionOk && directOk[index] && intact;
    if (ok != expected || (ok && out != direct[index])) __builtin_trap();
    if (!ok && solid) intact = false;
    Bytes alone;
    if (archive.Extract(index, alone) != ok || alone != out) __builtin_trap();
  });
  return 0;
}
