// Stored layouts of the particle classes: a hand-assembled system with its
// emitter loads into the expected fields and saves back byte for byte,
// loading clamps what would break the simulation, and a cut stream fails
// with the field's message at every class level.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/particles/ParticleSystem.h"
#include "engine/particles/PointEmitter.h"
#include "engine/particles/SphereVolumeEmitter.h"
#include "engine/particles/TrianglesEmitter.h"
#include "tests/scene/SceneTestClasses.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/CutStreams.h"

namespace ynx {
namespace {

using test::ByteWriter;
using test::NodeFields;
using test::ReadOne;
using test::SameBytes;
using test::Written;

// The particle numbers as stored, in stream order.
struct Numbers {
  int32_t maxParticles;
  float intervalBase, intervalJitter;
  int32_t burstBase, burstJitter;
  float colors[16];
  float speedBase, speedJitter;
  float acceleration[6];
  float life[2];
  float sizes[4];
};

void GeometryFields(ByteWriter& w) {
  NodeFields(w, -1);
  for (int i = 0; i < 15; ++i) w.I32(-1);
  w.I32(0);
}

ByteWriter SystemBytes(int32_t systemId, int32_t emitterId, const Numbers& n, float maxAngle, float minAngle,
                       float radius) {
  ByteWriter w;
  w.Head(systemId, "YNX.ParticleSystem", "fountain");
  GeometryFields(w);
  w.I32(n.maxParticles).F32(n.intervalBase).F32(n.intervalJitter).I32(n.burstBase).I32(n.burstJitter);
  for (float v : n.colors) w.F32(v);
  w.F32(n.speedBase).F32(n.speedJitter);
  for (float v : n.acceleration) w.F32(v);
  for (float v : n.life) w.F32(v);
  for (float v : n.sizes) w.F32(v);
  w.Head(emitterId, "YNX.SphereVolumeEmitter", "spout").F32(maxAngle).F32(minAngle).F32(radius);
  return w;
}

const Numbers STORED = {40,   0.25f, 0.125f, 6, 2, {1, 0.5f, 0.25f, 1, 0.1f, 0.1f, 0.1f, 0, 0, 0, 1, 0, 0.5f, 0.5f, 0.5f, 0},
                        3.0f, 0.5f,  {0, -9.8f, 0, 0.5f, 0, 0.5f}, {2.0f, 0.5f}, {1, 0.25f, 4, 1}};

TEST(ParticleStreamTest, ASystemWithItsEmitterLoadsAndSavesBackByteForByte) {
  int32_t state = -1;
  Ptr<Object> loaded = ReadOne(SystemBytes(1, 2, STORED, 0.5f, 0.25f, 3.0f), &state);
  ASSERT_EQ(state, 0);
  auto* system = static_cast<ParticleSystem*>(loaded.Get());
  ASSERT_TRUE(system->IsDerivedFrom(ParticleSystem::Type()));
  EXPECT_EQ(system->GetMaxParticles(), 40);
  EXPECT_EQ(system->GetLiveCount(), 0);
  auto* emitter = static_cast<SphereVolumeEmitter*>(system->GetEmitter());
  ASSERT_NE(emitter, nullptr);
  ASSERT_TRUE(emitter->IsDerivedFrom(SphereVolumeEmitter::Type()));
  EXPECT_EQ(emitter->GetNode(), system);
  EXPECT_EQ(emitter->GetMaxAngle(), 0.5f);
  EXPECT_EQ(emitter->GetMinAngle(), 0.25f);
  EXPECT_EQ(emitter->GetRadius(), 3.0f);
  EXPECT_EQ(system->FindByName(String("spout")), emitter);
  Array<Object*> emitters;
  system->CollectByType(Emitter::Type(), emitters);
  ASSERT_EQ(emitters.Count(), 1u);
  EXPECT_EQ(emitters[0], emitter);
  EXPECT_TRUE(SameBytes(Written(system), SystemBytes(system->GetID(), emitter->GetID(), STORED, 0.5f, 0.25f, 3.0f).Bytes()));
}

TEST(ParticleStreamTest, LoadingClampsCountsJittersLifeAndSizes) {
  const Numbers negative = {-5,    -1.0f, -0.5f, -3, -2, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1},
                            -2.0f, -1.0f, {-1, -2, -3, -4, -5, -6}, {-2.0f, -1.0f}, {-1, -1, -1, -1}};
  // Bases of speed, colours and accelerations keep their sign.
  const Numbers clamped = {0,     0.0f, 0.0f, 0, 0, {-1, -1, -1, -1, 0, 0, 0, 0, -1, -1, -1, -1, 0, 0, 0, 0},
                           -2.0f, 0.0f, {-1, -2, -3, 0, 0, 0}, {0.0f, 0.0f}, {0, 0, 0, 0}};
  int32_t state = -1;
  Ptr<Object> loaded = ReadOne(SystemBytes(1, 2, negative, 0.5f, 0.25f, 1.0f), &state);
  ASSERT_EQ(state, 0);
  auto* system = static_cast<ParticleSystem*>(loaded.Get());
  const Emitter* emitter = system->GetEmitter();
  EXPECT_TRUE(SameBytes(Written(system), SystemBytes(system->GetID(), emitter->GetID(), clamped, 0.5f, 0.25f, 1.0f).Bytes()));
}

TEST(ParticleStreamTest, AHugeStoredCountIsCappedWithAWarning) {
  Numbers huge = STORED;
  huge.maxParticles = 0x7FFFFFFF;
  test::CapturedLog log;
  int32_t state = -1;
  Ptr<Object> loaded = ReadOne(SystemBytes(1, 2, huge, 0.5f, 0.25f, 3.0f), &state);
  ASSERT_EQ(state, 0);
  const auto* system = static_cast<const ParticleSystem*>(loaded.Get());
  EXPECT_EQ(system->GetMaxParticles(), ParticleSystem::MAX_PARTICLES);
  EXPECT_TRUE(test::HasLineStartingWith(log, "WARNING. Слишком много частиц [2147483647], взято [262144]. Имя[fountain] ID["));
}

struct AngleCase {
  float storedMax, storedMin, max, min;
};

TEST(ParticleStreamTest, LoadingOrdersTheConeAngles) {
  const AngleCase cases[] = {
      {1.0f, 0.5f, 1.0f, 0.5f},   {-1.0f, 0.5f, 0.0f, 0.0f}, {0.5f, 2.0f, 0.5f, 0.5f},
      {0.5f, -1.0f, 0.5f, 0.0f},  {0.0f, 0.0f, 0.0f, 0.0f},
  };
  for (const AngleCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.storedMax) + " " + std::to_string(c.storedMin));
    ByteWriter w;
    w.Head(1, "YNX.PointEmitter", "p").F32(c.storedMax).F32(c.storedMin);
    int32_t state = -1;
    Ptr<Object> loaded = ReadOne(w, &state);
    ASSERT_EQ(state, 0);
    const auto* emitter = static_cast<const PointEmitter*>(loaded.Get());
    EXPECT_EQ(emitter->GetMaxAngle(), c.max);
    EXPECT_EQ(emitter->GetMinAngle(), c.min);
  }
}

