#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/io/Directory.h"
#include "engine/io/FileManager.h"
#include "engine/io/MemoryFile.h"
#include "tests/support/CapturedLog.h"

namespace ynx {
namespace {

MemoryFile* NewMemoryFile(const char* name, const std::string& content) {
  auto* file = new MemoryFile(String(name));
  auto* bytes = static_cast<uint8_t*>(std::malloc(content.size() + 1));
  std::memcpy(bytes, content.data(), content.size());
  file->SetSource(bytes, static_cast<int32_t>(content.size()), true);
  return file;
}

std::vector<std::string> Names(const Directory& directory) {
  std::vector<std::string> names;
  for (const Directory* child : directory.Directories()) names.push_back(child->GetName().CStr());
  for (const File* child : directory.Files()) names.push_back(child->GetName().CStr());
  return names;
}

TEST(MemoryFileTest, EachOpeningReadsAFreshCopy) {
  MemoryFile* file = NewMemoryFile("Main.STR", "abcdef");
  Directory folder(String("Media.rar2"));
  folder.AttachFile(file);
  EXPECT_EQ(file->GetSize(), 6) << "a closed file opens and closes to tell its size";
  EXPECT_FALSE(file->IsOpen());

  ASSERT_EQ(file->Open(File::MODE_READ), 0);
  char text[4] = {};
  EXPECT_EQ(file->Read(text, 3), 0);
  EXPECT_STREQ(text, "abc");
  test::CapturedLog log;
  EXPECT_EQ(file->Write("x", 1), 1);
  EXPECT_EQ(log.Lines().back(), "WARNING. Запись в файл [Media.rar2/Main.STR], открытый для чтения.");
  ASSERT_EQ(file->Open(File::MODE_READ), 0) << "reopening starts over";
  EXPECT_EQ(file->GetPosition(), 0);
  EXPECT_EQ(file->Close(), 0);

  EXPECT_EQ(file->Read(text, 1), 1);
  EXPECT_EQ(log.Lines().back(), "WARNING. Чтение из закрытого файла [Media.rar2/Main.STR].");
  EXPECT_EQ(file->Open(File::MODE_WRITE), 1) << "memory files are read-only";
  EXPECT_FALSE(file->IsOpen());
  EXPECT_EQ(file->Open(File::MODE_APPEND), 1);
  MemoryFile empty(String("none"));
  EXPECT_EQ(empty.Open(File::MODE_READ), 1) << "no source";
}

TEST(DiskFileTest, WritesOnCloseAndReadsBack) {
  const std::string path = ::testing::TempDir() + "ynx_disk_file.bin";
  std::remove(path.c_str());
  File file{String(path.c_str())};
  EXPECT_EQ(file.GetExtension(), "bin");
  test::CapturedLog log;
  EXPECT_EQ(file.Open(File::MODE_READ), 1);
  EXPECT_EQ(log.Lines().back(), "WARNING. Невозможно открыть файл [" + path + "].");

  ASSERT_EQ(file.Open(File::MODE_WRITE), 0);
  file.WriteInt32(0x01020304);
  EXPECT_EQ(file.GetSize(), 4) << "the position while writing";
  EXPECT_EQ(file.Read(nullptr, 0), 1);
  EXPECT_EQ(log.Lines().back(), "WARNING. Чтение из файла [" + path + "], открытого для записи.");
  ASSERT_EQ(file.Close(), 0);
  ASSERT_EQ(file.Open(File::MODE_APPEND), 0);
  file.WriteInt8(5);
  ASSERT_EQ(file.Close(), 0);

  EXPECT_EQ(file.GetSize(), 5);
  ASSERT_EQ(file.Open(File::MODE_READ), 0);
  int32_t word = 0;
  int8_t byte = 0;
  file.ReadInt32(word);
  file.ReadInt8(byte);
  EXPECT_EQ(word, 0x01020304);
  EXPECT_EQ(byte, 5);
  EXPECT_EQ(file.Write("x", 1), 1);
  EXPECT_EQ(file.Close(), 0);
  EXPECT_EQ(file.Write("x", 1), 1);
  EXPECT_EQ(log.Lines().back(), "WARNING. Запись в закрытый файл [" + path + "].");
  std::remove(path.c_str());
}

TEST(DirectoryTest, FirstByteRuleOrdersChildren) {
  test::CapturedLog log;
  Directory first(String("root"));
  new Directory(String("B"), &first);
  new Directory(String("A"), &first);
  EXPECT_EQ(Names(first), (std::vector<std::string>{"B", "A"}));
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "INFO. Директория [B] добавлена к директории [root].",
                             "INFO. Директория [A] добавлена к директории [root].",
                         }));

  Directory second(String("root"));
  new Directory(String("A"), &second);
  log.Clear();
  new Directory(String("B"), &second);
  EXPECT_EQ(Names(second), (std::vector<std::string>{"B", "A"}));
  EXPECT_TRUE(log.Lines().empty()) << "an insertion before an entry is silent";

  // Whichever is mounted first, the media archive comes first.
  for (bool customFirst : {true, false}) {
    Directory mounts{String()};
    const char* order[2] = {"CustomData.rar2", "Media.rar2"};
    if (!customFirst) std::swap(order[0], order[1]);
    for (const char* name : order) mounts.AttachDirectory(new Directory(String(name)));
    EXPECT_EQ(Names(mounts), (std::vector<std::string>{"Media.rar2", "CustomData.rar2"}));
  }

  // With an empty name the longer name goes first.
  Directory lengths(String("l"));
  lengths.AttachFile(new MemoryFile(String()));
  lengths.AttachFile(new MemoryFile(String("x")));
  EXPECT_EQ(Names(lengths), (std::vector<std::string>{"x", ""}));
}

