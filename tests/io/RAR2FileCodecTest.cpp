#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/io/CodecManager.h"
#include "engine/io/Crc32.h"
#include "engine/io/Directory.h"
#include "engine/io/FileManager.h"
#include "engine/io/MemoryFile.h"
#include "engine/io/RAR2FileCodec.h"
#include "tests/io/Rar2TestArchive.h"
#include "tests/io/Rar2TestStream.h"
#include "tests/support/CapturedLog.h"

namespace ynx {
namespace {

using test::Rar2TestArchive;
using Bytes = std::vector<uint8_t>;

// Loads the bytes as "Test.rar2"; null when Load fails.
Directory* Load(const Bytes& bytes, RAR2FileCodec& codec) {
  MemoryFile file{String("Test.rar2")};
  file.SetSource(bytes.data(), static_cast<int32_t>(bytes.size()), false);
  Directory* directory = nullptr;
  EXPECT_EQ(codec.Load(&file, &directory, String()), 0);
  return directory;
}

// The content of a file, opened and read through the stream; "<closed>" when it does not open.
std::string Content(File* file) {
  if (file == nullptr) return "<missing>";
  if (file->Open(File::MODE_READ) != 0) return "<closed>";
  std::string content(static_cast<size_t>(file->GetSize()), '\0');
  file->Read(content.data(), static_cast<int32_t>(content.size()));
  file->Close();
  return content;
}

TEST(RAR2FileCodecTest, IsRegisteredAsAFileCodecModuleAndTakesItsExtensions) {
  Codec* codec = nullptr;
  ASSERT_EQ(CodecManager::GetCodec(String("RAR2FileCodec"), &codec), 0);
  EXPECT_EQ(codec->GetKind(), Codec::KIND_FILE);
  EXPECT_EQ(codec->GetModule(), ModuleManager::FindModule(String("RAR2FileCodec")));
  for (const char* name : {"Media.rar2", "A.RAR2", "b.Rar2"}) {
    MemoryFile file{String(name)};
    EXPECT_EQ(CodecManager::FindCodecForFile(&file), codec) << name;
  }
  MemoryFile other{String("Media.rAr2")};
  EXPECT_NE(CodecManager::FindCodecForFile(&other), codec);
}

TEST(RAR2FileCodecTest, EntriesBecomeFilesInFoldersOwnedByTheModule) {
  Codec* registered = nullptr;
  ASSERT_EQ(CodecManager::GetCodec(String("RAR2FileCodec"), &registered), 0);
  auto* codec = static_cast<RAR2FileCodec*>(registered);
  Rar2TestArchive::Entry newer;
  newer.name = "Sounds\\new.wav";
  newer.data = Rar2TestArchive::Text("v29!");
  newer.unpackedSize = 4;
  newer.crc = Crc32::Compute(newer.data.data(), 4);
  newer.unpackVersion = 29;
  const Bytes bytes = Rar2TestArchive()
                          .Directory("Digits")
                          .Stored("Digits\\digit_0.tga", Rar2TestArchive::Text("zero"))
                          .Directory("Sounds")
                          .Add(newer)
                          .Stored("Textures\\Sky\\01_001.jpg", Rar2TestArchive::Text("sky"))
                          .Stored("Main.STR", Rar2TestArchive::Text("scene"))
                          .End()
                          .Bytes();
  MemoryFile file{String("Test.rar2")};
  file.SetSource(bytes.data(), static_cast<int32_t>(bytes.size()), false);
  test::CapturedLog log;
  Directory* root = nullptr;
  ASSERT_EQ(codec->Load(&file, &root, String()), 0);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->GetName(), "Test.rar2");
  // Only the file system speaks while the tree is built.
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "INFO. Директория [Digits] добавлена к директории [Test.rar2].",
                             "INFO. Файл [digit_0.tga] добавлен к директории [Digits].",
                             "INFO. Файл [new.wav] добавлен к директории [Sounds].",
                             "INFO. Директория [Sky] добавлена к директории [Textures].",
                             "INFO. Файл [01_001.jpg] добавлен к директории [Sky].",
                             "INFO. Файл [Main.STR] добавлен к директории [Test.rar2].",
                         }));
  Directory* digits = root->FindDirectory(String("Digits"));
  ASSERT_NE(digits, nullptr);
  ASSERT_EQ(digits->Files().Count(), 1u);
  EXPECT_EQ(digits->Files()[0]->GetName(), "digit_0.tga");
  EXPECT_EQ(Content(digits->Files()[0]), "zero");
  // A folder no directory entry made is made all the same.
  EXPECT_EQ(Content(root->FindFile(String("Textures\\Sky\\01_001.jpg"))), "sky");
  EXPECT_EQ(Content(root->FindFile(String("01_001.jpg"))), "sky");
  EXPECT_EQ(Content(root->FindFile(String("Main.STR"))), "scene");
  // Another method version: the file is there and does not open.
  auto* refused = static_cast<MemoryFile*>(root->FindFile(String("Sounds/new.wav")));
  ASSERT_NE(refused, nullptr);
  EXPECT_EQ(refused->GetSource(), nullptr);
  EXPECT_EQ(refused->Open(File::MODE_READ), 1);

  // Every file keeps the codec's module loaded.
  const int32_t references = registered->GetModule()->GetReferenceCount();
  delete root;
  EXPECT_EQ(registered->GetModule()->GetReferenceCount(), references - 4);
}

