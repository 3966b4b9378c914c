#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/io/Crc32.h"
#include "engine/io/Rar2Archive.h"
#include "engine/io/Rar2Unpacker.h"
#include "tests/io/Rar2TestArchive.h"
#include "tests/io/Rar2TestStream.h"

namespace ynx {
namespace {

using test::Rar2TestArchive;
using test::Rar2TestStream;
using Bytes = std::vector<uint8_t>;

constexpr int LITERALS = Rar2TestStream::LITERALS;
constexpr int REPEATS = Rar2TestStream::REPEATS;

// Unpacks a packed stream on its own, as the first entry of an archive.
bool Unpack(const Bytes& packed, size_t size, Bytes& out) {
  Rar2Unpacker unpacker;
  out.assign(size, 0);
  return unpacker.Unpack(packed.data(), packed.size(), out.data(), out.size(), false, false);
}

// A stream that gives "ABCABCABCA": three literals, then a match of 7 at distance 3.
Bytes AbcStream() {
  return Rar2TestStream()
      .LzTables()
      .Symbol(LITERALS, 'A')
      .Symbol(LITERALS, 'B')
      .Symbol(LITERALS, 'C')
      .Match(4, 0, 0, 2, 0, 0)  // length base 4 + 3, distance base 2 + 1
      .Bytes();
}

TEST(Crc32Test, MatchesTheStandardCheckValue) {
  const char* text = "123456789";
  EXPECT_EQ(Crc32::Compute(text, 9), 0xCBF43926u);
  EXPECT_EQ(Crc32::Update(Crc32::Compute(text, 4), text + 4, 5), 0xCBF43926u);
  EXPECT_EQ(Crc32::Compute(nullptr, 0), 0u);
}

TEST(Rar2UnpackerTest, LiteralsMatchesAndRepeatsComeOut) {
  Bytes out;
  ASSERT_TRUE(Unpack(AbcStream(), 10, out));
  EXPECT_EQ(std::string(out.begin(), out.end()), "ABCABCABCA");

  // 256 repeats the last match; 257 reuses the last distance with a new length.
  const Bytes packed = Rar2TestStream()
                           .LzTables()
                           .Symbol(LITERALS, 'x')
                           .Symbol(LITERALS, 'y')
                           .Match(0, 0, 0, 1, 0, 0)  // 3 at distance 2
                           .Symbol(LITERALS, 256)
                           .Symbol(LITERALS, 257)
                           .Symbol(REPEATS, 1)  // 1 + 2
                           .Symbol(LITERALS, 261)
                           .Bits(0, 2)  // length 2 at distance 1
                           .Bytes();
  ASSERT_TRUE(Unpack(packed, 13, out));
  EXPECT_EQ(std::string(out.begin(), out.end()), "xyxyxyxyxyxxx");
}

TEST(Rar2UnpackerTest, TablesSwitchBetweenLzAndAudioInMidStream) {
  const Bytes packed = Rar2TestStream()
                           .LzTables()
                           .Symbol(LITERALS, 'q')
                           .Symbol(LITERALS, 269)
                           .AudioTables(2)
                           .Symbol(3, 0)
                           .Symbol(4, 0)
                           .Symbol(3, 256)
                           .LzTables()
                           .Symbol(LITERALS, 'z')
                           .Bytes();
  Bytes out;
  ASSERT_TRUE(Unpack(packed, 4, out));
  // Zero deltas from a fresh predictor give zero bytes.
  EXPECT_EQ(out, (Bytes{'q', 0, 0, 'z'}));
}

TEST(Rar2UnpackerTest, CorruptStreamsFail) {
  Bytes out;
  // A match reaching before the first byte.
  EXPECT_FALSE(Unpack(Rar2TestStream().LzTables().Symbol(LITERALS, 'A').Match(0, 0, 0, 4, 0, 1).Bytes(), 4, out));
  // Repeating a match, or a last distance, before there was one.
  EXPECT_FALSE(Unpack(Rar2TestStream().LzTables().Symbol(LITERALS, 256).Bytes(), 4, out));
  EXPECT_FALSE(Unpack(Rar2TestStream().LzTables().Symbol(LITERALS, 'A').Symbol(LITERALS, 258).Symbol(REPEATS, 0).Bytes(), 4, out));
  // More output than the bits hold.
  EXPECT_FALSE(Unpack(AbcStream(), 400, out));
  // Lengths claiming more codes than exist.
  EXPECT_FALSE(Unpack(Rar2TestStream().LzTables(Bytes(298, 1)).Symbol(LITERALS, 0).Bytes(), 1, out));
  // A code that the (incomplete) table does not have: only 'A' has a code, "0".
  Bytes single(298, 0);
  single['A'] = 1;
  EXPECT_TRUE(Unpack(Rar2TestStream().LzTables(single).Bits(0, 3).Bytes(), 3, out));
  EXPECT_EQ(out, (Bytes{'A', 'A', 'A'}));
  EXPECT_FALSE(Unpack(Rar2TestStream().LzTables(single).Bits(0b101, 3).Bytes(), 3, out));
  // Tables with nothing in them decode nothing; so does an empty stream.
  EXPECT_FALSE(Unpack(Rar2TestStream().LzTables(Bytes(298, 0)).Bits(0, 16).Bytes(), 1, out));
  EXPECT_FALSE(Unpack({}, 1, out));
  // The first code length repeating the one before it (all 19 length codes have 5 bits).
  Rar2TestStream repeatFirst;
  repeatFirst.Bits(0, 2);
  for (int i = 0; i < 19; ++i) repeatFirst.Bits(5, 4);
  EXPECT_FALSE(Unpack(repeatFirst.Bits(16, 5).Bits(0, 16).Bytes(), 1, out));
}

TEST(Rar2ArchiveTest, ShortOrForeignBytesAreNoArchive) {
  Rar2Archive archive;
  const Bytes marker{'R', 'a', 'r', '!', 0x1A, 0x07};
  EXPECT_FALSE(archive.Open(marker.data(), marker.size()));
  EXPECT_TRUE(archive.Entries().empty());
  EXPECT_FALSE(archive.Open(nullptr, 100));
  const Bytes rar5{'R', 'a', 'r', '!', 0x1A, 0x07, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(archive.Open(rar5.data(), rar5.size()));

  Bytes unique = Rar2TestArchive().Stored("a.txt", Rar2TestArchive::Text("old marker")).Bytes();
  std::memcpy(unique.data(), "UniquE!", 7);
  ASSERT_TRUE(archive.Open(unique.data(), unique.size()));
  ASSERT_EQ(archive.Entries().size(), 1u);
}

TEST(Rar2ArchiveTest, AnArchiveBehindAProgramIsFound) {
  // The program itself may carry the marker; only one with a sound main header counts.
  Bytes bytes = Rar2TestArchive::Text("MZ stub Rar!\x1A\x07");
  bytes.push_back(0);
  bytes.resize(300, 0x90);
  const Bytes archive = Rar2TestArchive().Stored("in.txt", Rar2TestArchive::Text("payload")).End().Bytes();
  bytes.insert(bytes.end(), archive.begin(), archive.end());
  Rar2Archive reader;
  ASSERT_TRUE(reader.Open(bytes.data(), bytes.size()));
  ASSERT_EQ(reader.Entries().size(), 1u);
  Bytes out;
  ASSERT_TRUE(reader.Extract(0, out));
  EXPECT_EQ(out, Rar2TestArchive::Text("payload"));
}

TEST(Rar2ArchiveTest, StoredEntriesComeBackAndPassTheirCrc) {
  Bytes content(100033);
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<uint8_t>(i * 7 + i / 251);
  const Bytes bytes = Rar2TestArchive().Stored("Big.bin", content).Stored("Empty.txt", {}).End().Bytes();
  Rar2Archive archive;
  ASSERT_TRUE(archive.Open(bytes.data(), bytes.size()));
  ASSERT_EQ(archive.Entries().size(), 2u);
  EXPECT_EQ(archive.Entries()[0].unpackedSize, 100033u);
  Bytes out;
  ASSERT_TRUE(archive.Extract(0, out));
  EXPECT_EQ(out, content);
  ASSERT_TRUE(archive.Extract(1, out));
  EXPECT_TRUE(out.empty());

  // One byte changed in the data: the CRC tells.
  Bytes damaged = bytes;
  damaged[7 + 13 + 32 + 7 + 5000] ^= 1;
  ASSERT_TRUE(archive.Open(damaged.data(), damaged.size()));
  EXPECT_FALSE(archive.Extract(0, out));
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(archive.Extract(1, out));
}

TEST(Rar2ArchiveTest, NamesMatchWithoutSeparatorsOrCase) {
  const Bytes bytes = Rar2TestArchive()
                          .Directory("Textures")
                          .Stored("Textures\\01_001.jpg", Rar2TestArchive::Text("jpeg"))
                          .Bytes();
  Rar2Archive archive;
  ASSERT_TRUE(archive.Open(bytes.data(), bytes.size()));
  EXPECT_EQ(archive.Find("textures/01_001.JPG"), 1);
  EXPECT_EQ(archive.Find("TEXTURES\\01_001.JPG"), 1);
  EXPECT_EQ(archive.Find("textures"), 0);
  EXPECT_EQ(archive.Find("01_001.jpg"), -1);
  EXPECT_EQ(archive.Find("Textures\\01_001.jpg2"), -1);
  EXPECT_TRUE(Rar2Archive::NamesMatch(std::string(600, 'a') + "x", std::string(512, 'A') + "y"));
  EXPECT_FALSE(Rar2Archive::NamesMatch("a", "b"));
}

TEST(Rar2ArchiveTest, VersionsOutsideTheRangeAndSplitEntriesAreRefused) {
  Rar2TestArchive builder;
  for (uint8_t version : {12, 13, 15, 20, 21, 29, 36}) {
    Rar2TestArchive::Entry entry;
    entry.name = "v" + std::to_string(version);
    entry.data = Rar2TestArchive::Text("same");
    entry.unpackedSize = 4;
    entry.crc = Crc32::Compute(entry.data.data(), 4);
    entry.unpackVersion = version;
    builder.Add(entry);
  }
  Rar2TestArchive::Entry split;
  split.name = "split";
  split.data = Rar2TestArchive::Text("half");
  split.unpackedSize = 4;
  split.crc = Crc32::Compute(split.data.data(), 4);
  split.flags = 0x8002;
  builder.Add(split);
  Rar2Archive archive;
  ASSERT_TRUE(archive.Open(builder.Bytes().data(), builder.Bytes().size()));
  std::string results;
  archive.ExtractAll([&](size_t, bool ok, Bytes&) { results += ok ? '+' : '-'; });
  EXPECT_EQ(results, "-+++---" "-");
}

TEST(Rar2ArchiveTest, DirectoriesAreToldByFlagsOrByTheHostsAttributes) {
  Rar2Archive::Entry entry;
  entry.flags = 0x80E0;
  EXPECT_TRUE(entry.IsDirectory());
  entry.flags = 0x8000;
  entry.attributes = 0x10;
  EXPECT_TRUE(entry.IsDirectory());
  entry.hostSystem = 3;  // Unix: rw-rw-r-- has the 0x10 bit, a file all the same
  entry.attributes = 0100664;
  EXPECT_FALSE(entry.IsDirectory());
  entry.attributes = 040755;
  EXPECT_TRUE(entry.IsDirectory());
}

TEST(Rar2ArchiveTest, DamagedHeadersEndTheListing) {
  const Bytes good = Rar2TestArchive()
                         .Stored("one", Rar2TestArchive::Text("1"))
                         .Stored("two", Rar2TestArchive::Text("22"))
                         .End()
                         .Bytes();
  const size_t second = 7 + 13 + 32 + 3 + 1;
  Rar2Archive archive;
  // Every cut lists the entries whose headers fit, and extracts those whose data does.
  for (size_t cut = 0; cut <= good.size(); ++cut) {
    const bool opened = archive.Open(good.data(), cut);
    EXPECT_EQ(opened, cut >= 20) << cut;
    const size_t listed = cut < 7 + 13 + 35 ? 0 : cut < second + 35 ? 1 : 2;
    EXPECT_EQ(archive.Entries().size(), listed) << cut;
    Bytes out;
    if (listed > 0) {
      EXPECT_EQ(archive.Extract(0, out), cut >= second) << cut;
    }
  }
  // A header size below the minimum, or past the end; a wrong header CRC.
  for (auto [offset, change] : {std::pair{second + 5, 35 ^ 3}, {second + 6, 0x40}, {second, 0x01}}) {
    Bytes damaged = good;
    damaged[offset] ^= static_cast<uint8_t>(change);
    ASSERT_TRUE(archive.Open(damaged.data(), damaged.size()));
    EXPECT_EQ(archive.Entries().size(), 1u) << offset;
  }
  // A main header of size 0.
  Bytes noMain = good;
  noMain[7 + 5] = 0;
  EXPECT_FALSE(archive.Open(noMain.data(), noMain.size()));
}

TEST(Rar2ArchiveTest, HostileSizesAndNamesAreHandled) {
  Rar2Archive archive;
  Bytes out;
  // Gigabytes behind a few bytes are refused at once.
  Rar2TestArchive::Entry bomb;
  bomb.name = "bomb";
  bomb.data = AbcStream();
  bomb.unpackedSize = 0x7FFFFFF0;
  bomb.method = 0x33;
  const Bytes bombBytes = Rar2TestArchive().Add(bomb).Bytes();
  ASSERT_TRUE(archive.Open(bombBytes.data(), bombBytes.size()));
  EXPECT_FALSE(archive.Extract(0, out));
  EXPECT_LT(out.capacity(), size_t{1} << 20);
  // A packed size far past the end.
  Rar2TestArchive::Entry beyond = bomb;
  beyond.unpackedSize = 10;
  beyond.packedSize = 0xFFFFFFF0;
  const Bytes beyondBytes = Rar2TestArchive().Add(beyond).Bytes();
  ASSERT_TRUE(archive.Open(beyondBytes.data(), beyondBytes.size()));
  ASSERT_EQ(archive.Entries().size(), 1u);
  EXPECT_FALSE(archive.Extract(0, out));

  // Names are cut at a NUL and after 259 bytes.
  const Bytes names = Rar2TestArchive()
                          .Stored(std::string("short\0hidden", 12), Rar2TestArchive::Text("a"))
                          .Stored(std::string(65000, 'n'), Rar2TestArchive::Text("b"))
                          .Bytes();
  ASSERT_TRUE(archive.Open(names.data(), names.size()));
  ASSERT_EQ(archive.Entries().size(), 2u);
  EXPECT_EQ(archive.Entries()[0].name, "short");
  EXPECT_EQ(archive.Entries()[1].name, std::string(259, 'n'));
  EXPECT_TRUE(archive.Extract(1, out));
}

TEST(Rar2ArchiveTest, SolidEntriesContinueTheStreamAndFailAfterABrokenOne) {
  // The second entry has no tables of its own and repeats five bytes of the first.
  Rar2TestStream stream;
  stream.LzTables().Symbol(LITERALS, 'A').Symbol(LITERALS, 'B').Symbol(LITERALS, 'C').Match(4, 0, 0, 2, 0, 0);
  const Bytes first = stream.TakeBytes();
  const Bytes second = stream.Match(2, 0, 0, 6, 1, 2).TakeBytes();  // 5 at distance 10
  const Bytes firstContent = Rar2TestArchive::Text("ABCABCABCA");
  const Bytes secondContent = Rar2TestArchive::Text("ABCAB");
  const auto results = [](const Bytes& bytes) {
    Rar2Archive archive;
    EXPECT_TRUE(archive.Open(bytes.data(), bytes.size()));
    std::string all;
    archive.ExtractAll([&](size_t index, bool ok, Bytes& data) {
      Bytes alone;
      EXPECT_EQ(archive.Extract(index, alone), ok) << index;
      EXPECT_EQ(alone, data) << index;
      all += ok ? '+' : '-';
    });
    return all;
  };
  const Bytes stored = Rar2TestArchive::Text("stored");
  EXPECT_EQ(results(Rar2TestArchive(0x0008)
                        .Packed("first", first, firstContent)
                        .Stored("between", stored)
                        .Packed("second", second, secondContent, 0x8010)
                        .Bytes()),
            "+++");
  // Without the solid archive flag the second entry starts afresh, without tables.
  EXPECT_EQ(results(Rar2TestArchive()
                        .Packed("first", first, firstContent)
                        .Packed("second", second, secondContent, 0x8010)
                        .Bytes()),
            "+-");
  // Once an entry fails, the ones after it fail, whatever they hold.
  EXPECT_EQ(results(Rar2TestArchive(0x0008)
                        .Packed("first", first, Rar2TestArchive::Text("ABCABCABCB"))
                        .Stored("between", stored)
                        .Packed("second", second, secondContent, 0x8010)
                        .Bytes()),
            "---");
}

}  // namespace
}  // namespace ynx
