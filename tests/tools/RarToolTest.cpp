#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/io/Rar2TestArchive.h"
#include "tests/support/Subprocess.h"
#include "tests/support/SampleData.h"

namespace {

namespace fs = std::filesystem;

using ynx::test::Outcome;
using ynx::test::SampleData;

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

Outcome Rar(const std::string& arguments) {
  return ynx::test::RunCommand(std::string("'") + YNX_RAR_PATH + "' " + arguments);
}

// The first difference between two folder trees, or "" when `actual` holds
// exactly the files of `expected`, byte for byte (and its folders, unless
// the decoder leaves out empty ones).
std::string Compare(const fs::path& expected, const fs::path& actual, bool emptyFolders) {
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(expected)) {
    const fs::path relative = fs::relative(entry.path(), expected);
    const fs::path other = actual / relative;
    if (entry.is_directory()) {
      if (emptyFolders && !fs::is_directory(other)) return "missing folder " + relative.string();
    } else if (!fs::is_regular_file(other)) {
      return "missing file " + relative.string();
    } else if (SampleData::Read(entry.path()) != SampleData::Read(other)) {
      return "different content in " + relative.string();
    }
  }
  if (!fs::is_directory(actual)) return "nothing extracted";
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(actual)) {
    if (!fs::exists(expected / fs::relative(entry.path(), actual))) {
      return "unexpected " + fs::relative(entry.path(), actual).string();
    }
  }
  return "";
}

// unar, libunarr and the engine's reader (through `t` and `x`) all give
// back `expected` from `archive`, byte for byte.
void ExpectDecodersAgree(const fs::path& archive, const fs::path& expected, const fs::path& work) {
  const Outcome unar = ynx::test::RunCommand("unar -q -f -D -o " + Quoted(work / "unar") + " " + Quoted(archive));
  ASSERT_EQ(unar.exitCode, 0) << "unar (package unar) failed: " << unar.output;
  EXPECT_EQ(Compare(expected, work / "unar", true), "") << "unar";

  // libunarr leaves out folder entries, so empty folders do not appear.
  const Outcome unarr = ynx::test::RunCommand(std::string("'") + YNX_UNARR_EXTRACT_PATH + "' " + Quoted(archive) +
                                              " " + Quoted(work / "unarr"));
  ASSERT_EQ(unarr.exitCode, 0) << unarr.output;
  EXPECT_EQ(Compare(expected, work / "unarr", false), "") << "libunarr";

  const Outcome tested = Rar("t " + Quoted(archive));
  EXPECT_EQ(tested.exitCode, 0) << tested.output;
  EXPECT_NE(tested.output.find("All OK"), std::string::npos);
  const Outcome extracted = Rar("x " + Quoted(archive) + " " + Quoted(work / "engine"));
  ASSERT_EQ(extracted.exitCode, 0) << extracted.output;
  EXPECT_EQ(Compare(expected, work / "engine", true), "") << "the engine's reader";
}

// Every kind of data the archiver meets, in "small": random bytes, text, a
// raw picture, floats, PCM sound in 8 and 16 bits with 1 to 4 channels, an
// empty file and an empty folder; and in "big" a file over 2 MB whose
// matches reach back up to the whole window (which wraps).
void WriteCorpus(const fs::path& folder) {
  const fs::path small = folder / "small";
  ASSERT_TRUE(SampleData::Write(small / "random.bin", SampleData::Random(48 << 10, 1)));
  ASSERT_TRUE(SampleData::Write(small / "docs/readme.txt", SampleData::Text(120 << 10, 2)));
  ASSERT_TRUE(SampleData::Write(small / "images/photo.rgb", SampleData::Picture(256, 192, 3)));
  ASSERT_TRUE(SampleData::Write(small / "data/samples.f32", SampleData::Floats(32768, 4)));
  for (int bits : {8, 16}) {
    for (int channels = 1; channels <= 4; ++channels) {
      const std::string name = "pcm" + std::to_string(bits) + "_" + std::to_string(channels) + "ch.raw";
      const size_t frames = (48u << 10) / static_cast<size_t>(bits / 8 * channels);
      ASSERT_TRUE(SampleData::Write(small / "sound" / name, SampleData::Pcm(frames, bits, channels, 10 + bits + channels)));
    }
  }
  ASSERT_TRUE(SampleData::Write(small / "empty.txt", {}));
  fs::create_directories(small / "docs/empty-folder");
  ASSERT_TRUE(SampleData::Write(folder / "big/far.bin", SampleData::FarRepeats(2500000, 5)));
}

class RarToolTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The process id keeps runs of two builds at the same time apart.
    corpus = fs::path(::testing::TempDir()) / ("ynx-rar-corpus-" + std::to_string(::getpid()));
    fs::remove_all(corpus);
    WriteCorpus(corpus);
  }
  static void TearDownTestSuite() { fs::remove_all(corpus); }

  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    folder = fs::path(::testing::TempDir()) / ("ynx-rar-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  static fs::path corpus;
  fs::path folder;
};

fs::path RarToolTest::corpus;

struct Mode {
  const char* name;
  const char* options;
  bool big;            // with the big file (slow to pack and unpack)
  bool audioForSound;  // every PCM file has audio blocks
  bool audioOnly;      // no compressed file has anything but audio blocks
};

class RarModeTest : public RarToolTest, public ::testing::WithParamInterface<Mode> {};

// Lines of `a` output naming a file whose archive name contains `part`.
std::vector<std::string> LinesAbout(const std::string& output, const std::string& part) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(start, end - start);
    if (line.rfind("a ", 0) == 0 && line.find(part) != std::string::npos) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

TEST_P(RarModeTest, ArchivesComeBackWholeThroughTwoOtherDecodersAndTheEngine) {
  const Mode& mode = GetParam();
  const fs::path archive = folder / "corpus.rar";
  const fs::path input = mode.big ? corpus : corpus / "small";
  const Outcome packed = Rar(std::string("a ") + mode.options + " -ep1 " + Quoted(archive) + " " + Quoted(input));
  ASSERT_EQ(packed.exitCode, 0) << packed.output;

  const std::vector<std::string> sound = LinesAbout(packed.output, "sound\\pcm");
  ASSERT_EQ(sound.size(), 8u) << packed.output;
  for (const std::string& line : sound) {
    if (mode.audioForSound) {
      EXPECT_NE(line.find("audio"), std::string::npos) << line;
    }
  }
  if (mode.audioOnly) {
    for (const std::string& line : LinesAbout(packed.output, "")) {
      EXPECT_EQ(line.find("LZ"), std::string::npos) << line;
    }
  }

  ExpectDecodersAgree(archive, input, folder);
}

INSTANTIATE_TEST_SUITE_P(Modes, RarModeTest,
                         ::testing::Values(Mode{"Stored", "-m0", true, false, false},
                                           Mode{"Normal", "-m3", true, true, false},
                                           Mode{"Best", "-m5", false, true, false},
                                           Mode{"Solid", "-m3 -s", true, false, false},
                                           Mode{"ForcedAudio", "-mm", false, true, true}),
                         [](const ::testing::TestParamInfo<Mode>& info) { return std::string(info.param.name); });

// In a solid stream the decoder's audio channel carries over from file to
// file: sound files of odd sizes and changing channel counts reach every
// channel at every count, and one file changes its channel count midway.
TEST_F(RarToolTest, AudioChannelsCarryOverThroughASolidStream) {
  const fs::path sound = folder / "sound";
  for (int index = 0; index < 24; ++index) {
    const int channels = 1 + index * 7 % 4, bits = index % 3 == 0 ? 16 : 8;
    std::vector<uint8_t> pcm = SampleData::Pcm(1500 + static_cast<size_t>(index) * 577, bits, channels, 900 + index);
    pcm.resize(pcm.size() - static_cast<size_t>(index % 5));
    ASSERT_TRUE(SampleData::Write(sound / ("part" + std::to_string(100 + index) + ".raw"), pcm));
  }
  std::vector<uint8_t> changing;
  for (int channels : {1, 3, 2, 4, 3, 1}) {
    const std::vector<uint8_t> pcm = SampleData::Pcm(40001, 8, channels, 950 + channels);
    changing.insert(changing.end(), pcm.begin(), pcm.end() - channels % 3);
  }
  ASSERT_TRUE(SampleData::Write(sound / "changing.raw", changing));

  for (const char* options : {"-s", "-s -mm"}) {
    SCOPED_TRACE(options);
    const fs::path archive = folder / "sound.rar";
    const fs::path work = folder / "out";
    const Outcome packed = Rar(std::string("a ") + options + " -ep1 " + Quoted(archive) + " " + Quoted(sound));
    ASSERT_EQ(packed.exitCode, 0) << packed.output;
    ExpectDecodersAgree(archive, sound, work);
    fs::remove_all(work);
  }
}

