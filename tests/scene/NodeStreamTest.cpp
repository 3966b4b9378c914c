// Stored layouts of the scene classes: hand-assembled streams load into the
// expected fields and save back byte for byte (with the IDs the objects got
// on loading), and a stream cut at any field fails with that field's message.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/scene/Camera.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/FPCamera.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "tests/scene/SceneTestClasses.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/CutStreams.h"

namespace ynx {
namespace {

using test::ByteWriter;
using test::Cut;
using test::ExpectCutsFail;
using test::HasLineStartingWith;
using test::NodeFields;
using test::ReadOne;
using test::SameBytes;
using test::Written;

// File IDs to the IDs the loaded objects carry, by the objects' names.
using IdMap = std::map<int32_t, int32_t>;

IdMap IdsOf(Object& root, const std::map<int32_t, const char*>& names) {
  std::map<std::string, int32_t> byName;
  std::function<void(Object*)> walk = [&](Object* object) {
    if (byName.emplace(object->GetName().CStr(), object->GetID()).second) {
      object->VisitReferences(walk);
    }
  };
  walk(&root);
  IdMap ids{{-1, -1}};
  for (const auto& [fileId, name] : names) ids[fileId] = byName.count(name) ? byName[name] : -2;
  return ids;
}

// The stored layout of a whole scene with one node of every kind, written
// with the IDs given by `id`.
ByteWriter ShowcaseScene(const IdMap& id) {
  const Transformation moved({1.0f, 2.0f, 3.0f}, {0.0f, 0.6f, 0.0f, 0.8f}, {2.0f, 2.0f, 2.0f});
  ByteWriter w;
  w.Head(id.at(10), "YNX.SceneNode", "Root");
  NodeFields(w, -1).I32(1);
  w.Head(id.at(11), "YNX.TestSceneEffect", "shadow");
  w.I32(5).I32(2);  // slots, increment

  w.Head(id.at(20), "YNX.Camera", "eye");
  NodeFields(w, id.at(10), moved, 0, 0).F32(1.0f).F32(0.5f).F32(500.0f);

  w.Head(id.at(30), "YNX.Light", "sun");
  NodeFields(w, id.at(10)).I32(3);
  for (float channel : {0.1f, 0.2f, 0.3f, 1.0f, 0.4f, 0.5f, 0.6f, 1.0f, 0.7f, 0.8f, 0.9f, 1.0f}) {
    w.F32(channel);
  }
  w.F32(0.5f).F32(0.25f).F32(0.125f).I8(1).F32(2.0f).F32(0.5f);

  w.Head(id.at(40), "YNX.FPCamera", "walker");
  NodeFields(w, id.at(10)).F32(0.7853982f).F32(0.1f).F32(10000.0f);
  w.F32(2.5f).F32(4.0f).I8(1);

  w.I32(-1);  // an empty slot

  w.Head(id.at(50), "YNX.Triangles", "mesh");
  NodeFields(w, id.at(10), moved);
  w.Head(id.at(51), "YNX.TestGeometryEffect", "paint");
  w.I8(0x05);  // stages 0 and 2 clamp
  for (float channel : {0.9f, 0.8f, 0.7f, 1.0f, 0.1f, 0.1f, 0.1f, 1.0f, 0.5f, 0.5f, 0.5f, 1.0f,
                        0.0f, 0.0f, 0.0f, 1.0f}) {
    w.F32(channel);
  }
  w.F32(8.0f).I8(1).I32(128).I8(0x11).I32(4).I32(5);  // blending, culling off
  w.I8(1).F32(0.2f).F32(0.3f).F32(0.4f).F32(1.0f).F32(0.01f).F32(3.0f);
  w.I8(1).F32(0.1f).F32(2.0f).I32(-1);
  w.Head(id.at(52), "YNX.Vector3Buffer", "positions").I32(3);
  for (float c : {0.0f, 0.0f, 0.0f, 2.0f, 0.0f, 0.0f, 0.0f, 2.0f, 0.0f}) w.F32(c);
  w.I32(-1);  // point sizes
  w.Head(id.at(53), "YNX.ColorBuffer", "colours").I32(1).F32(1).F32(0.5f).F32(0.25f).F32(1);
  w.I32(-1).I32(-1);  // normals, tangents
  w.Head(id.at(54), "YNX.Vector2Buffer", "uv").I32(3);
  for (float c : {0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f}) w.F32(c);
  w.I32(id.at(54));  // set 1 shares set 0
  for (int set = 2; set < 8; ++set) w.I32(-1);
  w.Head(id.at(55), "YNX.IntBuffer", "corners").I32(3).I32(0).I32(1).I32(2);
  w.I32(0);  // model-bound type
  return w;
}

const std::map<int32_t, const char*> SHOWCASE_NAMES = {
    {10, "Root"},  {11, "shadow"},    {20, "eye"},     {30, "sun"}, {40, "walker"}, {50, "mesh"},
    {51, "paint"}, {52, "positions"}, {53, "colours"}, {54, "uv"},  {55, "corners"}};

TEST(NodeStreamTest, TheShippedRootLoadsAndSavesBack) {
  const auto bytes = [](int32_t id) {
    ByteWriter w;
    w.Head(id, "YNX.SceneNode", "Root");
    NodeFields(w, -1).I32(0).I32(11).I32(2);
    for (int slot = 0; slot < 11; ++slot) w.I32(-1);
    return w;
  };
  int32_t state = 1;
  Ptr<Object> loaded = ReadOne(bytes(43), &state);
  ASSERT_EQ(state, 0);
  auto* root = static_cast<SceneNode*>(loaded.Get());
  ASSERT_EQ(root->GetType().GetName(), "YNX.SceneNode");
  EXPECT_EQ(root->GetName(), "Root");
  EXPECT_EQ(root->GetParent(), nullptr);
  const Transformation& local = root->GetLocalTransform();
  EXPECT_FALSE(local.identity || local.rotationFree) << "loading clears both flags";
  EXPECT_EQ(local.scale, (Vector3{1, 1, 1}));
  EXPECT_EQ(root->GetWorldBound()->GetVolumeType(), BoundingVolume::TYPE_SPHERE);
  EXPECT_TRUE(root->GetUpdateWorldBound());
  EXPECT_EQ(root->GetEffectCount(), 0);
  EXPECT_EQ(root->GetSlotCount(), 11);
  EXPECT_EQ(root->GetGrowthIncrement(), 2);
  for (int32_t slot = 0; slot < 11; ++slot) EXPECT_EQ(root->GetChild(slot), nullptr);
  EXPECT_TRUE(SameBytes(Written(root), bytes(root->GetID()).Bytes()));
}

TEST(NodeStreamTest, EveryNodeKindLoadsItsFieldsAndSavesBack) {
  IdMap fileIds;
  for (const auto& [id, name] : SHOWCASE_NAMES) fileIds[id] = id;
  fileIds[-1] = -1;
  int32_t state = 1;
  Ptr<Object> loaded = ReadOne(ShowcaseScene(fileIds), &state);
  ASSERT_EQ(state, 0);
  auto* root = static_cast<SceneNode*>(loaded.Get());
  ASSERT_EQ(root->GetSlotCount(), 5);
  ASSERT_EQ(root->GetEffectCount(), 1);
  EXPECT_EQ(root->GetEffect(0)->GetOwner(), root);

  auto* eye = static_cast<Camera*>(root->GetChild(0));
  EXPECT_EQ(eye->GetParent(), root);
  EXPECT_EQ(eye->GetLocalTransform().translation, (Vector3{1, 2, 3}));
  EXPECT_FALSE(eye->GetUpdateWorldBound());
  EXPECT_EQ(eye->GetFieldOfView(), 1.0f);
  EXPECT_EQ(eye->GetNearDistance(), 0.5f);
  EXPECT_EQ(eye->GetFarDistance(), 500.0f);

  auto* sun = static_cast<Light*>(root->GetChild(1));
  EXPECT_EQ(sun->GetLightType(), Light::LIGHT_SPOT);
  EXPECT_EQ(sun->GetDiffuse(), (Color{0.4f, 0.5f, 0.6f, 1.0f}));
  EXPECT_EQ(sun->GetAttenuation(), (Vector3{0.5f, 0.25f, 0.125f}));
  EXPECT_EQ(sun->GetFalloff(), 2.0f);
  EXPECT_EQ(sun->GetConeAngle(), 0.5f);

  auto* walker = static_cast<FPCamera*>(root->GetChild(2));
  EXPECT_EQ(walker->GetMoveSpeed(), 2.5f);
  EXPECT_EQ(walker->GetTurnSpeed(), 4.0f);
  EXPECT_TRUE(walker->GetInvertY());
  EXPECT_EQ(root->GetChild(3), nullptr);

  auto* mesh = static_cast<Triangles*>(root->GetChild(4));
  EXPECT_EQ(mesh->GetVertices()->GetCount(), 3);
  EXPECT_EQ(mesh->GetPointSizes(), nullptr);
  EXPECT_EQ(mesh->GetColors()->GetElements()[0], (Color{1.0f, 0.5f, 0.25f, 1.0f}));
  EXPECT_EQ(mesh->GetTexCoords(1), mesh->GetTexCoords(0)) << "a shared buffer stays shared";
  EXPECT_EQ(mesh->GetIndices()->GetElements()[2], 2);
  EXPECT_EQ(mesh->GetEffect()->GetOwner(), mesh);
  // Loading fits the model bound to the positions at once.
  const auto* model = static_cast<const SphereBoundingVolume*>(mesh->GetModelBound());
  EXPECT_EQ(model->GetCenter(), (Vector3{1, 1, 0}));
  EXPECT_FLOAT_EQ(model->GetRadius(), std::sqrt(2.0f));

  EXPECT_TRUE(SameBytes(Written(root), ShowcaseScene(IdsOf(*root, SHOWCASE_NAMES)).Bytes()));
}

TEST(NodeStreamTest, EffectsComeBackInReverseOrder) {
  // The effects' names and IDs in stream order.
  using Named = std::pair<const char*, int32_t>;
  const auto bytes = [](int32_t group, Named first, Named second) {
    ByteWriter w;
    w.Head(group, "YNX.SceneNode", "g");
    NodeFields(w, -1).I32(2);
    w.Head(first.second, "YNX.TestSceneEffect", first.first);
    w.Head(second.second, "YNX.TestSceneEffect", second.first);
    return w.I32(0).I32(0);
  };
  int32_t state = 1;
  Ptr<Object> loaded = ReadOne(bytes(1, {"first", 2}, {"second", 3}), &state);
  ASSERT_EQ(state, 0);
  auto* group = static_cast<SceneNode*>(loaded.Get());
  ASSERT_EQ(group->GetEffectCount(), 2);
  NodeEffect* second = group->GetEffect(0);
  NodeEffect* first = group->GetEffect(1);
  EXPECT_EQ(second->GetName(), "second");
  EXPECT_TRUE(SameBytes(
      Written(group),
      bytes(group->GetID(), {"second", second->GetID()}, {"first", first->GetID()}).Bytes()));
}

// Each effect slot takes its own kind of effect only.
TEST(NodeStreamTest, EffectSlotsRefuseOtherTypes) {
  ByteWriter mesh;
  mesh.Head(1, "YNX.Triangles", "m");
  NodeFields(mesh, -1);
  mesh.Head(2, "YNX.TestSceneEffect", "e").I32(0);
  ByteWriter group;
  group.Head(1, "YNX.SceneNode", "g");
  NodeFields(group, -1).I32(1);
  group.Head(2, "YNX.SceneNode", "e");
  NodeFields(group, -1).I32(0).I32(0).I32(0);
  const struct {
    ByteWriter& bytes;
    const char* line;
  } cases[] = {
      {mesh, "ERROR. Неверный тип объекта. RTTI[YNX.TestSceneEffect] ID[2] "
             "Ожидался[YNX.GeometryNodeEffect]"},
      {group, "ERROR. Неверный тип объекта. RTTI[YNX.SceneNode] ID[2] "
              "Ожидался[YNX.SceneNodeEffect]"},
  };
  for (const auto& c : cases) {
    test::CapturedLog log;
    EXPECT_FALSE(ReadOne(c.bytes));
    EXPECT_TRUE(HasLineStartingWith(log, c.line)) << c.line;
    EXPECT_TRUE(HasLineStartingWith(log, "ERROR. Невозможно загрузить эффект. ID[")) << c.line;
  }
}

TEST(NodeStreamTest, GroupsFailAtTheCutField) {
  ByteWriter w;
  std::vector<Cut> cuts;
  const auto at = [&](const char* load, const char* save) {
    cuts.push_back({w.Size(), std::string("Невозможно загрузить ") + load,
                    std::string("Невозможно сохранить ") + save});
  };
  w.Head(1, "YNX.SceneNode", "g");
  at("родителя. ID[", "родителя. Имя[");
  w.I32(-1);
  at("локальную трансформацию. ID[", "локальную трансформацию. Имя[");
  w.Raw(std::vector<float>{1, 1, 1, 0, 0, 0, 1, 0, 0, 0}.data(), 40);
  at("тип окружающего объёма. ID[", "тип окружающего объёма. Имя[");
  w.I32(0);
  at("флаг обновления окружающего объёма. ID[", "флаг обновления мирового объёма. Имя[");
  w.I8(1);
  at("количество эффектов. ID[", "количество эффектов. Имя[");
  w.I32(1);
  // Cut inside the effect: a count is refused at once when fewer bytes
  // remain than its references need.
  w.I32(2).Str("YNX.TestSceneEffect");
  at("эффект. ID[", "эффект. Имя[");
  w.Str("e").I32(0);
  at("количество дочерних узлов. ID[", "количество дочерних узлов. Имя[");
  w.I32(1);
  at("", "приращение. Имя[");
  w.I32(3);
  at("дочерний узел. ID[", "дочерний узел. Имя[");
  w.Head(3, "YNX.SceneNode", "child");
  NodeFields(w, 1).I32(0).I32(0).I32(0);
  ExpectCutsFail(w, cuts);

  // Without slots, nothing refuses the count before the increment is read.
  ByteWriter noSlots;
  noSlots.Head(1, "YNX.SceneNode", "g");
  NodeFields(noSlots, -1).I32(0).I32(0);
  test::CapturedLog log;
  EXPECT_FALSE(ReadOne(noSlots));
  EXPECT_TRUE(HasLineStartingWith(log, "ERROR. Невозможно загрузить приращение. ID["));
}

TEST(NodeStreamTest, GeometryCamerasAndLightsFailAtTheCutField) {
  ByteWriter mesh;
  std::vector<Cut> cuts;
  const auto at = [&](ByteWriter& w, const char* load, const char* save) {
    cuts.push_back({w.Size(), std::string("Невозможно загрузить ") + load,
                    std::string("Невозможно сохранить ") + save});
  };
  mesh.Head(1, "YNX.Triangles", "m");
  NodeFields(mesh, -1);
  const std::pair<const char*, const char*> fields[] = {
      {"эффект. ID[", "эффект. Имя["},
      {"вершины. ID[", "вершины. Имя["},
      {"размеры точек. ID[", "размеры точек. Имя["},
      {"цвета. ID[", "цвета вершин. Имя["},
      {"нормали. ID[", "нормали. Имя["},
      {"тангенты. ID[", "тангенты. Имя["}};
  for (const auto& [load, save] : fields) {
    at(mesh, load, save);
    mesh.I32(-1);
  }
  for (int set = 0; set < 8; ++set) {
    if (set == 3) at(mesh, "текстурные координаты. ID[", "текстурные координаты. Имя[");
    mesh.I32(-1);
  }
  at(mesh, "индексы. ID[", "индексы. Имя[");
  mesh.I32(-1);
  at(mesh, "тип лоакльного окружающего объёма. ID[", "тип локального окружающего объёма. Имя[");
  mesh.I32(0);
  ExpectCutsFail(mesh, cuts);

  cuts.clear();
  ByteWriter camera;
  camera.Head(1, "YNX.FPCamera", "c");
  NodeFields(camera, -1);
  at(camera, "данные камеры. ID[", "данные камеры. Имя[");
  camera.F32(1).F32(1).F32(100);
  at(camera, "данные камеры. ID[", "данные камеры. Имя[");
  camera.F32(1).F32(1).I8(0);
  ExpectCutsFail(camera, cuts);

  cuts.clear();
  ByteWriter light;
  light.Head(1, "YNX.Light", "l");
  NodeFields(light, -1);
  at(light, "данные источника света. ID[", "данные источника света. Имя[");
  light.I32(2);
  for (int i = 0; i < 15; ++i) light.F32(1);
  light.I8(1).F32(1).F32(1);
  ExpectCutsFail(light, cuts);

  cuts.clear();
  ByteWriter sphere;
  sphere.Head(1, "YNX.SphereBoundingVolume", "s");
  at(sphere, "данные окружающего объёма. ID[", "данные окружающего объёма. Имя[");
  sphere.F32(1).F32(2).F32(3).F32(4);
  ExpectCutsFail(sphere, cuts);
}

TEST(NodeStreamTest, EveryCutFailsWithOneErrorPerClassLevel) {
  using test::ClassPart;
  const ClassPart object = [](ByteWriter& w) { w.Str("n").I32(0); };
  const ClassPart node = [](ByteWriter& w) { NodeFields(w, -1); };
  const ClassPart camera = [](ByteWriter& w) { w.F32(1).F32(0.5f).F32(100); };
  const ClassPart floats = [](ByteWriter& w) {
    for (int i = 0; i < 4; ++i) w.F32(0.5f);
  };
  test::ExpectOneErrorPerLevel("YNX.SceneNode",
                               {object, node, [](ByteWriter& w) { w.I32(0).I32(0).I32(2); }});
  test::ExpectOneErrorPerLevel(
      "YNX.FPCamera", {object, node, camera, [](ByteWriter& w) { w.F32(2).F32(3).I8(1); }});
  test::ExpectOneErrorPerLevel("YNX.Light", {object, node, [&](ByteWriter& w) {
                                               w.I32(2);
                                               for (int i = 0; i < 3; ++i) floats(w);
                                               w.F32(1).F32(0).F32(0).I8(1).F32(1).F32(1);
                                             }});
  test::ExpectOneErrorPerLevel("YNX.Triangles", {object, node, [](ByteWriter& w) {
                                                   for (int i = 0; i < 15; ++i) w.I32(-1);
                                                   w.I32(0);
                                                 }});
  test::ExpectOneErrorPerLevel("YNX.SphereBoundingVolume", {object, floats});
  test::ExpectOneErrorPerLevel("YNX.Vector3Buffer", {object, [](ByteWriter& w) {
                                                       w.I32(2);
                                                       for (int i = 0; i < 6; ++i) w.F32(1);
                                                     }});
  test::ExpectOneErrorPerLevel("YNX.TestGeometryEffect", {object, [&](ByteWriter& w) {
                                                            w.I8(0x05);
                                                            for (int i = 0; i < 4; ++i) floats(w);
                                                            w.F32(8).I8(1).I32(128).I8(0x11);
                                                            w.I32(4).I32(5).I8(1);
                                                            floats(w);
                                                            w.F32(0.01f).F32(3).I8(1);
                                                            w.F32(0.1f).F32(2).I32(-1);
                                                          }});
}

}  // namespace
}  // namespace ynx
