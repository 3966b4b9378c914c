// The six buffers: stored layout, the shipped mesh's buffers, sizes, the
// changed flag, adopted arrays, showing part of a buffer, and counts a
// hostile stream may hold.

#include <gtest/gtest.h>

#include <string>

#include "engine/scene/ColorBuffer.h"
#include "engine/scene/FloatBuffer.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"
#include "tests/scene/SceneTestClasses.h"
#include "tests/support/CapturedLog.h"

namespace ynx {
namespace {

using test::ByteWriter;
using test::ReadOne;
using test::SameBytes;
using test::Written;

TEST(BufferTest, TheShippedMeshBuffersLoadAndSaveBack) {
  const auto positions = [](int32_t id) {
    ByteWriter w;
    w.Head(id, "YNX.Vector3Buffer", "").I32(432);
    for (int32_t i = 0; i < 432; ++i) w.F32(i * 0.5f).F32(-1.0f * i).F32(3.0f);
    return w;
  };
  int32_t state = 1;
  Ptr<Object> loaded = ReadOne(positions(901), &state);
  ASSERT_EQ(state, 0);
  auto* buffer = static_cast<Vector3Buffer*>(loaded.Get());
  ASSERT_EQ(buffer->GetCount(), 432);
  EXPECT_EQ(buffer->GetDataSize(), 5184);
  EXPECT_EQ(buffer->GetElements()[431], (Vector3{215.5f, -431.0f, 3.0f}));
  EXPECT_TRUE(buffer->IsChanged()) << "a loaded buffer must be uploaded";
  EXPECT_TRUE(SameBytes(Written(buffer), positions(buffer->GetID()).Bytes()));

  const auto indices = [](int32_t id) {
    ByteWriter w;
    w.Head(id, "YNX.IntBuffer", "").I32(432);
    for (int32_t i = 0; i < 432; ++i) w.I32(i);
    return w;
  };
  loaded = ReadOne(indices(902), &state);
  ASSERT_EQ(state, 0);
  EXPECT_EQ(static_cast<IntBuffer*>(loaded.Get())->GetElements()[100], 100);
  EXPECT_TRUE(SameBytes(Written(loaded.Get()), indices(loaded->GetID()).Bytes()));
}

TEST(BufferTest, EveryClassStoresItsElementsAsTheyLie) {
  struct Layout {
    const char* type;
    int32_t elementSize;
  };
  for (const Layout& layout : {Layout{"YNX.FloatBuffer", 4}, Layout{"YNX.IntBuffer", 4},
                               Layout{"YNX.Vector2Buffer", 8}, Layout{"YNX.Vector3Buffer", 12},
                               Layout{"YNX.Vector4Buffer", 16}, Layout{"YNX.ColorBuffer", 16}}) {
    SCOPED_TRACE(layout.type);
    const auto bytes = [&](int32_t id) {
      ByteWriter w;
      w.Head(id, layout.type, "b").I32(2);
      for (int32_t i = 0; i < 2 * layout.elementSize; ++i) w.I8(static_cast<int8_t>(i + 1));
      return w;
    };
    int32_t state = 1;
    Ptr<Object> loaded = ReadOne(bytes(7), &state);
    ASSERT_EQ(state, 0);
    auto* buffer = static_cast<Buffer*>(loaded.Get());
    EXPECT_EQ(buffer->GetDataSize(), 2 * layout.elementSize);
    EXPECT_EQ(static_cast<const uint8_t*>(buffer->GetData())[layout.elementSize],
              layout.elementSize + 1);
    EXPECT_TRUE(SameBytes(Written(buffer), bytes(buffer->GetID()).Bytes()));
  }
  EXPECT_EQ(ColorBuffer(2).GetDataSize(), 32);
  EXPECT_EQ(Vector4Buffer(3).GetElements()[2], (Vector4{})) << "vectors start zeroed";

  ByteWriter empty;
  empty.Head(1, "YNX.FloatBuffer", "").I32(0);
  int32_t state = 1;
  Ptr<Object> loaded = ReadOne(empty, &state);
  ASSERT_EQ(state, 0);
  EXPECT_EQ(static_cast<Buffer*>(loaded.Get())->GetData(), nullptr);
  EXPECT_TRUE(SameBytes(Written(loaded.Get()), [&] {
    ByteWriter w;
    return w.Head(loaded->GetID(), "YNX.FloatBuffer", "").I32(0).Bytes();
  }()));
}

TEST(BufferTest, ChangedFlagAndAdoptedArrays) {
  Ptr<Vector2Buffer> adopted(new Vector2Buffer(3, new Vector2[3]{{1, 2}, {3, 4}, {5, 6}}));
  EXPECT_EQ(adopted->GetElements()[2], (Vector2{5, 6})) << "freed with the buffer (LSan checks)";
  RendererBinding& binding = adopted->GetBinding();
  EXPECT_TRUE(binding.changed);
  EXPECT_EQ(binding.rendererData, nullptr);
  EXPECT_EQ(binding.reserved, 0);
  binding.changed = false;  // what the renderer does after uploading
  adopted->GetElements()[0] = {9, 9};
  adopted->MarkChanged();
  EXPECT_TRUE(adopted->IsChanged());

  struct Owner : BindingOwner {
    int32_t released = 0;
    void ReleaseBinding(RendererBinding& held) override {
      ++released;
      held.Reset();
    }
  };
  Ptr<Owner> owner(new Owner());
  binding.owner = owner.Get();
  binding.changed = false;
  adopted = nullptr;
  EXPECT_EQ(owner->released, 1) << "a buffer that goes asks its renderer to drop the device copy";
  EXPECT_EQ(owner->GetReferenceCount(), 1);
}

TEST(BufferTest, SetCountShowsPartOfTheArrayButNeverMore) {
  struct Case {
    int32_t set;
    int32_t shown;
  };
  Ptr<IntBuffer> buffer(new IntBuffer(6, new int32_t[6]{0, 1, 2, 3, 4, 5}));
  for (const Case& c : {Case{3, 3}, Case{0, 0}, Case{-1, 0}, Case{7, 6}, Case{6, 6}}) {
    SCOPED_TRACE(c.set);
    buffer->SetCount(c.set);
    EXPECT_EQ(buffer->GetCount(), c.shown);
    EXPECT_EQ(buffer->GetDataSize(), c.shown * 4);
    EXPECT_EQ(buffer->GetElements()[5], 5) << "the array stays";
  }
}

TEST(BufferTest, HostileCountsFailWithoutAllocating) {
  struct Bad {
    const char* what;
    int32_t count;
    int32_t bytesPresent;
    const char* message;
  };
  for (const Bad& bad :
       {Bad{"negative count", -1, 0, "Невозможно загрузить количество данных буффера."},
        Bad{"byte size overflows", 0x40000000, 16, "Невозможно загрузить данные буффера."},
        Bad{"stream ends inside the elements", 3, 35, "Невозможно загрузить данные буффера."},
        Bad{"largest count", 0x7FFFFFFF, 0, "Невозможно загрузить данные буффера."}}) {
    SCOPED_TRACE(bad.what);
    ByteWriter w;
    w.Head(1, "YNX.Vector3Buffer", "v").I32(bad.count);
    for (int32_t i = 0; i < bad.bytesPresent; ++i) w.I8(0);
    test::CapturedLog log;
    int32_t state = 0;
    EXPECT_FALSE(ReadOne(w, &state));
    EXPECT_EQ(state, 1);
    bool found = false;
    for (const std::string& line : log.Lines()) {
      found = found || line.rfind(std::string("ERROR. ") + bad.message, 0) == 0;
    }
    EXPECT_TRUE(found);
  }

  // Loaded directly, a failed buffer is left empty.
  ByteWriter w;
  w.Str("v").I32(0).I32(2).F32(1);
  MemoryStream stream(w.Bytes().data(), w.Size());
  Vector3Buffer buffer;
  EXPECT_NE(buffer.Load(stream), 0);
  EXPECT_EQ(buffer.GetCount(), 0);
  EXPECT_EQ(buffer.GetData(), nullptr);
}

}  // namespace
}  // namespace ynx
