// Particle emission and ageing with a fixed seed and fixed frame steps: the
// live count per frame worked out by hand, the end of a life, the cone,
// burst jitter, the interval and maxParticles limits, and the emitters'
// fall-backs on meshes they cannot read.

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "engine/core/Random.h"
#include "engine/math/Quaternion.h"
#include "engine/particles/ParticleSystem.h"
#include "engine/particles/PointEmitter.h"
#include "engine/particles/SphereVolumeEmitter.h"
#include "engine/particles/TrianglesEmitter.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx {
namespace {

class ParticleSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { Random::Seed(7); }

  // Jitter 0 everywhere: the counts follow from the timing alone.
  static Ptr<ParticleSystem> System(int32_t maxParticles, float interval, int32_t burst, float life) {
    Ptr<ParticleSystem> system(new ParticleSystem(String("sparks")));
    system->SetMaxParticles(maxParticles);
    system->SetInterval(interval, 0.0f);
    system->SetBurst(burst, 0);
    system->SetLife(life, 0.0f);
    return system;
  }
};

// Colour{} is opaque black: its alpha would jitter.
constexpr Color NO_JITTER{0.0f, 0.0f, 0.0f, 0.0f};

struct EmissionCase {
  const char* name;
  int32_t maxParticles;
  float interval;
  int32_t burst;
  float life;
  float step;
  std::vector<int32_t> liveAfterEachFrame;
};

// The first update always bursts: the interval starts at 0.
const EmissionCase EMISSION[] = {
    // Bursts every other frame; a particle lives through age 5.0 = life and
    // dies at 5.5, eleven frames after its burst.
    {"bursts and deaths", 100, 1.0f, 10, 5.0f, 0.5f, {10, 10, 20, 20, 30, 30, 40, 40, 50, 50, 60, 50, 60, 50}},
    // The third burst is cut to 5; later ones refill what died.
    {"maxParticles reached", 25, 1.0f, 10, 2.0f, 1.0f, {10, 20, 25, 25, 25, 25}},
    {"maxParticles 0", 0, 0.1f, 10, 5.0f, 1.0f, {0, 0, 0}},
    {"empty bursts", 100, 0.5f, 0, 5.0f, 1.0f, {0, 0}},
    // 0.35 s frames at 0.1 s: in float32 the second frame's remainder is
    // 1.5e-8, so it makes four bursts, and the third makes three.
    {"0.35 s frames at 0.1 s", 1000, 0.1f, 1, 100.0f, 0.35f, {4, 8, 11, 15}},
    // A base of 0 is raised to the minimum interval: the update ends, full.
    {"interval 0", 50, 0.0f, 10, 5.0f, 1.0f, {50, 50}},
    {"interval below 0", 50, -2.0f, 10, 5.0f, 1.0f, {50}},
};

TEST_F(ParticleSystemTest, LiveCountPerFrameFollowsTheEmission) {
  for (const EmissionCase& c : EMISSION) {
    SCOPED_TRACE(c.name);
    Ptr<ParticleSystem> system = System(c.maxParticles, c.interval, c.burst, c.life);
    std::vector<int32_t> live;
    for (size_t frame = 0; frame < c.liveAfterEachFrame.size(); ++frame) {
      system->Update(c.step);
      live.push_back(system->GetLiveCount());
    }
    EXPECT_EQ(live, c.liveAfterEachFrame);
  }
}

TEST_F(ParticleSystemTest, ThreeBurstsInAFrameCarryTheRest) {
  Ptr<ParticleSystem> system = System(1000, 0.1f, 1, 100.0f);
  for (int frame = 0; frame < 3; ++frame) system->Update(0.35);
  EXPECT_NEAR(system->GetEmitTimer(), 0.05f, 1e-6f);
  EXPECT_FLOAT_EQ(system->GetEmitInterval(), 0.1f);
}

TEST_F(ParticleSystemTest, AgeEqualToLifeIsAliveWithEndValuesAndTheDeadAreRecycled) {
  Ptr<ParticleSystem> system = System(10, 0.5f, 3, 1.0f);
  system->SetStartColor({1.0f, 1.0f, 1.0f, 1.0f}, NO_JITTER);
  system->SetEndColor({0.0f, 0.5f, 1.0f, 0.0f}, NO_JITTER);
  system->SetStartSize(1.0f, 0.0f);
  system->SetEndSize(3.0f, 0.0f);
  system->Update(0.5);
  system->SetEmissionStopped(true);
  system->Update(0.5);
  system->Update(0.5);
  ASSERT_EQ(system->GetLiveCount(), 3);
  std::set<const Particle*> first;
  for (const Particle* p = system->GetLiveParticles(); p != nullptr; p = p->next) {
    EXPECT_EQ(p->age, 1.0f);
    EXPECT_EQ(p->size, 3.0f);
    EXPECT_EQ(p->color, (Color{0.0f, 0.5f, 1.0f, 0.0f}));
    first.insert(p);
  }
  system->Update(0.5);
  EXPECT_EQ(system->GetLiveCount(), 0);
  EXPECT_EQ(system->GetLiveParticles(), nullptr);
  // The stopped timer resumes at 0.5 against an interval of 0.5.
  system->SetEmissionStopped(false);
  system->Update(0.5);
  std::set<const Particle*> second;
  for (const Particle* p = system->GetLiveParticles(); p != nullptr; p = p->next) second.insert(p);
  EXPECT_EQ(second, first);
}

