// Skinning: the weighted sum of bone influences, the bound around the bones,
// the conditions that leave a mesh untouched, the vector form against the
// scalar one, and skeleton controllers driving their bone controllers.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "engine/animation/NodeAnimation.h"
#include "engine/animation/NodeAnimationController.h"
#include "engine/animation/SkeletonAnimationController.h"
#include "engine/animation/SkinController.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"

namespace ynx {
namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

struct Vertex {
  Vector3 bind;
  Vector4 weights;
  Vector4 indices;
};

// Bones (scene nodes placed by `bones`) and then the skinned mesh under one
// root, so that the bones are updated before the mesh.
struct Rig {
  Rig(const std::vector<Transformation>& placements, const std::vector<Vertex>& vertices) {
    root = new SceneNode(String("root"), 0, 4);
    skin = new SkinController(String("skin"));
    for (const Transformation& placement : placements) {
      auto* bone = new SceneNode(String("bone"), 0, 1);
      bone->SetLocalTransform(placement);
      root->AppendChild(bone);
      bones.push_back(bone);
      skin->AddBone(bone, Transformation());
    }
    const auto count = static_cast<int32_t>(vertices.size());
    auto* bind = new Vector3Buffer(count);
    auto* weights = new Vector4Buffer(count);
    auto* indices = new Vector4Buffer(count);
    for (int32_t i = 0; i < count; ++i) {
      bind->GetElements()[i] = vertices[i].bind;
      weights->GetElements()[i] = vertices[i].weights;
      indices->GetElements()[i] = vertices[i].indices;
    }
    skin->SetBindVertices(bind);
    skin->SetWeights(weights);
    skin->SetBoneIndices(indices);
    mesh = new Triangles();
    mesh->SetVertices(new Vector3Buffer(count));
    mesh->AttachController(skin.Get());
    root->AppendChild(mesh.Get());
  }

  Vector3 Position(int32_t vertex) const { return mesh->GetVertices()->GetElements()[vertex]; }
  Vector3 Through(int32_t bone, const Vector3& p) const {
    return bones[static_cast<size_t>(bone)]->GetWorldTransform().TransformPoint(p);
  }

