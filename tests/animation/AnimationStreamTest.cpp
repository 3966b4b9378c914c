// Stored layouts of animations, animation controllers, skin and skeleton
// controllers: hand-assembled streams load into the expected fields and save
// back byte for byte, a stream cut at a field fails with that field's
// message, and hostile streams fail cleanly.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/animation/NodeAnimation.h"
#include "engine/animation/NodeAnimationController.h"
#include "engine/animation/SkeletonAnimationController.h"
#include "engine/animation/SkinController.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"
#include "tests/scene/SceneTestClasses.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/CutStreams.h"

namespace ynx {
namespace {

using test::ByteWriter;
using test::Cut;
using test::ExpectCutsFail;
using test::NodeFields;
using test::ReadOne;
using test::SameBytes;
using test::Written;

// The times of the shipped bone animation's 15 keys (the first three and
// the last as the file has them).
const std::vector<double> BONE_KEY_TIMES = {0.0,    0.0709, 0.1493, 0.2141, 0.2866,
                                            0.3582, 0.4254, 0.5,    0.5746, 0.6418,
                                            0.7134, 0.7859, 0.8507, 0.9291, 1.0};

ByteWriter& NodeKey(ByteWriter& w, double time, float x) {
  w.F64(time).F32(x).F32(0).F32(0);
  w.F32(0).F32(0).F32(0).F32(1);
  return w.F32(1).F32(1).F32(1);
}

ByteWriter& BoneAnimation(ByteWriter& w, int32_t id, const std::vector<double>& times) {
  w.Head(id, "YNX.NodeAnimation", "Animation 0").I32(static_cast<int32_t>(times.size()));
  for (size_t i = 0; i < times.size(); ++i) NodeKey(w, times[i], static_cast<float>(i));
  return w;
}

// An inactive bone controller playing one animation in loop mode over the
// whole track.
ByteWriter& BoneController(ByteWriter& w, int32_t id, int32_t animationId,
                           const std::vector<double>& times, double period) {
  w.Head(id, "YNX.NodeAnimationController", "").I8(0).I32(1);
  BoneAnimation(w, animationId, times);
  w.I32(1).I32(animationId).I32(1).F64(0).F64(1).F64(1).F64(0);
  return w.F64(period);
}

TEST(AnimationStreamTest, TheShippedBoneControllerLoadsAndSavesBack) {
  const auto bytes = [](int32_t controller, int32_t animation) {
    ByteWriter w;
    return BoneController(w, controller, animation, BONE_KEY_TIMES, 53.6);
  };
  int32_t state = 1;
  Ptr<Object> loaded = ReadOne(bytes(500, 501), &state);
  ASSERT_EQ(state, 0);
  ASSERT_EQ(loaded->GetType().GetName(), "YNX.NodeAnimationController");
  auto* controller = static_cast<NodeAnimationController*>(loaded.Get());
  EXPECT_EQ(controller->GetName(), "");
  EXPECT_EQ(controller->GetControllerCount(), 0);
  EXPECT_FALSE(controller->IsActive());
  ASSERT_EQ(controller->GetAnimationCount(), 1);
  auto* animation = static_cast<NodeAnimation*>(controller->GetAnimation(0));
  EXPECT_EQ(animation->GetName(), "Animation 0");
  ASSERT_EQ(animation->GetKeyCount(), 15);
  EXPECT_EQ(animation->GetKey(1).time, 0.0709);
  EXPECT_EQ(animation->GetKey(14).time, 1.0);
  EXPECT_EQ(animation->GetNodeKey(3).translation, (Vector3{3, 0, 0}));
  EXPECT_EQ(animation->GetNodeKey(3).scale, (Vector3{1, 1, 1}));
  ASSERT_EQ(controller->GetFrameCount(), 1);
  const AnimationFrame& frame = controller->GetFrame(0);
  EXPECT_EQ(frame.animation.Get(), animation);
  EXPECT_EQ(frame.mode, AnimationFrame::MODE_LOOP);
  EXPECT_EQ(frame.start, 0.0);
  EXPECT_EQ(frame.end, 1.0);
  EXPECT_EQ(frame.speed, 1.0);
  EXPECT_EQ(frame.offset, 0.0);
  EXPECT_EQ(controller->GetPeriod(), 53.6);
  EXPECT_EQ(controller->GetStageCount(), 0);
  EXPECT_EQ(controller->GetPhase(), 0.0);
  EXPECT_TRUE(
      SameBytes(Written(controller), bytes(controller->GetID(), animation->GetID()).Bytes()));
}

TEST(AnimationStreamTest, TheShippedSkeletonControllerLoadsItsSevenBoneControllers) {
  const auto bytes = [](int32_t skeleton, const std::vector<int32_t>& bones) {
    ByteWriter w;
    w.Head(skeleton, "YNX.SkeletonAnimationController", "").I8(1).I32(0).I32(0).F64(0.0);
    w.I32(7);
    for (int32_t bone = 0; bone < 7; ++bone) {
      BoneController(w, bones[2 * bone], bones[2 * bone + 1], {0.0, 0.5}, 12.0 + bone);
    }
    return w;
  };
  std::vector<int32_t> fileIds;
  for (int32_t id = 0; id < 14; ++id) fileIds.push_back(900 + id);
  int32_t state = 1;
  Ptr<Object> loaded = ReadOne(bytes(899, fileIds), &state);
  ASSERT_EQ(state, 0);
  auto* skeleton = static_cast<SkeletonAnimationController*>(loaded.Get());
  EXPECT_TRUE(skeleton->IsActive());
  EXPECT_EQ(skeleton->GetAnimationCount(), 0);
  EXPECT_EQ(skeleton->GetFrameCount(), 0);
  EXPECT_EQ(skeleton->GetPeriod(), 0.0);
  ASSERT_EQ(skeleton->GetBoneControllerCount(), 7);
  std::vector<int32_t> ids;
  for (int32_t bone = 0; bone < 7; ++bone) {
    NodeAnimationController* controller = skeleton->GetBoneController(bone);
    EXPECT_FALSE(controller->IsActive());
    EXPECT_EQ(controller->GetPeriod(), 12.0 + bone);
    ids.push_back(controller->GetID());
    ids.push_back(controller->GetAnimation(0)->GetID());
  }
  EXPECT_TRUE(SameBytes(Written(skeleton), bytes(skeleton->GetID(), ids).Bytes()));
}

// Two bones (scene nodes), their offsets, weights and indices for three
// vertices, bind positions shared as the bind normals, no tangents.
ByteWriter SkinBytes(const std::vector<int32_t>& id) {
  ByteWriter w;
  w.Head(id[0], "YNX.SkinController", "skin").I8(1).I32(2);
  for (int bone = 0; bone < 2; ++bone) {
    w.Head(id[1 + bone], "YNX.SceneNode", bone == 0 ? "hip" : "knee");
    NodeFields(w, -1).I32(0).I32(0).I32(2);
  }
  const Transformation offsets[2] = {
      Transformation({0, -1, 0}, Quaternion(), {1, 1, 1}),
      Transformation({0, -2, 0}, {0.0f, 0.6f, 0.0f, 0.8f}, {2, 2, 2})};
  for (const Transformation& offset : offsets) {
    w.Raw(&offset.scale, 12).Raw(&offset.rotation, 16).Raw(&offset.translation, 12);
  }
  w.Head(id[3], "YNX.Vector4Buffer", "weights").I32(3);
  for (float f : {1.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.5f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f}) w.F32(f);
  w.Head(id[4], "YNX.Vector4Buffer", "indices").I32(3);
  for (float f : {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f}) w.F32(f);
  w.Head(id[5], "YNX.Vector3Buffer", "bind").I32(3);
  for (float f : {0.0f, 1.0f, 0.0f, 0.0f, 2.0f, 0.0f, 0.0f, 3.0f, 0.0f}) w.F32(f);
  return w.I32(id[5]).I32(-1);
}

TEST(AnimationStreamTest, ASkinControllerLoadsItsBonesAndBuffersAndSavesBack) {
  int32_t state = 1;
  Ptr<Object> loaded = ReadOne(SkinBytes({10, 11, 12, 13, 14, 15}), &state);
  ASSERT_EQ(state, 0);
  auto* skin = static_cast<SkinController*>(loaded.Get());
  EXPECT_TRUE(skin->IsActive());
  ASSERT_EQ(skin->GetBoneCount(), 2);
  EXPECT_EQ(skin->GetBone(1)->GetName(), "knee");
  const Transformation& knee = skin->GetBoneOffset(1);
  EXPECT_EQ(knee.rotation, (Quaternion{0.0f, 0.6f, 0.0f, 0.8f}));
  EXPECT_EQ(knee.translation, (Vector3{0, -2, 0}));
  EXPECT_FALSE(knee.identity || knee.rotationFree);
  EXPECT_EQ(skin->GetBoneMatrices()[1], Matrix4::Identity()) << "identity until the first update";
  EXPECT_EQ(skin->GetBonePositions()->GetCount(), 2);
  EXPECT_EQ(skin->GetWeights()->GetElements()[1], (Vector4{0.5f, 0.5f, 0.0f, 0.0f}));
  EXPECT_EQ(skin->GetBoneIndices()->GetCount(), 3);
  EXPECT_EQ(skin->GetBindNormals(), skin->GetBindVertices());
  EXPECT_EQ(skin->GetBindTangents(), nullptr);
  EXPECT_TRUE(SameBytes(
      Written(skin), SkinBytes({skin->GetID(), skin->GetBone(0)->GetID(), skin->GetBone(1)->GetID(),
                                skin->GetWeights()->GetID(), skin->GetBoneIndices()->GetID(),
                                skin->GetBindVertices()->GetID()})
                         .Bytes()));
}

std::string Load(const char* text) { return std::string("Невозможно загрузить ") + text; }
std::string Save(const char* text) { return std::string("Невозможно сохранить ") + text; }

TEST(AnimationStreamTest, AnimationControllersFailAtTheCutField) {
  ByteWriter w;
  std::vector<Cut> cuts;
  w.Head(1, "YNX.NodeAnimationController", "c");
  cuts.push_back({w.Size(), Load("флаг активности контроллера. ID["),
                  Save("флаг активности контроллера. Имя[")});
  w.I8(1);
  cuts.push_back({w.Size(), Load("количество анимаций. ID["), Save("количество анимаций. Имя[")});
  w.I32(1);
  w.Head(2, "YNX.NodeAnimation", "a");
  cuts.push_back({w.Size(), Load("анимацию. Имя["), Save("анимацию. Имя[")});
  cuts.push_back({w.Size(), Load("количество кифреймов анимации. ID["),
                  Save("количество кифреймов анимации. Имя[")});
  w.I32(3);
  NodeKey(w, 0.0, 0.0f);
  cuts.push_back(
      {w.Size(), Load("родительские данные кифрейма."), Save("родительские данные кифрейма.")});
  cuts.push_back({w.Size(), Load("кифрейм анимации. Имя["), Save("кифрейм анимации. Имя[")});
  w.F64(0.5);
  cuts.push_back({w.Size(), Load("данные кифрейма."), Save("данные кифрейма.")});
  w.F32(1).F32(0).F32(0).F32(0).F32(0).F32(0).F32(1).F32(1).F32(1).F32(1);
  NodeKey(w, 1.0, 2.0f);
  cuts.push_back({w.Size(), Load("количество фреймов анимаций. ID["),
                  Save("количество фреймов анимаций. Имя[")});
  w.I32(1);
  // Cut inside the frames, the count is refused before they are read: the
  // frame's own messages show on saving only.
  cuts.push_back({w.Size(), Load(""), Save("анимацию фрейма анимации.")});
  cuts.push_back({w.Size(), Load(""), Save("фрейм анимаций. Имя[")});
  w.I32(2);
  cuts.push_back({w.Size(), Load(""), Save("данные стадии блендинга анимации.")});
  w.I32(2).F64(0).F64(1).F64(1).F64(0);
  cuts.push_back({w.Size(), Load("период трэка. ID["), Save("период трэка. Имя[")});
  w.F64(10.0);
  ExpectCutsFail(w, cuts);
}

TEST(AnimationStreamTest, SkinAndSkeletonControllersFailAtTheCutField) {
  ByteWriter skin;
  std::vector<Cut> cuts;
  skin.Head(1, "YNX.SkinController", "s").I8(0);
  cuts.push_back({skin.Size(), Load("количество костей. ID["), Save("количество костей. Имя[")});
  skin.I32(2);
  cuts.push_back({skin.Size(), Load(""), Save("кость. Имя[")});
  for (int bone = 0; bone < 2; ++bone) {
    skin.Head(2 + bone, "YNX.SceneNode", "b");
    NodeFields(skin, -1).I32(0).I32(0).I32(2);
  }
  skin.Raw(std::vector<float>{1, 1, 1, 0, 0, 0, 1, 0, 0, 0}.data(), 40);
  // The count was checked against bytes that the bones' definitions filled.
  cuts.push_back({skin.Size(), Load("кость. ID["), Save("кость. Имя[")});
  skin.Raw(std::vector<float>{1, 1, 1, 0, 0, 0, 1, 0, 0, 0}.data(), 40);
  const struct {
    const char* type;
    const char* field;
  } buffers[] = {{"YNX.Vector4Buffer", "веса. Имя["},
                 {"YNX.Vector4Buffer", "индексы. Имя["},
                 {"YNX.Vector3Buffer", "вершины. Имя["},
                 {"YNX.Vector3Buffer", "нормали. Имя["},
                 {"YNX.Vector3Buffer", "тангенсы. Имя["}};
  int32_t id = 10;
  for (const auto& buffer : buffers) {
    cuts.push_back({skin.Size(), Load(buffer.field), Save(buffer.field)});
    skin.Head(id++, buffer.type, "v").I32(0);
  }
  ExpectCutsFail(skin, cuts);

  cuts.clear();
  ByteWriter skeleton;
  skeleton.Head(1, "YNX.SkeletonAnimationController", "k").I8(1).I32(0).I32(0).F64(0);
  cuts.push_back({skeleton.Size(), Load("количество контроллеров анимации костей. ID["),
                  Save("количество контроллеров анимации костей. Имя[")});
  skeleton.I32(2);
  BoneController(skeleton, 2, 3, {0.0}, 1.0);
  cuts.push_back({skeleton.Size(), Load("контроллер анимации костей. Имя["),
                  Save("контроллер анимации костей. Имя[")});
  BoneController(skeleton, 4, 5, {0.0}, 1.0);
  ExpectCutsFail(skeleton, cuts);
}

struct Hostile {
  const char* what;
  ByteWriter bytes;
  std::vector<std::string> lines;
};

TEST(AnimationStreamTest, HostileStreamsFailCleanly) {
  std::vector<Hostile> cases;
  const auto controller = [](const char* type) {
    ByteWriter w;
    w.Head(1, type, "c").I8(1);
    return w;
  };
  cases.push_back({"negative key count",
                   ByteWriter().Head(1, "YNX.NodeAnimation", "a").I32(-1),
                   {"WARNING. Неправильное количество элементов в потоке [-1].",
                    "ERROR. Невозможно загрузить количество кифреймов анимации. ID[*] Имя[a]"}});
  cases.push_back({"absurd key count",
                   ByteWriter().Head(1, "YNX.NodeAnimation", "a").I32(0x7FFFFFFF).F64(0),
                   {"ERROR. Невозможно загрузить количество кифреймов анимации. ID[*] Имя[a]"}});
  cases.push_back({"absurd animation count",
                   controller("YNX.NodeAnimationController").I32(0x40000000).I32(-1),
                   {"ERROR. Невозможно загрузить количество анимаций. ID[*] Имя[c]"}});
  ByteWriter fewFrames = controller("YNX.NodeAnimationController");
  fewFrames.I32(0).I32(2).I32(-1).I32(1).F64(0).F64(1).F64(1).F64(0).I32(-1);
  cases.push_back({"more frames than bytes",
                   fewFrames,
                   {"ERROR. Невозможно загрузить количество фреймов анимаций. ID[*] Имя[c]"}});
  ByteWriter bufferFrame = controller("YNX.NodeAnimationController").I32(0).I32(1);
  bufferFrame.Head(2, "YNX.Vector3Buffer", "v").I32(0);
  bufferFrame.I32(1).F64(0).F64(1).F64(1).F64(0).F64(1);
  cases.push_back({"a buffer as a frame's animation",
                   bufferFrame,
                   {"ERROR. Невозможно загрузить анимацию фрейма анимации.",
                    "ERROR. Невозможно загрузить фрейм анимаций. Имя[c] ID[*]"}});
  ByteWriter truncatedNumbers = controller("YNX.NodeAnimationController").I32(0).I32(1);
  BoneAnimation(truncatedNumbers, 2, {0.0}).I32(1).F64(0);
  cases.push_back({"a frame cut inside its numbers",
                   truncatedNumbers,
                   {"ERROR. Невозможно загрузить данные стадии блендинга анимации."}});
  cases.push_back({"negative bone count",
                   controller("YNX.SkinController").I32(-5),
                   {"ERROR. Невозможно загрузить количество костей. ID[*] Имя[c]"}});
  ByteWriter animationBone = controller("YNX.SkinController").I32(1);
  BoneAnimation(animationBone, 2, {0.0}).Raw(std::vector<float>(10).data(), 40);
  cases.push_back({"an animation as a bone",
                   animationBone,
                   {"ERROR. Неверный тип объекта. RTTI[YNX.NodeAnimation] ID[2] Ожидался[YNX.Node]",
                    "ERROR. Невозможно загрузить кость. ID[*]"}});
  ByteWriter wrongWeights = controller("YNX.SkinController").I32(0);
  wrongWeights.Head(2, "YNX.Vector3Buffer", "w").I32(0).I32(-1).I32(-1).I32(-1).I32(-1);
  cases.push_back({"three-component weights",
                   wrongWeights,
                   {"ERROR. Невозможно загрузить веса. Имя[c] ID[*]"}});
  ByteWriter nested = controller("YNX.SkeletonAnimationController").I32(0).I32(0).F64(0).I32(1);
  nested.Head(2, "YNX.SkeletonAnimationController", "n").I8(0).I32(0).I32(0).F64(0).I32(0);
  cases.push_back({"a skeleton as a bone controller",
                   nested,
                   {"ERROR. Невозможно загрузить контроллер анимации костей. Имя[c] ID[*]"}});
  cases.push_back({"absurd bone-controller count",
                   controller("YNX.SkeletonAnimationController").I32(0).I32(0).F64(0).I32(1 << 30),
                   {"ERROR. Невозможно загрузить количество контроллеров анимации костей. ID[*] "
                    "Имя[c]"}});

  for (const Hostile& bad : cases) {
    SCOPED_TRACE(bad.what);
    test::CapturedLog log;
    int32_t state = 0;
    EXPECT_FALSE(ReadOne(bad.bytes, &state));
    EXPECT_EQ(state, 1);
    for (const std::string& expected : bad.lines) {
      const size_t star = expected.find('*');
      bool found = false;
      for (const std::string& line : log.Lines()) {
        found =
            found || (star == std::string::npos
                          ? line == expected
                          : line.compare(0, star, expected, 0, star) == 0 && line.size() > star &&
                                line.substr(line.find(']', star)) == expected.substr(star + 1));
      }
      EXPECT_TRUE(found) << "missing line: " << expected;
    }
  }
}

TEST(AnimationStreamTest, EveryCutFailsWithOneErrorPerClassLevel) {
  using test::ClassPart;
  const ClassPart object = [](ByteWriter& w) { w.Str("n").I32(0); };
  const ClassPart controller = [](ByteWriter& w) { w.I8(1); };
  const ClassPart track = [](ByteWriter& w) { w.I32(0).I32(0).F64(5); };
  test::ExpectOneErrorPerLevel("YNX.NodeAnimation", {object, [](ByteWriter& w) { w.I32(0); }});
  test::ExpectOneErrorPerLevel("YNX.NodeAnimationController", {object, controller, track});
  test::ExpectOneErrorPerLevel("YNX.SkeletonAnimationController",
                               {object, controller, track, [](ByteWriter& w) { w.I32(0); }});
  test::ExpectOneErrorPerLevel("YNX.SkinController", {object, controller, [](ByteWriter& w) {
                                                        w.I32(0);
                                                        for (int i = 0; i < 5; ++i) w.I32(-1);
                                                      }});
}

}  // namespace
}  // namespace ynx
