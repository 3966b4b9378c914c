#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/io/CodecManager.h"
#include "engine/io/MemoryFile.h"
#include "engine/io/STRSceneCodec.h"
#include "tests/support/ByteWriter.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/TestRecord.h"

namespace ynx {
namespace {

using test::ByteWriter;
using test::TestRecord;

MemoryFile* FileOf(const ByteWriter& bytes) {
  auto* file = new MemoryFile(String("Main.STR"));
  auto* copy = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(bytes.Size()) + 1));
  std::memcpy(copy, bytes.Bytes().data(), bytes.Bytes().size());
  file->SetSource(copy, bytes.Size(), true);
  return file;
}

ByteWriter Scene(uint32_t major, uint32_t minor, uint32_t build) {
  ByteWriter bytes;
  bytes.I32(static_cast<int32_t>(major)).I32(static_cast<int32_t>(minor)).I32(static_cast<int32_t>(build));
  bytes.Head(43, "YNX.TestRecord", "Root").I32(1).Str("").I32(0);
  return bytes;
}

int32_t LoadScene(const ByteWriter& bytes, Ptr<Object>& root) {
  STRSceneCodec codec;
  MemoryFile* file = FileOf(bytes);
  Object* loaded = nullptr;
  const int32_t status = codec.Load(file, &loaded);
  delete file;
  root = loaded;
  return status;
}

TEST(STRSceneCodecTest, VersionsFromTheEngineOnAreAccepted) {
  Ptr<Object> root;
  EXPECT_EQ(LoadScene(Scene(0, 1, 1), root), 1);
  EXPECT_FALSE(root);
  for (const auto& version : {Scene(0, 1, 2), Scene(0, 2, 0), Scene(1, 0, 0)}) {
    EXPECT_EQ(LoadScene(version, root), 0);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->GetName(), "Root");
    EXPECT_EQ(root->GetReferenceCount(), 1) << "handed over with a count of 0";
  }
}

TEST(STRSceneCodecTest, ShortAndBrokenFilesFailAndFreeEverything) {
  test::CapturedLog log;
  Ptr<Object> root;
  EXPECT_EQ(LoadScene(ByteWriter().I32(0).I32(1), root), 1);
  EXPECT_TRUE(log.Contains("WARNING. Невозможно считать данные. Буффер переполнен."));

  const int32_t liveBefore = TestRecord::live;
  ByteWriter broken;
  broken.I32(0).I32(1).I32(2);
  broken.Head(1, "YNX.TestRecord", "Root").I32(0).Str("").I32(2);
  broken.Head(2, "YNX.TestRecord", "child").I32(0).Str("").I32(1).I32(1);  // refers back
  broken.I32(99);  // an unknown ID with nothing behind it
  EXPECT_EQ(LoadScene(broken, root), 1);
  EXPECT_FALSE(root);
  EXPECT_EQ(TestRecord::live, liveBefore);

  STRSceneCodec codec;
  Object* none = nullptr;
  EXPECT_EQ(codec.Load(nullptr, &none), 3);
  MemoryFile file{String("x.STR")};
  EXPECT_EQ(codec.Load(&file, nullptr), 3);
  EXPECT_EQ(codec.Load(&file, &none), 1) << "a file without content does not open";
}

TEST(STRSceneCodecTest, SavedScenesLoadWithTheSameShape) {
  Ptr<TestRecord> root(new TestRecord(String("Root")));
  Ptr<TestRecord> shared(new TestRecord(String("shared")));
  shared->number = 5;
  root->links.Append(shared);
  root->links.Append(shared);
  root->links.Append(root);  // a cycle, cut again below

  const std::string path = ::testing::TempDir() + "ynx_scene.STR";
  File file{String(path.c_str())};
  STRSceneCodec codec;
  ASSERT_EQ(codec.Save(&file, root.Get()), 0);
  ASSERT_EQ(file.Open(File::MODE_READ), 0);
  uint32_t version[3] = {};
  for (uint32_t& part : version) file.ReadUInt32(part);
  EXPECT_EQ(version[0], 0u);
  EXPECT_EQ(version[1], 1u);
  EXPECT_EQ(version[2], 2u);
  file.Close();

  Object* loaded = nullptr;
  ASSERT_EQ(codec.Load(&file, &loaded), 0);
  Ptr<TestRecord> copy(static_cast<TestRecord*>(loaded));
  EXPECT_NE(copy->GetID(), root->GetID());
  ASSERT_EQ(copy->links.Count(), 3u);
  EXPECT_EQ(copy->links[0], copy->links[1]);
  EXPECT_EQ(copy->links[2], copy.Get());
  EXPECT_EQ(static_cast<TestRecord*>(copy->links[0].Get())->number, 5);
  copy->ReleaseReferences();
  root->ReleaseReferences();
  std::remove(path.c_str());

  MemoryFile readOnly{String("Main.STR")};
  EXPECT_EQ(codec.Save(&readOnly, root.Get()), 1) << "memory files cannot be written";
  EXPECT_EQ(codec.Save(&file, nullptr), 1);
}

}  // namespace
}  // namespace ynx