TEST_F(RarToolTest, CompressionPaysOffAndFallsBackToStoringWhenItDoesNot) {
  const fs::path stored = folder / "stored.rar", normal = folder / "normal.rar", best = folder / "best.rar";
  for (const auto& [options, archive] : {std::pair{"-m0", stored}, {"-m3", normal}, {"-m5", best}}) {
    ASSERT_EQ(Rar(std::string("a ") + options + " -ep1 " + Quoted(archive) + " " + Quoted(corpus / "small")).exitCode, 0);
  }
  EXPECT_LT(fs::file_size(normal), fs::file_size(stored) * 6 / 10);
  EXPECT_LE(fs::file_size(best), fs::file_size(normal));

  const Outcome listing = Rar("l " + Quoted(normal));
  ASSERT_EQ(listing.exitCode, 0) << listing.output;
  // Random bytes do not shrink: stored, method 0x30.
  EXPECT_NE(listing.output.find("  49152        49152   100% store "), std::string::npos) << listing.output;
  EXPECT_NE(listing.output.find("m3     "), std::string::npos) << listing.output;
}

TEST_F(RarToolTest, NamesKeepTheGivenPathOrStartAtTheArgument) {
  ASSERT_TRUE(SampleData::Write(folder / "media/Textures/wall.tga", SampleData::Random(100, 7)));
  ASSERT_TRUE(SampleData::Write(folder / "media/intro.txt", SampleData::Text(100, 8)));

  ASSERT_EQ(ynx::test::RunCommand("cd " + Quoted(folder) + " && '" + YNX_RAR_PATH + "' a given.rar media").exitCode, 0);
  const Outcome given = Rar("l " + Quoted(folder / "given.rar"));
  // Folders come before what they hold, names use "\".
  const size_t media = given.output.find(" media\n");
  const size_t textures = given.output.find(" media\\Textures\n");
  const size_t wall = given.output.find(" media\\Textures\\wall.tga\n");
  ASSERT_NE(media, std::string::npos) << given.output;
  ASSERT_NE(textures, std::string::npos) << given.output;
  ASSERT_NE(wall, std::string::npos) << given.output;
  EXPECT_LT(media, textures);
  EXPECT_LT(textures, wall);

  ASSERT_EQ(Rar("a -ep1 " + Quoted(folder / "relative.rar") + " " + Quoted(folder / "media")).exitCode, 0);
  const Outcome relative = Rar("l " + Quoted(folder / "relative.rar"));
  EXPECT_NE(relative.output.find(" Textures\\wall.tga\n"), std::string::npos) << relative.output;
  EXPECT_NE(relative.output.find(" intro.txt\n"), std::string::npos) << relative.output;
  EXPECT_EQ(relative.output.find("media"), std::string::npos) << relative.output;
}

