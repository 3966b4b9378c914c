#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/MemoryStream.h"
#include "engine/core/StreamObserver.h"
#include "tests/support/ByteWriter.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/LeakCheck.h"
#include "tests/support/TestRecord.h"

namespace ynx {
namespace {

using test::ByteWriter;
using test::TestController;
using test::TestRecord;

std::vector<uint8_t> Written(const MemoryStream& stream) {
  return std::vector<uint8_t>(stream.GetData(), stream.GetData() + stream.GetPosition());
}

MemoryStream ReadStream(const ByteWriter& bytes) {
  return MemoryStream(bytes.Bytes().data(), bytes.Size());
}

// Reads one object reference from the bytes; the result is held.
Ptr<Object> ReadOne(const ByteWriter& bytes, int32_t* state = nullptr) {
  MemoryStream stream = ReadStream(bytes);
  Ptr<Object> object;
  stream.ReadObject(object);
  if (state != nullptr) *state = stream.GetState();
  return object;
}

TEST(MemoryStreamTest, PrimitiveEncodingsAreByteExact) {
  struct Triple {
    float x, y, z;
  };
  MemoryStream stream;
  stream.WriteInt8(-2);
  stream.WriteInt16(0x1234);
  stream.WriteInt32(-5);
  stream.WriteUInt32(0xA1B2C3D4u);
  stream.WriteFloat(1.5f);
  stream.WriteDouble(-2.0);
  stream.WriteBool(true);
  stream.WriteBool(false);
  stream.WriteString(String("ab"));
  stream.WriteString(String());
  EXPECT_EQ(stream.WriteBlock(Triple{1.0f, 2.0f, 3.0f}), 0);
  const std::vector<uint8_t> expected = {
      0xFE,                                            // int8
      0x34, 0x12,                                      // int16
      0xFB, 0xFF, 0xFF, 0xFF,                          // int32
      0xD4, 0xC3, 0xB2, 0xA1,                          // uint32
      0x00, 0x00, 0xC0, 0x3F,                          // float 1.5
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0,  // double -2
      0x01, 0x00,                                      // booleans
      0x02, 0x00, 0x00, 0x00, 'a', 'b',                // string
      0x00, 0x00, 0x00, 0x00,                          // empty string
      0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x40,  // block
  };
  EXPECT_EQ(Written(stream), expected);

  MemoryStream reader(expected.data(), static_cast<int32_t>(expected.size()));
  int8_t i8 = 0;
  int16_t i16 = 0;
  int32_t i32 = 0;
  uint32_t u32 = 0;
  float f = 0;
  double d = 0;
  bool yes = false, no = true;
  String text, empty("x");
  Triple triple{};
  reader.ReadInt8(i8);
  reader.ReadInt16(i16);
  reader.ReadInt32(i32);
  reader.ReadUInt32(u32);
  reader.ReadFloat(f);
  reader.ReadDouble(d);
  reader.ReadBool(yes);
  reader.ReadBool(no);
  reader.ReadString(text);
  reader.ReadString(empty);
  EXPECT_EQ(reader.ReadBlock(triple), 0);
  EXPECT_EQ(i8, -2);
  EXPECT_EQ(i16, 0x1234);
  EXPECT_EQ(i32, -5);
  EXPECT_EQ(u32, 0xA1B2C3D4u);
  EXPECT_EQ(f, 1.5f);
  EXPECT_EQ(d, -2.0);
  EXPECT_TRUE(yes);
  EXPECT_FALSE(no);
  EXPECT_EQ(text, "ab");
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_EQ(triple.z, 3.0f);
  EXPECT_EQ(reader.GetPosition(), reader.GetSize());
}

TEST(MemoryStreamTest, AnyNonZeroBooleanByteIsTrue) {
  const uint8_t bytes[] = {2, 0xFF, 0};
  MemoryStream stream(bytes, 3);
  bool values[3] = {false, false, true};
  for (bool& value : values) stream.ReadBool(value);
  EXPECT_TRUE(values[0]);
  EXPECT_TRUE(values[1]);
  EXPECT_FALSE(values[2]);
}

TEST(MemoryStreamTest, ReadingPastTheEndIsSticky) {
  test::CapturedLog log;
  const uint8_t bytes[] = {1, 2, 3};
  MemoryStream stream(bytes, 3);
  int32_t value = 0;
  EXPECT_EQ(stream.ReadInt32(value), 1);
  EXPECT_EQ(stream.GetPosition(), 0);
  int8_t small = 0;
  EXPECT_EQ(stream.ReadInt8(small), 1) << "the error state is sticky";
  EXPECT_EQ(stream.WriteInt8(0), 1);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "WARNING. Невозможно считать данные. Буффер переполнен.",
                             "WARNING. Неправильное состояние потока.",
                             "WARNING. Неправильное состояние потока.",
                         }));

  log.Clear();
  MemoryStream empty;
  EXPECT_EQ(empty.ReadInt8(small), 1);
  EXPECT_EQ(log.Lines().back(), "WARNING. Невозможно считать данные. Буффер не существует.");
}