TEST(ParticleStreamTest, EveryCutFailsWithOneErrorPerClassLevel) {
  using test::ClassPart;
  const ClassPart object = [](ByteWriter& w) { w.Str("n").I32(0); };
  const ClassPart node = [](ByteWriter& w) { NodeFields(w, -1); };
  const ClassPart geometry = [](ByteWriter& w) {
    for (int i = 0; i < 15; ++i) w.I32(-1);
    w.I32(0);
  };
  const ClassPart point = [](ByteWriter& w) { w.F32(1.0f).F32(0.5f); };
  test::ExpectOneErrorPerLevel("YNX.ParticleSystem", {object, node, geometry, [](ByteWriter& w) {
                                                        w.I32(10).F32(1).F32(0).I32(10).I32(0);
                                                        for (int i = 0; i < 30; ++i) w.F32(1);
                                                        w.I32(-1);
                                                      }});
  test::ExpectOneErrorPerLevel("YNX.PointEmitter", {object, point});
  test::ExpectOneErrorPerLevel("YNX.SphereVolumeEmitter", {object, point, [](ByteWriter& w) { w.F32(2); }});
  test::ExpectOneErrorPerLevel("YNX.TrianglesEmitter", {object, point, [](ByteWriter& w) { w.I32(-1); }});
}

// The messages as the cuts log them, field by field.
TEST(ParticleStreamTest, CutsLogTheParticleMessages) {
  const ByteWriter full = SystemBytes(1, 2, STORED, 0.5f, 0.25f, 3.0f);
  const int32_t numbersAt = ByteWriter().Head(1, "YNX.ParticleSystem", "fountain").Size() + 49 + 16 * 4;
  const int32_t emitterAt = numbersAt + 4 * 5 + 16 * 4 + 2 * 4 + 6 * 4 + 6 * 4;
  test::ExpectCutsFail(full, {{numbersAt, "Невозможно загрузить данные системы частиц. Имя[fountain] ID[",
                               "Невозможно сохранить данные системы частиц. Имя[fountain] ID["},
                              {emitterAt, "Невозможно загрузить эмиттер системы частиц. Имя[fountain] ID[",
                               "Невозможно сохранить эмиттер системы частиц. Имя[fountain] ID["}});
}

}  // namespace
}  // namespace ynx