TEST_F(RarToolTest, AHostileArchiveCannotWriteOutsideTheDestination) {
  const fs::path outside = folder / "outside";
  const fs::path target = folder / "target";
  fs::create_directories(outside);
  fs::create_directories(target);
  // A link planted in the destination beforehand must not be followed.
  fs::create_directory_symlink(outside, target / "link");
  const std::vector<uint8_t> payload = ynx::test::Rar2TestArchive::Text("gotcha");
  const ynx::test::Rar2TestArchive archive =
      ynx::test::Rar2TestArchive()
          .Stored("..\\escape.txt", payload)
          .Stored("sub\\..\\..\\escape2.txt", payload)
          .Stored("/tmp/absolute-" + std::to_string(::getpid()) + ".txt", payload)
          .Stored("\\rooted.txt", payload)
          .Stored("C:\\drive.txt", payload)
          .Stored("link\\through.txt", payload)
          .Directory("link\\folder")
          .Stored("fine\\kept.txt", payload);
  ASSERT_TRUE(SampleData::Write(folder / "hostile.rar", archive.Bytes()));

  const Outcome extracted = Rar("x " + Quoted(folder / "hostile.rar") + " " + Quoted(target));
  EXPECT_EQ(extracted.exitCode, 1) << extracted.output;
  EXPECT_NE(extracted.output.find("refusing ..\\escape.txt"), std::string::npos) << extracted.output;
  EXPECT_EQ(SampleData::Read(target / "fine/kept.txt"), payload) << "good entries still come out";
  EXPECT_TRUE(fs::is_empty(outside)) << "written through the planted link";
  EXPECT_FALSE(fs::exists(folder / "escape.txt"));
  EXPECT_FALSE(fs::exists(folder / "escape2.txt"));
  EXPECT_FALSE(fs::exists("/tmp/absolute-" + std::to_string(::getpid()) + ".txt"));
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(target)) {
    EXPECT_EQ(entry.path().filename().string().find("drive"), std::string::npos) << entry.path();
  }
}

TEST_F(RarToolTest, FailuresAreExplainedAndNeverLeaveADamagedArchive) {
  const Outcome help = Rar("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.output.find("Usage: ynx-rar"), std::string::npos);
  EXPECT_EQ(Rar("").exitCode, 2);
  EXPECT_EQ(Rar("a -m9 " + Quoted(folder / "x.rar") + " " + Quoted(corpus / "small")).exitCode, 2);

  // A failed `a` leaves the archive that was there untouched, and no
  // temporary file beside it.
  const fs::path archive = folder / "kept.rar";
  ASSERT_EQ(Rar("a " + Quoted(archive) + " " + Quoted(corpus / "small/docs")).exitCode, 0);
  const std::vector<uint8_t> before = SampleData::Read(archive);
  const Outcome missing = Rar("a " + Quoted(archive) + " " + Quoted(folder / "no-such-file"));
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.output.find("no such file or folder"), std::string::npos) << missing.output;
  EXPECT_EQ(SampleData::Read(archive), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

  // The engine finds names regardless of case, so such twins cannot go in.
  ASSERT_TRUE(SampleData::Write(folder / "twins/Sky.tga", SampleData::Random(10, 10)));
  ASSERT_TRUE(SampleData::Write(folder / "twins/sky.TGA", SampleData::Random(10, 11)));
  const Outcome twins = Rar("a " + Quoted(folder / "twins.rar") + " " + Quoted(folder / "twins"));
  EXPECT_EQ(twins.exitCode, 1);
  EXPECT_NE(twins.output.find("the same name"), std::string::npos) << twins.output;
  EXPECT_FALSE(fs::exists(folder / "twins.rar"));

  ASSERT_TRUE(SampleData::Write(folder / "junk.rar", SampleData::Text(500, 9)));
  const Outcome junk = Rar("l " + Quoted(folder / "junk.rar"));
  EXPECT_EQ(junk.exitCode, 1);
  EXPECT_NE(junk.output.find("is not an archive"), std::string::npos) << junk.output;

  // Damage in the packed data: the test names the entry and fails.
  std::vector<uint8_t> damaged = before;
  damaged[damaged.size() - 200] ^= 0x55;
  ASSERT_TRUE(SampleData::Write(folder / "damaged.rar", damaged));
  const Outcome tested = Rar("t " + Quoted(folder / "damaged.rar"));
  EXPECT_EQ(tested.exitCode, 1);
  EXPECT_NE(tested.output.find("FAILED"), std::string::npos) << tested.output;
}

}  // namespace