TEST(MemoryStreamTest, WritingGrowsByIncrementsAndFailsWithoutOne) {
  MemoryStream growing(0, 16);
  for (int32_t i = 0; i < 1000; ++i) ASSERT_EQ(growing.WriteInt32(i), 0);
  EXPECT_EQ(growing.GetPosition(), 4000);
  EXPECT_EQ(growing.GetSize() % 16, 0);
  EXPECT_GE(growing.GetSize(), 4000);
  EXPECT_EQ(reinterpret_cast<const int32_t*>(growing.GetData())[999], 999);

  test::CapturedLog log;
  MemoryStream fixed(6, 0);
  EXPECT_EQ(fixed.WriteInt32(1), 0);
  EXPECT_EQ(fixed.WriteInt32(2), 1);
  EXPECT_EQ(fixed.GetPosition(), 4);
  EXPECT_EQ(fixed.WriteInt8(3), 1);
  EXPECT_EQ(log.Lines(),
            (std::vector<std::string>{
                "WARNING. Приращение буффера равно 0.",
                "WARNING. Невозможно записать данные вследствие малого размера буффера.",
                "WARNING. Неправильное состояние потока.",
            }));
}

// root "root" (number 7, text "t") with controllers A then B, linking to a
// shared child twice and to null.
TEST(MemoryStreamTest, ObjectGraphIsWrittenDepthFirstWithBackReferences) {
  Ptr<TestRecord> root(new TestRecord(String("root")));
  Ptr<TestRecord> child(new TestRecord(String("c")));
  Ptr<TestController> a(new TestController(String("A")));
  Ptr<TestController> b(new TestController(String("B")));
  b->SetActive(false);
  root->AttachController(a.Get());
  root->AttachController(b.Get());
  root->number = 7;
  root->text = "t";
  root->links.Append(child);
  root->links.Append(child);
  root->links.Append(nullptr);

  MemoryStream stream;
  ASSERT_EQ(stream.WriteObject(root.Get()), 0);
  ByteWriter expected;
  expected.Head(root->GetID(), "YNX.TestRecord", "root", 2);
  expected.Head(a->GetID(), "YNX.TestController", "A").I8(1);
  expected.Head(b->GetID(), "YNX.TestController", "B").I8(0);
  expected.I32(7).Str("t").I32(3);
  expected.Head(child->GetID(), "YNX.TestRecord", "c").I32(0).Str("").I32(0);
  expected.I32(child->GetID());
  expected.I32(-1);
  EXPECT_EQ(Written(stream), expected.Bytes());

  // Writing again into the same stream only refers back.
  ASSERT_EQ(stream.WriteObject(root), 0);
  EXPECT_EQ(stream.GetPosition(), expected.Size() + 4);

  MemoryStream reader(stream.GetData(), expected.Size());
  Ptr<TestRecord> loaded;
  ASSERT_EQ(reader.ReadObject(loaded), 0);
  EXPECT_EQ(reader.GetPosition(), expected.Size());
  EXPECT_EQ(loaded->GetName(), "root");
  EXPECT_NE(loaded->GetID(), root->GetID()) << "IDs are new counter values";
  EXPECT_EQ(loaded->number, 7);
  EXPECT_EQ(loaded->text, "t");
  ASSERT_EQ(loaded->links.Count(), 3u);
  EXPECT_EQ(loaded->links[0], loaded->links[1]);
  EXPECT_EQ(loaded->links[0]->GetReferenceCount(), 2);
  EXPECT_FALSE(loaded->links[2]);
  ASSERT_EQ(loaded->GetControllerCount(), 2);
  EXPECT_EQ(loaded->GetController(0)->GetName(), "B") << "the list order survives";
  EXPECT_FALSE(loaded->GetController(0)->IsActive());
  EXPECT_TRUE(loaded->GetController(1)->IsActive());
  EXPECT_EQ(loaded->GetController(1)->GetOwner(), loaded.Get());
}