  Ptr<SceneNode> root;
  std::vector<SceneNode*> bones;
  Ptr<Triangles> mesh;
  Ptr<SkinController> skin;
};

void ExpectNear(const Vector3& actual, const Vector3& expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-4f);
  EXPECT_NEAR(actual.y, expected.y, 1e-4f);
  EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

const std::vector<Transformation> THREE_BONES = {
    Transformation({10, 0, 0}, {}, {1, 1, 1}),
    Transformation({0, 20, 0}, {0.0f, 0.6f, 0.0f, 0.8f}, {1, 1, 1}),
    Transformation({0, 0, 30}, {0.6f, 0.0f, 0.0f, 0.8f}, {2, 2, 2})};

TEST(SkinControllerTest, InfluencesSumByWeight) {
  const Vector3 p{1, 2, 3};
  Rig rig(THREE_BONES, {{p, {1, 0, 0, 0}, {2, 0, 0, 0}},
                        {p, {0, 0.5f, 0.5f, 0}, {0, 1, 2, 0}},
                        {p, {0.5f, 0.5f, 0.25f, 0.25f}, {1, 99, -3, NaN}},
                        {p, {0.5f, 0.5f, 0, 0}, {1.9f, 3, 0, 0}}});
  rig.skin->AddBone(nullptr, Transformation({5, 0, 0}, {}, {1, 1, 1}));
  rig.root->UpdateRecursive(0.016, true);

  ExpectNear(rig.Position(0), rig.Through(2, p));
  // Influence 0 is applied with weight 0 and so adds nothing.
  ExpectNear(rig.Position(1), (rig.Through(1, p) + rig.Through(2, p)) * 0.5f);
  // Indices outside the bones (99, -3, NaN) contribute nothing.
  ExpectNear(rig.Position(2), rig.Through(1, p) * 0.5f);
  // 1.9 truncates to bone 1; a null bone stands at the origin, unturned.
  ExpectNear(rig.Position(3), rig.Through(1, p) * 0.5f + Vector3{6, 2, 3} * 0.5f);

  // The positions are in world space: the mesh's world transformation is the
  // identity and stays so however its parent moves.
  EXPECT_TRUE(rig.mesh->GetWorldTransform().identity);
  EXPECT_FALSE(rig.mesh->GetUpdateWorldTransform());
  rig.root->SetLocalTransform(Transformation({0, 100, 0}, {}, {1, 1, 1}));
  rig.root->UpdateRecursive(0.016, true);
  EXPECT_TRUE(rig.mesh->GetWorldTransform().identity);
  ExpectNear(rig.Position(0), rig.Through(2, p));
}

TEST(SkinControllerTest, MismatchedDataLeavesTheMeshUntouched) {
  const std::vector<Vertex> two = {{{1, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 0}},
                                   {{0, 1, 0}, {1, 0, 0, 0}, {0, 0, 0, 0}}};
  const auto untouched = [](Rig& rig) {
    rig.mesh->GetVertices()->GetElements()[0] = {7, 7, 7};
    rig.root->UpdateRecursive(0.016, true);
    EXPECT_EQ(rig.Position(0), (Vector3{7, 7, 7}));
    EXPECT_TRUE(rig.mesh->GetUpdateWorldTransform());
  };
  {
    SCOPED_TRACE("bind positions of another count");
    Rig rig(THREE_BONES, two);
    rig.mesh->SetVertices(new Vector3Buffer(3));
    untouched(rig);
  }
  {
    SCOPED_TRACE("weights of another count");
    Rig rig(THREE_BONES, two);
    rig.skin->SetWeights(new Vector4Buffer(1));
    untouched(rig);
  }
  {
    SCOPED_TRACE("no indices");
    Rig rig(THREE_BONES, two);
    rig.skin->SetBoneIndices(nullptr);
    untouched(rig);
  }
  {
    SCOPED_TRACE("no bones");
    Rig rig({}, two);
    untouched(rig);
  }
  {
    SCOPED_TRACE("owner is not geometry");
    Rig rig(THREE_BONES, two);
    Ptr<SceneNode> group(new SceneNode(String("g"), 0, 1));
    rig.mesh->DetachAllControllers();
    group->AttachController(rig.skin.Get());
    group->UpdateRecursive(0.016, false);
    EXPECT_TRUE(group->GetUpdateWorldBound());
  }
}

TEST(SkinControllerTest, TheBoundIsTheBonesSpreadOneAndAHalfTimes) {
  const std::vector<Transformation> bones = {Transformation({0, 0, 0}, {}, {1, 1, 1}),
                                             Transformation({4, 0, 0}, {}, {1, 1, 1}),
                                             Transformation({0, 2, 0}, {}, {1, 1, 1})};
  Rig rig(bones, {{{100, 100, 100}, {1, 0, 0, 0}, {0, 0, 0, 0}}});
  rig.root->UpdateRecursive(0.016, true);
  const auto* bound = static_cast<const SphereBoundingVolume*>(rig.mesh->GetWorldBound());
  EXPECT_EQ(bound->GetCenter(), (Vector3{2, 1, 0}));
  EXPECT_FLOAT_EQ(bound->GetRadius(), 1.5f * std::sqrt(5.0f));
  EXPECT_FALSE(rig.mesh->GetUpdateWorldBound());
  EXPECT_EQ(rig.skin->GetBonePositions()->GetElements()[1], (Vector3{4, 0, 0}));

  // Skinning on the device: the positions stay, the bound still follows.
  rig.skin->SetActive(false);
  rig.mesh->GetVertices()->GetElements()[0] = {7, 7, 7};
  rig.bones[1]->SetLocalTransform(Transformation({8, 0, 0}, {}, {1, 1, 1}));
  rig.root->UpdateRecursive(0.016, true);
  EXPECT_EQ(bound->GetCenter(), (Vector3{4, 1, 0}));
  EXPECT_EQ(rig.Position(0), (Vector3{7, 7, 7}));
  EXPECT_EQ(rig.skin->GetBoneMatrices()[1].m[12], 8.0f);
}

// Random affine bones and influences (negative weights, indices outside the
// bones): both forms give the same positions.
TEST(SkinControllerTest, VectorAndScalarFormsAgree) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  constexpr int32_t BONES = 40;
  constexpr int32_t VERTICES = 2000;
  std::vector<Matrix4> matrices;
  for (int32_t bone = 0; bone < BONES; ++bone) {
    Quaternion turn{unit(random), unit(random), unit(random), unit(random)};
    const float length =
        std::sqrt(turn.x * turn.x + turn.y * turn.y + turn.z * turn.z + turn.w * turn.w);
    turn = {turn.x / length, turn.y / length, turn.z / length, turn.w / length};
    const float size = 1.5f + unit(random);
    matrices.push_back(Transformation({unit(random) * 50, unit(random) * 50, unit(random) * 50},
                                      turn, {size, size, size})
                           .ToMatrix4());
  }
  std::vector<Vector3> positions;
  std::vector<Vector4> weights;
  std::vector<Vector4> indices;
  std::uniform_int_distribution<int32_t> anyBone(-2, BONES + 2);
  for (int32_t i = 0; i < VERTICES; ++i) {
    positions.push_back({unit(random) * 10, unit(random) * 10, unit(random) * 10});
    // Negative weights tell the rules apart: influence 0 counts, the others
    // do not.
    weights.push_back({unit(random), unit(random), unit(random), unit(random)});
    indices.push_back({static_cast<float>(anyBone(random)), static_cast<float>(anyBone(random)),
                       static_cast<float>(anyBone(random)), static_cast<float>(anyBone(random))});
  }
  const SkinController::Influences job{positions.data(), weights.data(),  indices.data(),
                                       VERTICES,         matrices.data(), BONES};
  std::vector<Vector3> scalar(VERTICES);
  std::vector<Vector3> vector(VERTICES);
  SkinController::SkinScalar(job, scalar.data());
  SkinController::SkinVector(job, vector.data());
  for (int32_t i = 0; i < VERTICES; ++i) {
    SCOPED_TRACE(i);
    const float tolerance = 1e-5f * (1.0f + scalar[i].Length());
    ASSERT_NEAR(vector[i].x, scalar[i].x, tolerance);
    ASSERT_NEAR(vector[i].y, scalar[i].y, tolerance);
    ASSERT_NEAR(vector[i].z, scalar[i].z, tolerance);
  }
}

