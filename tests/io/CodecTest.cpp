#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/io/CodecManager.h"
#include "engine/io/Directory.h"
#include "engine/io/FileCodec.h"
#include "engine/io/FileManager.h"
#include "engine/io/MemoryFile.h"
#include "tests/support/CapturedLog.h"

namespace ynx {
namespace {

TEST(CodecManagerTest, CodecsAreCreatedOnceThroughTheirModules) {
  test::CapturedLog log;
  Codec* scene = nullptr;
  ASSERT_EQ(CodecManager::GetCodec(String("STRSceneCodec"), &scene), 0);
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(scene->GetKind(), Codec::KIND_SCENE);
  EXPECT_EQ(scene->GetModule(), ModuleManager::FindModule(String("STRSceneCodec")));
  log.Clear();
  Codec* again = nullptr;
  EXPECT_EQ(CodecManager::GetCodec(String("STRSceneCodec"), &again), 0);
  EXPECT_EQ(again, scene);
  EXPECT_TRUE(log.Lines().empty()) << "a second request logs nothing";

  EXPECT_EQ(CodecManager::GetCodec(String("GIFImageCodec"), nullptr), 3);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "INFO. Загружается кодек [GIFImageCodec].",
                             "ERROR. Не найден модуль для кодека [GIFImageCodec].",
                         }));
}

TEST(CodecManagerTest, FilesFindTheirCodecByExactExtension) {
  ASSERT_EQ(CodecManager::GetCodec(String("STRSceneCodec"), nullptr), 0);
  for (const char* name : {"Main.STR", "a.b.str", "x.Str"}) {
    MemoryFile file{String(name)};
    ASSERT_NE(CodecManager::FindCodecForFile(&file), nullptr) << name;
    EXPECT_EQ(CodecManager::FindCodecForFile(&file)->GetName(), "STRSceneCodec");
  }
  for (const char* name : {"Main.sTr", "STR", "Main.STR.bak"}) {
    MemoryFile file{String(name)};
    EXPECT_EQ(CodecManager::FindCodecForFile(&file), nullptr) << name;
  }
  test::CapturedLog log;
  Codec* scene = nullptr;
  CodecManager::GetCodec(String("STRSceneCodec"), &scene);
  EXPECT_EQ(scene->IsSupported(nullptr), 3);
  EXPECT_EQ(log.Lines().back(),
            "WARNING. Указатель на файл равен 0 при проверке кодеком [STRSceneCodec].");
}

// An archive of this test codec is a list of file names, one per line; the
// directory takes the archive's name.
class ListArchiveCodec : public FileCodec {
 public:
  ListArchiveCodec() : FileCodec(String("ListArchiveCodec")) { AddExtensions({"list"}); }
  int32_t Load(File* file, Directory** directory, const String& password) override {
    if (file->Open(File::MODE_READ) != 0) return 1;
    if (!(password == "")) return 1;
    std::string content(reinterpret_cast<const char*>(file->GetData()),
                        static_cast<size_t>(file->GetSize()));
    file->Close();
    if (content.empty()) return 1;
    *directory = new Directory(file->GetName());
    for (size_t start = 0, end; start < content.size(); start = end + 1) {
      end = content.find('\n', start);
      if (end == std::string::npos) end = content.size();
      (*directory)->AttachFile(new MemoryFile(String(content.substr(start, end - start).c_str())));
    }
    return 0;
  }
  int32_t Save(File*, Directory*) override { return 1; }
};

MemoryFile* ListArchive(const char* name, const std::string& content) {
  auto* file = new MemoryFile(String(name));
  auto* bytes = static_cast<uint8_t*>(std::malloc(content.size() + 1));
  std::memcpy(bytes, content.data(), content.size());
  file->SetSource(bytes, static_cast<int32_t>(content.size()), true);
  return file;
}

TEST(CodecManagerTest, ArchivesMountUnderTheRoot) {
  if (CodecManager::Table()->Find(String("ListArchiveCodec")) == nullptr) {
    ASSERT_EQ(CodecManager::RegisterCodec(new ListArchiveCodec()), 0);
  }
  MemoryFile* archive = ListArchive("Extra.list", "one.txt\ntwo.txt");
  ASSERT_EQ(FileManager::MountArchive(archive, String()), 0);
  File* found = FileManager::FindFile(String("two.txt"));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->GetPath(), "Extra.list/two.txt");

  test::CapturedLog log;
  MemoryFile* broken = ListArchive("Broken.list", "");
  EXPECT_EQ(FileManager::MountArchive(broken, String()), 1);
  EXPECT_EQ(log.Lines().back(), "ERROR. Невозможно загрузить директорию из архива [Broken.list].");
  delete broken;
  delete archive;
  delete FileManager::Root()->FindDirectory(String("Extra.list"));
}

// The embedded archive is borrowed while it mounts, so it can mount again.
TEST(CodecManagerTest, EmbeddedArchivesMountUnderTheirGivenName) {
  if (CodecManager::Table()->Find(String("ListArchiveCodec")) == nullptr) {
    ASSERT_EQ(CodecManager::RegisterCodec(new ListArchiveCodec()), 0);
  }
  for (const char* name : {"CustomData.list", "Again.list"}) {
    ASSERT_EQ(FileManager::MountResource(134, String(name), String()), 0);
    Directory* mounted = FileManager::Root()->FindDirectory(String(name));
    ASSERT_NE(mounted, nullptr);
    EXPECT_STREQ(mounted->FindFile(String("nested.txt"))->GetPath().CStr(),
                 (std::string(name) + "/nested.txt").c_str());
    delete mounted;
  }
}

}  // namespace
}  // namespace ynx