TEST(MemoryStreamTest, ReferenceLinesAreLogged) {
  Ptr<TestRecord> record(new TestRecord(String("r")));
  const std::string id = std::to_string(record->GetID());
  test::CapturedLog log;
  MemoryStream stream;
  stream.WriteObject(record.Get());
  stream.WriteObject(nullptr);
  const std::string end = std::to_string(stream.GetPosition() - 4);
  EXPECT_EQ(log.Lines(),
            (std::vector<std::string>{"INFO. Write ID[" + id + "]",
                                      "INFO. RTTI[YNX.TestRecord] ID[" + id + "] Name[r] Pointer[" +
                                          end + "]"}));

  log.Clear();
  MemoryStream reader(stream.GetData(), stream.GetPosition());
  Ptr<Object> first, second;
  reader.ReadObject(first);
  reader.ReadObject(second);
  EXPECT_FALSE(second);
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                             "INFO. Read ID[" + id + "]",
                             "INFO. RTTI[YNX.TestRecord] ID[" + std::to_string(first->GetID()) +
                                 "] Name[r] Pointer[" + end + "]",
                             "INFO. Read ID[-1]",
                         }));
}

TEST(MemoryStreamTest, HandAssembledGraphLoads) {
  // A record (ID 500) that links to a new record 501, to 501 again and to
  // itself; the self-reference inside its own fields resolves to it.
  ByteWriter bytes;
  bytes.Head(500, "YNX.TestRecord", "self").I32(1).Str("").I32(3);
  bytes.Head(501, "YNX.TestRecord", "other").I32(2).Str("x").I32(0);
  bytes.I32(501).I32(500);
  int32_t state = -1;
  Ptr<Object> object = ReadOne(bytes, &state);
  ASSERT_EQ(state, 0);
  auto* self = static_cast<TestRecord*>(object.Get());
  ASSERT_EQ(self->links.Count(), 3u);
  EXPECT_EQ(self->links[0], self->links[1]);
  EXPECT_EQ(self->links[2].Get(), self);
  EXPECT_EQ(static_cast<TestRecord*>(self->links[0].Get())->number, 2);
  self->links.RemoveAt(2);  // break the cycle so that everything is freed

  ByteWriter null;
  null.I32(-1);
  EXPECT_FALSE(ReadOne(null, &state));
  EXPECT_EQ(state, 0);

  // A controller whose active byte is 2, attached to a record.
  ByteWriter controlled;
  controlled.Head(7, "YNX.TestRecord", "owner", 1).Head(8, "YNX.TestController", "c").I8(2);
  controlled.I32(0).Str("").I32(0);
  object = ReadOne(controlled, &state);
  ASSERT_EQ(state, 0);
  EXPECT_TRUE(object->GetController(0)->IsActive());

  // A loader that replaces what it read: the two records it dropped are
  // freed with the read, the root stays for its holder.
  object = nullptr;
  const int32_t liveBefore = TestRecord::live;
  ByteWriter replaced;
  replaced.Head(20, "YNX.TestRecord", "replacing").I32(-1).Str("").I32(2);
  replaced.Head(21, "YNX.TestRecord", "a").I32(0).Str("").I32(0);
  replaced.Head(22, "YNX.TestRecord", "b").I32(0).Str("").I32(1).I32(21);
  object = ReadOne(replaced, &state);
  ASSERT_EQ(state, 0);
  EXPECT_EQ(TestRecord::live, liveBefore + 1);
  EXPECT_EQ(object->GetReferenceCount(), 1);
}

TEST(MemoryStreamTest, SelfReferenceThroughAControllerRoundTrips) {
  // A controller attached to itself: written as ID, type, fields, and inside
  // the fields the ID alone.
  TestController* loop = new TestController(String("loop"));
  loop->AttachController(loop);
  test::IgnoreLeak(loop);
  MemoryStream stream;
  ASSERT_EQ(stream.WriteObject(loop), 0);
  ByteWriter expected;
  expected.Head(loop->GetID(), "YNX.TestController", "loop", 1).I32(loop->GetID()).I8(1);
  EXPECT_EQ(Written(stream), expected.Bytes());

  ByteWriter bytes;
  bytes.Head(3, "YNX.TestController", "loop", 1).I32(3).I8(1);
  int32_t state = -1;
  Ptr<Object> object = ReadOne(bytes, &state);
  ASSERT_EQ(state, 0);
  test::IgnoreLeak(object.Get());
  EXPECT_EQ(object->GetController(0), object.Get());
  // Walking a cycle ends.
  EXPECT_EQ(object->FindByName(String("missing")), nullptr);
  Array<Object*> found(1, 1);
  object->CollectByType(Object::Type(), found);
  EXPECT_EQ(found.Count(), 1u);
}

