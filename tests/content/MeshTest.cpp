#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "content/geometry/GardenMeshes.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"

namespace ynx {
namespace {

using content::GardenMeshes;

float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

struct MeshCase {
  const char* name;
  std::function<Ptr<Triangles>()> make;
  bool tangents;  // normal-mapped, parallax or velvet: tangents needed
  bool sways;     // then standing on y = 0 and above
};

const std::vector<MeshCase>& Cases() {
  static const std::vector<MeshCase> cases = {
      {"PondSurface", [] { return GardenMeshes::PondSurface(3.0f, 4.0f); }, false, false},
      {"PondBed", [] { return GardenMeshes::PondBed(3.0f, 0.5f); }, true, false},
      {"Ground", [] { return GardenMeshes::Ground(3.0f, 30.0f, 3.0f, 12); }, false, false},
      {"SkyDome", [] { return GardenMeshes::SkyDome(80.0f); }, false, false},
      {"MoonDisc", [] { return GardenMeshes::MoonDisc(7.0f); }, true, false},
      {"Bridge", [] { return GardenMeshes::Bridge(4.0f, 1.2f, 0.6f); }, false, false},
      {"Lantern", [] { return GardenMeshes::Lantern(); }, true, false},
      {"LanternPaper", [] { return GardenMeshes::LanternPaper(); }, false, false},
      {"Rock", [] { return GardenMeshes::Rock(3, 1.2f); }, true, false},
      {"PathStone", [] { return GardenMeshes::PathStone(5, 0.6f); }, true, false},
      {"BambooStalk", [] { return GardenMeshes::BambooStalk(7, 5.0f, 0.05f, 0.4f); }, false, true},
      {"BambooLeaves", [] { return GardenMeshes::BambooLeaves(7, 5.0f); }, false, true},
      {"GrassClump", [] { return GardenMeshes::GrassClump(9, 0.6f); }, false, true},
      {"MapleTrunk", [] { return GardenMeshes::MapleTrunk(2.5f); }, false, false},
      {"MapleCanopy", [] { return GardenMeshes::MapleCanopy(11, 2.0f); }, false, true},
      {"Koi", [] { return GardenMeshes::MakeKoi(String("Koi"), 0.6f).body; }, true, false},
  };
  return cases;
}

// What every effect relies on: unit normals (and tangents where the effect
// reads them) for every vertex, indices inside the vertices, and swaying
// meshes standing on their origin.
TEST(GardenMeshes, CarryWhatTheirEffectsRead) {
  for (const MeshCase& mesh : Cases()) {
    SCOPED_TRACE(mesh.name);
    const Ptr<Triangles> node = mesh.make();
    const Vector3Buffer* positions = node->GetVertices();
    ASSERT_NE(positions, nullptr);
    const int32_t count = positions->GetCount();
    ASSERT_GT(count, 0);
    ASSERT_NE(node->GetNormals(), nullptr);
    ASSERT_NE(node->GetTexCoords(0), nullptr);
    EXPECT_EQ(node->GetTexCoords(0)->GetCount(), count);
    for (int32_t i = 0; i < node->GetIndices()->GetCount(); ++i) {
      ASSERT_LT(node->GetIndices()->GetElements()[i], count);
    }
    for (int32_t i = 0; i < count; ++i) {
      ASSERT_NEAR(node->GetNormals()->GetElements()[i].Length(), 1.0f, 1e-3f) << "vertex " << i;
    }
    ASSERT_EQ(node->GetTangents() != nullptr, mesh.tangents);
    if (mesh.tangents) {
      for (int32_t i = 0; i < count; ++i) {
        ASSERT_NEAR(node->GetTangents()->GetElements()[i].Length(), 1.0f, 1e-3f) << "vertex " << i;
      }
    }
    if (mesh.sways) {
      float lowest = 1e9f;
      for (int32_t i = 0; i < count; ++i) lowest = std::min(lowest, positions->GetElements()[i].y);
      EXPECT_GE(lowest, 0.0f);
    }
  }
}

// Closed shapes face out, the water and the pond bed up.
TEST(GardenMeshes, FacesPointOutward) {
  for (const char* name : {"Lantern", "Rock", "PathStone", "Koi", "MapleTrunk", "BambooStalk", "PondSurface", "PondBed"}) {
    SCOPED_TRACE(name);
    Ptr<Triangles> node;
    for (const MeshCase& mesh : Cases()) {
      if (std::string(mesh.name) == name) node = mesh.make();
    }
    const Vector3* p = node->GetVertices()->GetElements();
    const Vector3* n = node->GetNormals()->GetElements();
    const int32_t count = node->GetVertices()->GetCount();
    const bool flat = std::string(name).rfind("Pond", 0) == 0;
    int32_t outward = 0;
    for (int32_t i = 0; i < count; ++i) {
      // Away from the vertical axis for shapes of revolution and the like,
      // away from the x axis for the koi, up for the pond.
      Vector3 away = std::string(name) == "Koi" ? Vector3{0.0f, p[i].y, p[i].z} : Vector3{p[i].x, 0.0f, p[i].z};
      if (flat) away = Vector3{0.0f, 1.0f, 0.0f};
      if (Dot(n[i], away) >= 0.0f) ++outward;
    }
    EXPECT_GT(outward, count * 85 / 100);
  }
}

// The falling-leaf emitter reads triangle t as vertices 3t to 3t + 2.
TEST(GardenMeshes, TheCanopyHasNoSharedVertices) {
  const Ptr<Triangles> canopy = GardenMeshes::MapleCanopy(11, 2.0f);
  const IntBuffer* indices = canopy->GetIndices();
  ASSERT_EQ(indices->GetCount(), canopy->GetVertices()->GetCount());
  for (int32_t i = 0; i < indices->GetCount(); ++i) ASSERT_EQ(indices->GetElements()[i], i);
}

// In its bind pose the koi's skin puts every vertex where it was built:
// the bone offsets undo the bones' places exactly, and every vertex's
// weights sum to one over bones that exist.
TEST(GardenMeshes, TheKoiSkinKeepsTheBindPose) {
  GardenMeshes::Koi koi = GardenMeshes::MakeKoi(String("Koi"), 0.6f);
  ASSERT_EQ(koi.skin->GetBoneCount(), GardenMeshes::SPINE_BONES);
  const int32_t count = koi.body->GetVertices()->GetCount();
  const Vector4* weights = koi.skin->GetWeights()->GetElements();
  for (int32_t i = 0; i < count; ++i) {
    EXPECT_NEAR(weights[i].x + weights[i].y + weights[i].z + weights[i].w, 1.0f, 1e-5f);
  }
  const std::vector<Vector3> built(koi.body->GetVertices()->GetElements(),
                                   koi.body->GetVertices()->GetElements() + count);
  koi.spine->UpdateRecursive(0.0, false);
  koi.skin->Update(0.0);
  for (int32_t i = 0; i < count; ++i) {
    const Vector3& now = koi.body->GetVertices()->GetElements()[i];
    ASSERT_NEAR(now.x, built[static_cast<size_t>(i)].x, 1e-4f) << i;
    ASSERT_NEAR(now.y, built[static_cast<size_t>(i)].y, 1e-4f) << i;
    ASSERT_NEAR(now.z, built[static_cast<size_t>(i)].z, 1e-4f) << i;
  }
}

}  // namespace
}  // namespace ynx
