// Skinning on the processor: a 20,000-vertex mesh with four influences per
// vertex and 40 bones, the vector form next to the scalar one, in vertices
// per second; and the whole skin controller update (bone matrices, skinning,
// bound) on the same mesh.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/animation/SkinController.h"
#include "engine/core/EngineLists.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"

namespace ynx {
namespace {

constexpr int32_t VERTICES = 20000;
constexpr int32_t BONES = 40;

struct EngineRunning {
  EngineRunning() { InitializeEngine(); }
  ~EngineRunning() { ShutdownEngine(); }
};

// A skinned mesh under its bones: each vertex weighted to four different
// bones, the weights summing to 1.
struct SkinnedMesh {
  SkinnedMesh() {
    std::mt19937 random(3);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    root = new SceneNode(String("root"), 0, 8);
    skin = new SkinController(String("skin"));
    for (int32_t bone = 0; bone < BONES; ++bone) {
      const float angle = 0.15f * static_cast<float>(bone);
      auto* node = new SceneNode(String("bone"), 0, 1);
      node->SetLocalTransform(
          Transformation({unit(random), 0.2f * static_cast<float>(bone), unit(random)},
                         {0.0f, std::sin(angle), 0.0f, std::cos(angle)}, {1, 1, 1}));
      root->AppendChild(node);
      skin->AddBone(node,
                    Transformation({0.0f, -0.2f * static_cast<float>(bone), 0.0f}, {}, {1, 1, 1}));
    }
    auto* bind = new Vector3Buffer(VERTICES);
    auto* weights = new Vector4Buffer(VERTICES);
    auto* indices = new Vector4Buffer(VERTICES);
    std::uniform_int_distribution<int32_t> anyBone(0, BONES - 4);
    for (int32_t i = 0; i < VERTICES; ++i) {
      bind->GetElements()[i] = {unit(random), 8.0f * (unit(random) + 1.0f), unit(random)};
      float w[4];
      float sum = 0.0f;
      for (float& weight : w) sum += weight = 0.1f + (unit(random) + 1.0f);
      weights->GetElements()[i] = {w[0] / sum, w[1] / sum, w[2] / sum, w[3] / sum};
      const auto first = static_cast<float>(anyBone(random));
      indices->GetElements()[i] = {first, first + 1, first + 2, first + 3};
    }
    skin->SetBindVertices(bind);
    skin->SetWeights(weights);
    skin->SetBoneIndices(indices);
    mesh = new Triangles(String("mesh"));
    mesh->SetVertices(new Vector3Buffer(VERTICES));
    mesh->AttachController(skin.Get());
    root->AppendChild(mesh.Get());
    root->UpdateRecursive(0.0, true);
  }

  SkinController::Influences Job() const {
    return {skin->GetBindVertices()->GetElements(),
            skin->GetWeights()->GetElements(),
            skin->GetBoneIndices()->GetElements(),
            VERTICES,
            skin->GetBoneMatrices(),
            BONES};
  }

  Ptr<SceneNode> root;
  Ptr<SkinController> skin;
  Ptr<Triangles> mesh;
};

void Report(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * VERTICES);
  state.counters["vertices"] = VERTICES;
  state.counters["bones"] = BONES;
}

void BM_SkinVector(benchmark::State& state) {
  EngineRunning engine;
  SkinnedMesh skinned;
  const SkinController::Influences job = skinned.Job();
  Vector3* out = skinned.mesh->GetVertices()->GetElements();
  for (auto _ : state) {
    SkinController::SkinVector(job, out);
    benchmark::ClobberMemory();
  }
  Report(state);
}

void BM_SkinScalar(benchmark::State& state) {
  EngineRunning engine;
  SkinnedMesh skinned;
  const SkinController::Influences job = skinned.Job();
  Vector3* out = skinned.mesh->GetVertices()->GetElements();
  for (auto _ : state) {
    SkinController::SkinScalar(job, out);
    benchmark::ClobberMemory();
  }
  Report(state);
}

void BM_SkinControllerUpdate(benchmark::State& state) {
  EngineRunning engine;
  SkinnedMesh skinned;
  for (auto _ : state) {
    skinned.skin->Update(1.0 / 60.0);
    benchmark::ClobberMemory();
  }
  Report(state);
}

BENCHMARK(BM_SkinVector)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SkinScalar)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SkinControllerUpdate)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ynx

BENCHMARK_MAIN();