struct BadStream {
  const char* what;
  ByteWriter bytes;
  std::string expectedLine;
};

TEST(MemoryStreamTest, HostileStreamsFailCleanly) {
  std::vector<BadStream> cases;
  cases.push_back({"type name length 0x7FFFFFFF",
                   ByteWriter().I32(1).I32(0x7FFFFFFF).Str("YNX"),
                   "WARNING. Невозможно считать данные. Буффер переполнен."});
  cases.push_back({"negative type name length", ByteWriter().I32(1).I32(-4),
                   "WARNING. Невозможно считать данные. Буффер переполнен."});
  cases.push_back({"object name past the end",
                   ByteWriter().I32(1).Str("YNX.TestRecord").I32(0x7FFFFFFF),
                   "ERROR. Невозможно загрузить имя объекта. ID[*]"});
  cases.push_back({"negative controller count",
                   ByteWriter().I32(1).Str("YNX.TestRecord").Str("n").I32(-1),
                   "WARNING. Неправильное количество элементов в потоке [-1]."});
  cases.push_back({"huge controller count",
                   ByteWriter().I32(1).Str("YNX.TestRecord").Str("n").I32(0x10000000).I32(-1),
                   "WARNING. Неправильное количество элементов в потоке [268435456]."});
  cases.push_back({"huge link count",
                   ByteWriter().Head(1, "YNX.TestRecord", "n").I32(0).Str("").I32(0x40000000),
                   "WARNING. Неправильное количество элементов в потоке [1073741824]."});
  cases.push_back({"unregistered type", ByteWriter().Head(9, "YNX.Nothing", "n"),
                   "ERROR. Невозможно найти функцию создания объекта. RTTI[YNX.Nothing] ID[9]"});
  cases.push_back({"abstract root type", ByteWriter().Head(9, "YNX.Object", "n"),
                   "ERROR. Невозможно создать объект. RTTI[YNX.Object] ID[9]"});
  cases.push_back({"abstract controller type", ByteWriter().Head(9, "YNX.Controller", "n").I8(1),
                   "ERROR. Невозможно создать объект. RTTI[YNX.Controller] ID[9]"});
  cases.push_back({"record in a controller slot",
                   ByteWriter().Head(1, "YNX.TestRecord", "n", 1).Head(2, "YNX.TestRecord", "x").I32(0).Str(
                       "").I32(0),
                   "ERROR. Неверный тип объекта. RTTI[YNX.TestRecord] ID[2] "
                   "Ожидался[YNX.Controller]"});
  cases.push_back({"null controller",
                   ByteWriter().Head(1, "YNX.TestRecord", "n", 1).I32(-1),
                   "ERROR. Невозможно установить контроллер объекта. Имя[n] ID[*]"});
  cases.push_back({"truncated inside a child",
                   ByteWriter().Head(1, "YNX.TestRecord", "n").I32(0).Str("").I32(2).Head(
                       2, "YNX.TestRecord", "c"),
                   "WARNING. Невозможно считать данные. Буффер переполнен."});

  // The child takes a reference to its parent, then fails: freeing the child
  // must not free the parent while the parent is still loading.
  cases.push_back({"failing child that refers back",
                   ByteWriter().Head(1, "YNX.TestRecord", "x").I32(0).Str("").I32(1).Head(
                       2, "YNX.TestRecord", "y").I32(0).Str("").I32(2).I32(1).I32(77),
                   "WARNING. Невозможно считать данные. Буффер переполнен."});
  // A record that refers to itself and then fails: the cycle is cut and freed.
  cases.push_back({"failing self-reference",
                   ByteWriter().Head(1, "YNX.TestRecord", "x").I32(0).Str("").I32(2).I32(1).I32(77),
                   "WARNING. Невозможно считать данные. Буффер переполнен."});

  for (const BadStream& bad : cases) {
    SCOPED_TRACE(bad.what);
    test::CapturedLog log;
    const int32_t liveBefore = TestRecord::live;
    int32_t state = 0;
    EXPECT_FALSE(ReadOne(bad.bytes, &state));
    EXPECT_EQ(state, 1);
    EXPECT_EQ(TestRecord::live, liveBefore) << "a failed read frees everything it made";
    const std::string& expected = bad.expectedLine;
    const size_t star = expected.find('*');
    bool found = false;
    for (const std::string& line : log.Lines()) {
      found = found || (star == std::string::npos
                            ? line == expected
                            : line.compare(0, star, expected, 0, star) == 0 &&
                                  line.size() > star &&
                                  line.substr(line.size() - (expected.size() - star - 1)) ==
                                      expected.substr(star + 1));
    }
    EXPECT_TRUE(found) << "missing line: " << expected;
  }
}

