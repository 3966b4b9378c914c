// The streamed part of geometry-node effects: the flags and stage bytes,
// the skin reference, and the effect clock.

#include <gtest/gtest.h>

#include "tests/scene/SceneTestClasses.h"
#include "tests/support/TestRecord.h"

namespace ynx {
namespace {

using test::ByteWriter;
using test::ReadOne;
using test::SameBytes;
using test::TestGeometryEffect;
using test::Written;

ByteWriter EffectBytes(int32_t id, uint8_t clampBits, uint8_t flags, int32_t skinId) {
  ByteWriter w;
  w.Head(id, "YNX.TestGeometryEffect", "fx").I8(static_cast<int8_t>(clampBits));
  for (int i = 0; i < 16; ++i) w.F32(i / 16.0f);
  w.F32(1.0f).I8(0).I32(1).I8(static_cast<int8_t>(flags)).I32(4).I32(5);
  w.I8(0).F32(1).F32(1).F32(1).F32(1).F32(0.001f).F32(2.0f);
  w.I8(0).F32(0.05f).F32(1.0f);
  if (skinId < 0) return w.I32(-1);
  // A skin controller without bones or buffers.
  w.Head(skinId, "YNX.SkinController", "skin").I8(1).I32(0);
  for (int buffer = 0; buffer < 5; ++buffer) w.I32(-1);
  return w;
}

TEST(GeometryNodeEffectTest, FlagsStagesAndSkinRoundTrip) {
  struct Case {
    uint8_t flags;
    bool blend;
    bool cull;
    uint8_t writtenBack;
  };
  for (const Case& c : {Case{0x10, false, false, 0x10}, Case{0x01, true, true, 0x01},
                        Case{0x02, true, true, 0x01}, Case{0x00, false, true, 0x00}}) {
    SCOPED_TRACE(static_cast<int>(c.flags));
    int32_t state = 1;
    Ptr<Object> loaded = ReadOne(EffectBytes(1, 0x81, c.flags, 2), &state);
    ASSERT_EQ(state, 0);
    auto* effect = static_cast<TestGeometryEffect*>(loaded.Get());
    EXPECT_EQ(effect->GetBlend(), c.blend);
    EXPECT_EQ(effect->GetCull(), c.cull);
    EXPECT_EQ(effect->GetStageWrap(0), 0);
    EXPECT_EQ(effect->GetStageWrap(1), 1);
    EXPECT_EQ(effect->GetStageWrap(7), 0);
    EXPECT_EQ(effect->GetAmbient(), (Color{0.25f, 0.3125f, 0.375f, 0.4375f}));
    ASSERT_NE(effect->GetSkin(), nullptr);
    EXPECT_TRUE(SameBytes(
        Written(effect),
        EffectBytes(effect->GetID(), 0x81, c.writtenBack, effect->GetSkin()->GetID()).Bytes()));
  }
}

TEST(GeometryNodeEffectTest, UpdateRunsControllersAndAdvancesTheClock) {
  Ptr<TestGeometryEffect> effect(new TestGeometryEffect());
  auto* controller = new test::TestController();
  effect->AttachController(controller);
  effect->Update(0.25);
  effect->Update(0.5);
  EXPECT_FLOAT_EQ(effect->GetTime(), 0.75f);
  EXPECT_EQ(controller->updates, 2);
  EXPECT_TRUE(effect->IsEnabled());
  effect->Disable();
  EXPECT_FALSE(effect->IsEnabled());
}

}  // namespace
}  // namespace ynx