Ptr<NodeAnimation> Pose(const char* name, float x) {
  Ptr<NodeAnimation> animation(new NodeAnimation(String(name)));
  animation->AddNodeKey(0.0, {0, 0, 0}, {}, {1, 1, 1});
  animation->AddNodeKey(0.5, {x, 0, 0}, {}, {1, 1, 1});
  return animation;
}

TEST(SkeletonAnimationControllerTest, BoneControllersPlayOncePerFrameAndFollowTheSkeleton) {
  Ptr<SceneNode> root(new SceneNode(String("root"), 0, 2));
  Ptr<SkeletonAnimationController> skeleton(new SkeletonAnimationController());
  root->AttachController(skeleton.Get());
  std::vector<NodeAnimationController*> bones;
  for (int32_t index = 0; index < 2; ++index) {
    auto* bone = new SceneNode(String("bone"), 0, 1);
    root->AppendChild(bone);
    auto* controller = new NodeAnimationController();
    Ptr<NodeAnimation> walk = Pose("walk", 4.0f);
    controller->AddAnimation(walk.Get());
    if (index == 1) controller->AddAnimation(Pose("run", 8.0f).Get());
    controller->AddFrame(AnimationFrame{walk, 1, 0.0, 1.0, 1.0, 0.0});
    controller->SetPeriod(1.0);
    controller->SetActive(false);
    bone->AttachController(controller);
    skeleton->AddBoneController(controller);
    bones.push_back(controller);
  }

  root->UpdateRecursive(0.25, true);
  for (NodeAnimationController* bone : bones) {
    EXPECT_EQ(bone->GetPhase(), 0.25) << "played by the skeleton only, not by its bone";
    EXPECT_FALSE(bone->IsActive());
    EXPECT_EQ(static_cast<Node*>(bone->GetOwner())->GetLocalTransform().translation.x, 2.0f);
  }

  Ptr<NodeAnimation> shared = Pose("shared", 1.0f);
  skeleton->SetStageAnimation(shared.Get(), 1, 0.7f);
  EXPECT_EQ(bones[0]->GetStage(1).animation, shared);
  skeleton->SetStageAnimationByName(String("run"), 1, 0.4f);
  EXPECT_EQ(bones[1]->GetStage(1).animation->GetName(), "run");
  EXPECT_EQ(bones[1]->GetStage(1).weight, 0.4f);
  EXPECT_FALSE(bones[0]->GetStage(1).animation) << "no animation of that name";
  EXPECT_EQ(bones[0]->GetStage(1).weight, 0.7f) << "and its weight as it was";
  EXPECT_EQ(skeleton->GetStage(1).weight, 0.4f);

  skeleton->SetStageWeight(1, 0.2f);
  EXPECT_EQ(bones[0]->GetStage(1).weight, 0.2f);
  EXPECT_EQ(bones[1]->GetStage(1).weight, 0.2f);
  skeleton->SetStageWeight(4, 0.1f);
  EXPECT_EQ(bones[0]->GetStageCount(), 2);

  skeleton->Reset();
  EXPECT_EQ(skeleton->GetStageCount(), 0);
  for (NodeAnimationController* bone : bones) {
    EXPECT_EQ(bone->GetStageCount(), 0);
    EXPECT_EQ(bone->GetPhase(), 0.25) << "phases are left as they are";
  }

  // An inactive skeleton plays nothing.
  skeleton->SetActive(false);
  root->UpdateRecursive(0.25, true);
  EXPECT_EQ(bones[0]->GetPhase(), 0.25);
}

}  // namespace
}  // namespace ynx