ByteWriter NestedRecords(int32_t depth) {
  ByteWriter bytes;
  for (int32_t level = 0; level < depth; ++level) {
    bytes.Head(level, "YNX.TestRecord", "").I32(level).Str("").I32(level + 1 < depth ? 1 : 0);
  }
  return bytes;
}

TEST(MemoryStreamTest, NestingIsBounded) {
  int32_t state = -1;
  Ptr<Object> deep = ReadOne(NestedRecords(MemoryStream::MAX_OBJECT_DEPTH), &state);
  EXPECT_EQ(state, 0);
  EXPECT_TRUE(deep);
  deep = nullptr;

  test::CapturedLog log;
  EXPECT_FALSE(ReadOne(NestedRecords(MemoryStream::MAX_OBJECT_DEPTH + 1), &state));
  EXPECT_EQ(state, 1);
  EXPECT_TRUE(log.Contains("ERROR. Слишком глубокая вложенность объектов. ID[" +
                           std::to_string(MemoryStream::MAX_OBJECT_DEPTH) + "]"));
}

// Records what an observer is told, one line per event.
class Transcript : public StreamObserver {
 public:
  void OnValue(int32_t offset, Kind kind, const void* value, int32_t size) override {
    std::string text = "@" + std::to_string(offset) + " kind " + std::to_string(kind) + " size " +
                       std::to_string(size);
    if (kind == KIND_STRING) text += " " + std::string(static_cast<const String*>(value)->CStr());
    lines.push_back(text);
  }
  void OnReference(int32_t offset, int32_t id) override {
    lines.push_back("@" + std::to_string(offset) + " ref " + std::to_string(id));
  }
  void OnObjectBegin(int32_t offset, int32_t id, const String& typeName) override {
    lines.push_back("@" + std::to_string(offset) + " begin " + std::to_string(id) + " " +
                    typeName.CStr());
  }
  void OnObjectEnd(int32_t offset, int32_t status) override {
    lines.push_back("@" + std::to_string(offset) + " end " + std::to_string(status));
  }
  std::vector<std::string> lines;
};

TEST(MemoryStreamTest, AnObserverSeesEveryTypedReadInOrder) {
  ByteWriter bytes;
  bytes.I8(1).I16(2).Head(7, "YNX.TestRecord", "r");
  bytes.I32(5).Str("t").I32(2).I32(7).I32(-1);
  bytes.Raw("ab", 2).F64(0.5);
  MemoryStream stream = ReadStream(bytes);
  Transcript transcript;
  stream.SetObserver(&transcript);
  int8_t flag = 0;
  int16_t small = 0;
  bool yes = false;
  stream.ReadBool(yes);
  stream.ReadInt16(small);
  Ptr<Object> record;
  stream.ReadObject(record);
  char raw[2];
  stream.Read(raw, 2);  // raw reads are the gaps between reported values
  double wide = 0;
  stream.ReadDouble(wide);
  stream.ReadInt8(flag);  // past the end: nothing to report
  const std::vector<std::string> expected = {
      "@0 kind 6 size 1",  "@1 kind 1 size 2",        "@3 begin 7 YNX.TestRecord",
      "@25 kind 7 size 5 r", "@30 kind 9 size 4",     "@34 kind 2 size 4",
      "@38 kind 7 size 5 t", "@43 kind 9 size 4",     "@47 ref 7",
      "@51 ref -1",          "@55 end 0",             "@57 kind 5 size 8"};
  EXPECT_EQ(transcript.lines, expected);
  EXPECT_EQ(record->GetName(), "r");
  record->ReleaseReferences();  // it links to itself
}

TEST(MemoryStreamTest, AFailingSaveLeavesTheStreamInError) {
  Ptr<TestRecord> record(new TestRecord(String("long enough name")));
  MemoryStream stream(24, 0);
  EXPECT_EQ(stream.WriteObject(record.Get()), 1);
  EXPECT_EQ(stream.GetState(), 1);
  EXPECT_EQ(stream.WriteInt32(0), 1);
}

}  // namespace
}  // namespace ynx