TEST(DirectoryTest, AttachAndDetachReportTheirFailures) {
  test::CapturedLog log;
  Directory folder(String("Textures"));
  MemoryFile* file = NewMemoryFile("01_001.jpg", "");
  EXPECT_EQ(folder.AttachFile(file), 0);
  EXPECT_EQ(folder.AttachFile(file), 3);
  EXPECT_EQ(folder.Files().Count(), 1u);
  EXPECT_EQ(log.Lines().back(),
            "WARNING. Присоединяемый файл [01_001.jpg] уже присоединена к директории [Textures].");
  EXPECT_EQ(folder.AttachFile(nullptr), 3);
  EXPECT_EQ(folder.DetachDirectory(&folder), 3);
  EXPECT_EQ(log.Lines().back(),
            "WARNING. Удаляемая директория [Textures] не найдена в директории [Textures].");
  EXPECT_EQ(folder.AttachDirectory(&folder), 3) << "a directory cannot contain itself";

  log.Clear();
  delete file;  // detaches itself
  EXPECT_EQ(folder.Files().Count(), 0u);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "INFO. Удаляется файл [01_001.jpg].",
                             "INFO. Файл [01_001.jpg] удалён из директории [Textures].",
                         }));
}

class FileTreeTest : public ::testing::Test {
 protected:
  // Media.rar2/{Main.STR, Textures/01_001.jpg, Textures/Sky/01_001.jpg}
  void SetUp() override {
    media = new Directory(String("Media.rar2"));
    media->AttachFile(NewMemoryFile("Main.STR", "scene"));
    textures = new Directory(String("Textures"), media);
    texture = NewMemoryFile("01_001.jpg", "jpeg");
    textures->AttachFile(texture);
    Directory* sky = new Directory(String("Sky"), textures);
    sky->AttachFile(NewMemoryFile("01_001.jpg", "sky"));
    ASSERT_EQ(FileManager::Root()->AttachDirectory(media), 0);
  }
  void TearDown() override { delete media; }

  Directory* media = nullptr;
  Directory* textures = nullptr;
  File* texture = nullptr;
};

TEST_F(FileTreeTest, PathsAndLookups) {
  EXPECT_EQ(FileManager::FindFile(String("Main.STR"))->GetPath(), "Media.rar2/Main.STR");
  EXPECT_EQ(texture->GetPath(), "Media.rar2/Textures/01_001.jpg");
  EXPECT_EQ(FileManager::FindFile(String("Textures\\01_001.jpg")), texture);
  EXPECT_EQ(FileManager::FindFile(String("01_001.jpg")), texture) << "depth first, parent first";
  EXPECT_EQ(FileManager::FindFile(String("textures\\01_001.jpg")), nullptr) << "case-sensitive";
  EXPECT_EQ(media->FindFile(String("Textures/Sky/01_001.jpg"))->GetParent()->GetName(), "Sky");
  EXPECT_EQ(media->FindFile(String("Textures/../Main.STR"))->GetName(), "Main.STR");
  EXPECT_EQ(media->FindFile(String("\\Textures\\.\\01_001.jpg")), texture);
  EXPECT_EQ(FileManager::Root()->FindDirectory(String("..")), nullptr);
  EXPECT_EQ(media->FindDirectory(String(".")), media);
  EXPECT_EQ(media->FindDirectory(String("Textures")), textures);
  EXPECT_EQ(textures->FindDirectory(String("..")), media);
  EXPECT_EQ(media->FindFile(String("Nope/Main.STR")), nullptr);
  // A hostile path of any length walks without recursion.
  const std::string slashes(200000, '/');
  EXPECT_EQ(media->FindFile(String((slashes + "Main.STR").c_str()))->GetName(), "Main.STR");
}

TEST_F(FileTreeTest, RootFilesAreNotSearched) {
  MemoryFile* loose = NewMemoryFile("loose.txt", "");
  FileManager::Root()->AttachFile(loose);
  EXPECT_EQ(FileManager::FindFile(String("loose.txt")), nullptr);
  delete loose;
}

TEST(FileManagerTest, MountingWithoutACodecFails) {
  test::CapturedLog log;
  EXPECT_EQ(FileManager::MountArchive(nullptr, String()), 3);
  EXPECT_EQ(log.Lines().back(), "WARNING. Указатель на архив равен 0.");
  MemoryFile* archive = NewMemoryFile("data.zip", "PK");
  EXPECT_EQ(FileManager::MountArchive(archive, String()), 3);
  EXPECT_EQ(log.Lines().back(), "WARNING. Не найден кодек для архива [data.zip].");
  delete archive;
  EXPECT_EQ(FileManager::MountResource(4242, String("None.rar2"), String()), 1);
  EXPECT_EQ(log.Lines().back(), "WARNING. Невозможно прочитать ресурс ID[4242] Имя[None.rar2].");
}

}  // namespace
}  // namespace ynx
