// The scene graph per frame and at start-up:
// - one frame update of a 5,000-node hierarchy 8 levels deep, 500 of its
//   nodes moved by node-animation controllers (UpdateRecursive(time, true)
//   on the root), in microseconds;
// - loading a 20 MB scene file of 700 objects, mostly vertex buffers,
//   through STRSceneCodec from a MemoryFile, next to a memcpy of its bytes.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/animation/NodeAnimation.h"
#include "engine/animation/NodeAnimationController.h"
#include "engine/core/EngineLists.h"
#include "engine/core/MemoryStream.h"
#include "engine/io/MemoryFile.h"
#include "engine/io/STRSceneCodec.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx {
namespace {

struct EngineRunning {
  EngineRunning() { InitializeEngine(); }
  ~EngineRunning() { ShutdownEngine(); }
};

// Nodes per level, 5,000 in all: groups above, triangle meshes on the last.
constexpr int32_t LEVEL_SIZES[] = {1, 5, 20, 80, 240, 654, 1300, 2700};

Ptr<Triangles> MakeMesh(int32_t vertexCount, float seed) {
  Ptr<Triangles> mesh(new Triangles());
  auto* positions = new Vector3Buffer(vertexCount);
  auto* normals = new Vector3Buffer(vertexCount);
  auto* uv = new Vector2Buffer(vertexCount);
  auto* indices = new IntBuffer(vertexCount);
  for (int32_t i = 0; i < vertexCount; ++i) {
    const float angle = seed + 0.01f * static_cast<float>(i);
    positions->GetElements()[i] = {std::cos(angle), std::sin(angle * 1.3f), 0.001f * i};
    normals->GetElements()[i] = {0, 0, 1};
    uv->GetElements()[i] = {std::cos(angle), std::sin(angle)};
    indices->GetElements()[i] = i;
  }
  mesh->SetVertices(positions);
  mesh->SetNormals(normals);
  mesh->SetTexCoords(0, uv);
  mesh->SetIndices(indices);
  mesh->UpdateModelBound();
  return mesh;
}

struct BenchScene {
  Ptr<SceneNode> root;
  // Every node, root first, level by level.
  std::vector<Node*> nodes;
};

// Each node has its own placement (rotation, translation, slight scale), so
// every level composes real transformations.
BenchScene MakeScene() {
  BenchScene scene;
  scene.root = new SceneNode(String("Root"), 0, 8);
  scene.nodes.push_back(scene.root.Get());
  std::vector<SceneNode*> parents{scene.root.Get()};
  const int32_t levels = static_cast<int32_t>(std::size(LEVEL_SIZES));
  for (int32_t level = 1; level < levels; ++level) {
    std::vector<SceneNode*> groups;
    for (int32_t i = 0; i < LEVEL_SIZES[level]; ++i) {
      const float angle = 0.1f * static_cast<float>(i + level);
      Ptr<Node> node;
      if (level + 1 < levels) {
        auto* group = new SceneNode(String(), 0, 4);
        groups.push_back(group);
        node = group;
      } else {
        node = MakeMesh(8, angle);
      }
      node->SetLocalTransform(Transformation({std::cos(angle), 0.5f, std::sin(angle)},
                                             {0.0f, std::sin(angle / 2), 0.0f, std::cos(angle / 2)},
                                             {1.01f, 1.01f, 1.01f}));
      parents[static_cast<size_t>(i) % parents.size()]->AppendChild(node.Get());
      scene.nodes.push_back(node.Get());
    }
    parents = groups;
  }
  return scene;
}

// As the shipped bones are animated: 15 poses on a loop over the whole
// track, each controller with its own animation and a track of 12 to 55.6 s.
constexpr int32_t ANIMATED_NODES = 500;
constexpr int32_t KEYS = 15;

void Animate(Node& node, int32_t index) {
  auto* animation = new NodeAnimation(String("Animation 0"));
  for (int32_t key = 0; key < KEYS; ++key) {
    const float angle = 0.4f * static_cast<float>(key + index);
    animation->AddNodeKey(static_cast<double>(key) / (KEYS - 1),
                          {std::cos(angle), 0.1f * static_cast<float>(key), std::sin(angle)},
                          {0.0f, std::sin(angle / 2), 0.0f, std::cos(angle / 2)}, {1, 1, 1});
  }
  auto* controller = new NodeAnimationController();
  controller->AddAnimation(animation);
  controller->AddFrame(AnimationFrame{animation, AnimationFrame::MODE_LOOP, 0.0, 1.0, 1.0, 0.0});
  controller->SetPeriod(12.0 + 43.6 * (index % 10) / 9.0);
  node.AttachController(controller);
}

void BM_UpdateScene(benchmark::State& state) {
  EngineRunning engine;
  BenchScene scene = MakeScene();
  const size_t spacing = scene.nodes.size() / ANIMATED_NODES;
  for (int32_t i = 0; i < ANIMATED_NODES; ++i) {
    Animate(*scene.nodes[static_cast<size_t>(i) * spacing], i);
  }
  for (auto _ : state) {
    scene.root->UpdateRecursive(1.0 / 60.0, true);
    benchmark::ClobberMemory();
  }
  state.counters["nodes"] = static_cast<double>(scene.nodes.size());
  state.counters["animated"] = ANIMATED_NODES;
}

// 140 meshes of 5 objects each (node, positions, normals, texture
// coordinates, indices) under one root: 701 objects, about 20 MB.
constexpr int32_t MESH_COUNT = 140;
constexpr int32_t MESH_VERTICES = 4160;

std::vector<uint8_t> MakeSceneFile() {
  Ptr<SceneNode> root(new SceneNode(String("Root"), 0, 16));
  for (int32_t i = 0; i < MESH_COUNT; ++i) root->AppendChild(MakeMesh(MESH_VERTICES, i).Get());
  MemoryStream stream(0, 1 << 20);
  stream.WriteUInt32(ENGINE_VERSION_MAJOR);
  stream.WriteUInt32(ENGINE_VERSION_MINOR);
  stream.WriteUInt32(ENGINE_VERSION_BUILD);
  stream.WriteObject(root);
  return std::vector<uint8_t>(stream.GetData(), stream.GetData() + stream.GetPosition());
}

void BM_LoadSceneFile(benchmark::State& state) {
  EngineRunning engine;
  const std::vector<uint8_t> bytes = MakeSceneFile();
  MemoryFile file{String("Main.STR")};
  auto* source = static_cast<uint8_t*>(std::malloc(bytes.size()));
  std::memcpy(source, bytes.data(), bytes.size());
  file.SetSource(source, static_cast<int32_t>(bytes.size()), true);
  STRSceneCodec codec;
  for (auto _ : state) {
    Object* loaded = nullptr;
    if (codec.Load(&file, &loaded) != 0 || loaded == nullptr) state.SkipWithError("load failed");
    state.PauseTiming();
    const Ptr<Object> release(loaded);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
  state.counters["MB"] = static_cast<double>(bytes.size()) / (1 << 20);
}

void BM_MemcpySceneFile(benchmark::State& state) {
  EngineRunning engine;
  const std::vector<uint8_t> source = MakeSceneFile();
  std::vector<uint8_t> target(source.size());
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}

BENCHMARK(BM_UpdateScene)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpySceneFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSceneFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ynx

BENCHMARK_MAIN();