TEST(RAR2FileCodecTest, ShortForeignAndHostileArchivesGiveWhatTheyHold) {
  RAR2FileCodec codec;
  // Shorter than a marker, or no archive at all: an empty directory.
  for (const Bytes& bytes : {Bytes{'R', 'a', 'r', '!', 0x1A, 0x07}, Rar2TestArchive::Text("plain text")}) {
    Directory* root = Load(bytes, codec);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Files().Count() + root->Directories().Count(), 0u);
    delete root;
  }
  // Paths never leave the archive's directory, and depth is bounded.
  std::string deep, tooDeep;
  for (size_t i = 0; i < RAR2FileCodec::MAX_DEPTH; ++i) deep += "d\\";
  tooDeep = deep + "d\\";
  const Bytes bytes = Rar2TestArchive()
                          .Stored("..\\..\\up.txt", Rar2TestArchive::Text("up"))
                          .Stored("\\.\\/dot.txt", Rar2TestArchive::Text("dot"))
                          .Stored("gone\\..", Rar2TestArchive::Text("?"))
                          .Stored(deep + "deep.txt", Rar2TestArchive::Text("deep"))
                          .Stored(tooDeep + "lost.txt", Rar2TestArchive::Text("lost"))
                          .Stored("", Rar2TestArchive::Text("nameless"))
                          .Bytes();
  Directory* root = Load(bytes, codec);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Content(root->FindFile(String("up.txt"))), "up");
  EXPECT_EQ(root->FindFile(String("up.txt"))->GetParent(), root);
  EXPECT_EQ(Content(root->FindFile(String("dot.txt"))), "dot");
  EXPECT_EQ(Content(root->FindFile(String("deep.txt"))), "deep");
  EXPECT_EQ(root->FindFile(String("lost.txt")), nullptr);
  EXPECT_EQ(root->FindFile(String("..")), nullptr);
  EXPECT_EQ(root->Files().Count(), 3u);  // up, gone (a file named after its folder), dot
  delete root;
}

TEST(RAR2FileCodecTest, NullArgumentsAndSaving) {
  RAR2FileCodec codec;
  Directory* directory = nullptr;
  MemoryFile file{String("x.rar2")};
  EXPECT_EQ(codec.Load(nullptr, &directory, String()), 3);
  EXPECT_EQ(codec.Load(&file, nullptr, String()), 3);
  EXPECT_EQ(codec.Load(&file, &directory, String()), 1) << "a memory file without content does not open";
  EXPECT_EQ(directory, nullptr);

  Directory tree{String("tree")};
  EXPECT_EQ(codec.Save(nullptr, &tree), 1);
  EXPECT_EQ(codec.Save(&file, nullptr), 1);
  EXPECT_EQ(codec.Save(&file, &tree), 1) << "memory files do not open for writing";
  const std::string path = testing::TempDir() + "rar2_saved.rar2";
  File disk{String(path.c_str())};
  EXPECT_EQ(codec.Save(&disk, &tree), 0);
  EXPECT_EQ(disk.GetSize(), 0);
  std::remove(path.c_str());
}

TEST(RAR2FileCodecTest, AnEmbeddedArchiveMountsAndItsFilesAreFoundByBareName) {
  ASSERT_EQ(CodecManager::GetCodec(String("RAR2FileCodec"), nullptr), 0);
  ASSERT_EQ(FileManager::MountResource(227, String("Media.rar2"), String()), 0);
  File* marker = FileManager::FindFile(String("rarMarker.txt"));
  ASSERT_NE(marker, nullptr);
  EXPECT_EQ(marker->GetPath(), "Media.rar2/Docs/rarMarker.txt");
  const std::string content = Content(marker);
  EXPECT_EQ(content.size(), 139u);
  EXPECT_EQ(Crc32::Compute(content.data(), content.size()), 0x88DC8D01u);
  EXPECT_EQ(Content(FileManager::FindFile(String("Readme.txt"))), "Mounted from an embedded resource.\n");
  delete FileManager::Root()->FindDirectory(String("Media.rar2"));
}

}  // namespace
}  // namespace ynx