TEST_F(ParticleSystemTest, AZeroConeEmitsAlongTheNodesUpAtItsPosition) {
  Ptr<ParticleSystem> system = System(10, 1.0f, 4, 5.0f);
  system->SetSpeed(2.0f, 0.0f);
  static_cast<PointEmitter*>(system->GetEmitter())->SetAngles(0.0f, 0.0f);
  system->SetLocalTransform(
      Transformation({1.0f, 2.0f, 3.0f}, {0.0f, 0.0f, 0.38268343f, 0.92387953f}, {1.0f, 1.0f, 1.0f}));
  system->Update(0.25);
  ASSERT_EQ(system->GetLiveCount(), 4);
  // The cone turns with the node's world transformation.
  const Vector3 up = system->GetWorldTransform().TransformVector(Vector3::UP);
  ASSERT_GT(std::fabs(up.x), 0.5f);
  for (const Particle* p = system->GetLiveParticles(); p != nullptr; p = p->next) {
    EXPECT_NEAR(p->velocity.x, 2.0f * up.x, 1e-5f);
    EXPECT_NEAR(p->velocity.y, 2.0f * up.y, 1e-5f);
    EXPECT_NEAR(p->velocity.z, 2.0f * up.z, 1e-5f);
    EXPECT_EQ(p->position, (Vector3{1.0f, 2.0f, 3.0f}));
  }
}

TEST_F(ParticleSystemTest, BurstJitterTwoAroundTenGivesEightToEleven) {
  Ptr<ParticleSystem> system = System(100000, 1.0f, 10, 1000.0f);
  system->SetBurst(10, 2);
  std::set<int32_t> sizes;
  int32_t before = 0;
  for (int frame = 0; frame < 200; ++frame) {
    system->Update(1.0);
    sizes.insert(system->GetLiveCount() - before);
    before = system->GetLiveCount();
  }
  EXPECT_EQ(sizes, (std::set<int32_t>{8, 9, 10, 11}));
}

TEST_F(ParticleSystemTest, ASphereVolumeEmitsWithinItsRadius) {
  Ptr<ParticleSystem> system = System(200, 1.0f, 200, 5.0f);
  Ptr<SphereVolumeEmitter> sphere(new SphereVolumeEmitter());
  sphere->SetRadius(2.0f);
  system->SetEmitter(sphere.Get());
  EXPECT_EQ(sphere->GetNode(), system.Get());
  system->SetLocalTransform(Transformation({5.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, {3.0f, 3.0f, 3.0f}));
  system->Update(0.1);
  ASSERT_EQ(system->GetLiveCount(), 200);
  float farthest = 0.0f;
  for (const Particle* p = system->GetLiveParticles(); p != nullptr; p = p->next) {
    farthest = std::max(farthest, (p->position - Vector3{5.0f, 0.0f, 0.0f}).Length());
    EXPECT_NEAR(p->velocity.Length(), 1.0f, 1e-5f);
  }
  // Not scaled by the node.
  EXPECT_LE(farthest, 2.0f + 1e-5f);
  EXPECT_GT(farthest, 1.0f);
}

struct MeshCase {
  const char* name;
  bool withMesh;
  int32_t vertexCount;
  std::vector<int32_t> indices;
  // Of 40 draws: some on the triangle, some at the fall-back.
  bool someOnTriangle;
  bool someFallBack;
};

const MeshCase MESHES[] = {
    {"no triangles", false, 0, {}, false, true},
    {"fewer than three indices", true, 3, {0, 1}, false, true},
    {"positions past the buffer", true, 2, {0, 1, 2}, false, true},
    {"shared vertices", true, 3, {0, 1, 2, 2, 1, 0}, true, true},
    {"one triangle", true, 3, {0, 1, 2}, true, false},
};

TEST_F(ParticleSystemTest, TheTrianglesEmitterFallsBackOnMeshesItCannotRead) {
  const Vector3 corners[3] = {{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}};
  for (const MeshCase& c : MESHES) {
    SCOPED_TRACE(c.name);
    Ptr<TrianglesEmitter> emitter(new TrianglesEmitter());
    if (c.withMesh) {
      Ptr<Triangles> mesh(new Triangles(String("mesh")));
      mesh->SetVertices(new Vector3Buffer(c.vertexCount, new Vector3[3]{corners[0], corners[1], corners[2]}));
      auto* indices = new int32_t[c.indices.size() + 1];
      std::copy(c.indices.begin(), c.indices.end(), indices);
      mesh->SetIndices(new IntBuffer(static_cast<int32_t>(c.indices.size()), indices));
      mesh->SetLocalTransform(Transformation({5.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f}));
      mesh->Update(0.0);
      emitter->SetTriangles(mesh.Get());
    }
    bool onTriangle = false;
    bool fallBack = false;
    for (int draw = 0; draw < 40; ++draw) {
      Vector3 position{9.0f, 9.0f, 9.0f};
      Vector3 direction;
      emitter->Emit(position, direction);
      if (position == Vector3{} && direction == Vector3::UP) {
        fallBack = true;
        continue;
      }
      onTriangle = true;
      EXPECT_EQ(position.z, 0.0f);
      EXPECT_GE(position.x, 5.0f - 1e-5f);
      EXPECT_GE(position.y, -1e-5f);
      EXPECT_LE(position.x - 5.0f + position.y, 1.0f + 1e-5f);
      EXPECT_NEAR(direction.Length(), 1.0f, 1e-5f);
    }
    EXPECT_EQ(onTriangle, c.someOnTriangle);
    EXPECT_EQ(fallBack, c.someFallBack);
  }
}

}  // namespace
}  // namespace ynx
