// The frame traversal (controllers, transforms parent-first, bounds on the
// way back), and the tree rules that keep a hostile file from making the
// hierarchy loop, share nodes, dangle or nest without end.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/scene/Points.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "tests/scene/SceneTestClasses.h"
#include "tests/support/CapturedLog.h"

namespace ynx {
namespace {

using test::ByteWriter;
using test::CountedGroup;
using test::NodeFields;
using test::ReadOne;
using test::TraceController;
using test::TracedGroup;

SphereBoundingVolume* Sphere(const Node& node) {
  return static_cast<SphereBoundingVolume*>(node.GetWorldBound());
}

TEST(HierarchyTest, FrameUpdateOrder) {
  std::vector<std::string> trace;
  Ptr<TracedGroup> root(new TracedGroup("root", trace));
  Ptr<TracedGroup> a(new TracedGroup("a", trace));
  Ptr<TracedGroup> leaf(new TracedGroup("leaf", trace));
  Ptr<TracedGroup> b(new TracedGroup("b", trace));
  ASSERT_EQ(root->AppendChild(a.Get()), 0);
  ASSERT_EQ(root->AppendChild(nullptr), 0) << "empty slots are skipped";
  ASSERT_EQ(root->AppendChild(b.Get()), 0);
  ASSERT_EQ(a->AppendChild(leaf.Get()), 0);
  for (TracedGroup* node : {root.Get(), a.Get(), leaf.Get(), b.Get()}) {
    node->AttachController(new TraceController(trace, "run"));
  }
  Ptr<test::TestSceneEffect> effect(new test::TestSceneEffect());
  root->AddEffect(effect.Get());

  root->UpdateRecursive(0.5, true);
  EXPECT_EQ(trace, (std::vector<std::string>{"run:root", "run:a", "run:leaf", "bound:leaf",
                                             "bound:a", "run:b", "bound:b", "bound:root"}));
  EXPECT_EQ(effect->updates, 1);

  trace.clear();
  leaf->UpdateRecursive(0.5, true);
  EXPECT_EQ(trace, (std::vector<std::string>{"run:leaf", "bound:leaf", "bound:a", "bound:root"}))
      << "every ancestor's bound, nearest first";
  trace.clear();
  leaf->UpdateRecursive(0.5, false);
  EXPECT_EQ(trace, (std::vector<std::string>{"run:leaf", "bound:leaf"}));
}

TEST(HierarchyTest, WorldTransformsFollowTheParent) {
  Ptr<SceneNode> root(new SceneNode(String("root"), 0, 1));
  Ptr<SceneNode> child(new SceneNode(String("child"), 0, 1));
  root->AppendChild(child.Get());
  const Transformation rootPlace({10, 0, 0}, {}, {2, 2, 2});
  root->SetLocalTransform(rootPlace);
  Transformation childPlace;
  childPlace.SetTranslation({1, 0, 0});
  child->SetLocalTransform(childPlace);
  root->UpdateRecursive(0.0, true);
  EXPECT_EQ(root->GetWorldTransform().translation, (Vector3{10, 0, 0})) << "no parent: a copy";
  EXPECT_EQ(child->GetWorldTransform().translation, (Vector3{12, 0, 0}));
  EXPECT_EQ(child->GetWorldTransform().scale, (Vector3{2, 2, 2}));

  child->SetUpdateWorldTransform(false);
  root->SetLocalTransform(Transformation({-5, 0, 0}, {}, {1, 1, 1}));
  root->UpdateRecursive(0.0, true);
  EXPECT_EQ(child->GetWorldTransform().translation, (Vector3{12, 0, 0}))
      << "a frozen node keeps its world transformation when its parent moves";
}

TEST(HierarchyTest, GroupBoundsMergeTheirChildren) {
  Ptr<SceneNode> root(new SceneNode(String("root"), 0, 2));
  Ptr<Points> left(new Points());
  Ptr<Points> right(new Points());
  root->AppendChild(left.Get());
  root->AppendChild(right.Get());
  static_cast<SphereBoundingVolume*>(left->GetModelBound())->Set({0, 0, 0}, 1);
  static_cast<SphereBoundingVolume*>(right->GetModelBound())->Set({3, 0, 0}, 1);
  root->UpdateRecursive(0.0, false);
  EXPECT_EQ(Sphere(*root)->GetCenter(), (Vector3{1.5f, 0, 0}));
  EXPECT_EQ(Sphere(*root)->GetRadius(), 2.5f);

  // With its flag off, neither a group nor a geometry node changes its bound.
  root->SetUpdateWorldBound(false);
  right->SetUpdateWorldBound(false);
  static_cast<SphereBoundingVolume*>(right->GetModelBound())->Set({9, 0, 0}, 1);
  root->UpdateRecursive(0.0, false);
  EXPECT_EQ(Sphere(*right)->GetCenter(), (Vector3{3, 0, 0}));
  EXPECT_EQ(Sphere(*root)->GetRadius(), 2.5f);

  // Children without a usable bound leave the group's bound as it was.
  Ptr<SceneNode> lonely(new SceneNode(String("lonely"), 2, 0));
  Sphere(*lonely)->Set({7, 7, 7}, 3);
  lonely->UpdateRecursive(0.0, false);
  EXPECT_EQ(Sphere(*lonely)->GetCenter(), (Vector3{7, 7, 7}));
}

TEST(HierarchyTest, ChildArraysGrowByTheirIncrementAndRefuseWhatIsNoTree) {
  Ptr<SceneNode> fixed(new SceneNode(String("fixed"), 1, 0));
  EXPECT_EQ(fixed->AppendChild(nullptr), 1) << "full with increment 0: ignored";
  EXPECT_EQ(fixed->GetSlotCount(), 1);
  Ptr<SceneNode> growing(new SceneNode(String("growing"), 0, 3));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(growing->AppendChild(nullptr), 0);
  EXPECT_EQ(growing->GetSlotCount(), 4);

  Ptr<SceneNode> a(new SceneNode(String("a"), 0, 2));
  Ptr<SceneNode> b(new SceneNode(String("b"), 0, 2));
  ASSERT_EQ(a->AppendChild(b.Get()), 0);
  EXPECT_EQ(b->AppendChild(a.Get()), 3) << "an ancestor";
  EXPECT_EQ(a->AppendChild(a.Get()), 3) << "itself";
  EXPECT_EQ(growing->AppendChild(b.Get()), 3) << "already a child elsewhere";
  EXPECT_EQ(fixed->SetChild(0, b.Get()), 3);
  EXPECT_EQ(fixed->SetChild(1, nullptr), 3) << "no such slot";

  // Releasing a slot clears the child's parent, so it can move.
  ASSERT_EQ(a->SetChild(0, nullptr), 0);
  EXPECT_EQ(b->GetParent(), nullptr);
  EXPECT_EQ(fixed->SetChild(0, b.Get()), 0);

  // Levels are bounded: a chain of MAX_DEPTH nodes takes no further level.
  std::vector<Ptr<SceneNode>> chain{new SceneNode(String("top"), 0, 1)};
  for (int32_t level = 1; level < Node::MAX_DEPTH; ++level) {
    chain.push_back(new SceneNode(String(), 0, 1));
    ASSERT_EQ(chain[level - 1]->AppendChild(chain[level].Get()), 0) << level;
  }
  Ptr<Points> tooDeep(new Points());
  EXPECT_EQ(chain.back()->AppendChild(tooDeep.Get()), 3);
  EXPECT_EQ(chain[1]->AppendChild(tooDeep.Get()), 0);
  chain.back()->UpdateRecursive(0.0, true);
}

// Hostile hierarchies, as a scene file could hold them: each must fail with
// status 1 and free every object the read made.
struct BadTree {
  const char* what;
  ByteWriter bytes;
};

// A node's fields after its parent: identity placement, a sphere, updated.
ByteWriter& NodeRest(ByteWriter& w) {
  const Transformation identity;
  w.Raw(&identity.scale, 12).Raw(&identity.rotation, 16).Raw(&identity.translation, 12);
  return w.I32(0).I8(1);
}

ByteWriter& Group(ByteWriter& w, int32_t id, int32_t parent, std::vector<int32_t> slots,
                  int32_t increment = 1) {
  w.Head(id, "YNX.CountedGroup", "g");
  NodeFields(w, parent).I32(0).I32(static_cast<int32_t>(slots.size())).I32(increment);
  return w;
}

// A group whose one controller holds a group `held` naming `id` its parent,
// followed by the slots.
ByteWriter& ControlledGroup(ByteWriter& w, int32_t id, int32_t held, std::vector<int32_t> slots) {
  w.Head(id, "YNX.CountedGroup", "g", 1);
  w.Head(100, "YNX.LinkController", "").I8(1);
  Group(w, held, id, {});
  NodeFields(w, -1).I32(0).I32(static_cast<int32_t>(slots.size())).I32(1);
  for (int32_t slot : slots) w.I32(slot);
  return w;
}

TEST(HierarchyTest, ANodeReachedFirstThroughAControllerLoadsWhenItsParentTakesIt) {
  ByteWriter w;
  ControlledGroup(w, 1, 2, {2});
  int32_t state = 1;
  Ptr<Object> loaded = ReadOne(w, &state);
  ASSERT_EQ(state, 0);
  auto* group = static_cast<SceneNode*>(loaded.Get());
  Node* child = group->GetChild(0);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->GetParent(), group);
  EXPECT_EQ(static_cast<test::LinkController*>(group->GetController(0))->link.Get(), child);
}

TEST(HierarchyTest, HostileTreesFailCleanly) {
  std::vector<BadTree> cases;
  {
    ByteWriter w;  // slots: a child, then the same child again
    Group(w, 1, -1, {0, 0});
    Group(w, 2, 1, {});
    cases.push_back({"a node in two slots", w.I32(2)});
  }
  {
    ByteWriter w;  // 1 -> 2 -> 3, and 3 holds 1
    Group(w, 1, -1, {0});
    Group(w, 2, 1, {0});
    Group(w, 3, 2, {0});
    cases.push_back({"its own ancestor", w.I32(1)});
  }
  {
    ByteWriter w;
    Group(w, 1, -1, {0});
    cases.push_back({"its own child", w.I32(1)});
  }
  {
    ByteWriter w;  // a controller of 1 holds 2, which names 1 its parent; 1 never takes it
    ControlledGroup(w, 1, 2, {-1});
    cases.push_back({"a parent that does not hold the node", w});
  }
  {
    ByteWriter w;  // 2 is held by 3 but names 1 its parent
    Group(w, 1, -1, {0});
    Group(w, 3, 1, {0});
    Group(w, 2, 1, {});
    cases.push_back({"a parent that is not the holder", w});
  }
  {
    ByteWriter w;  // 1's parent is 2, whose parent is 1
    w.Head(1, "YNX.CountedGroup", "g");
    Group(w, 2, 1, {});
    NodeRest(w).I32(0).I32(0).I32(1);
    cases.push_back({"parents that name each other", w});
  }
  {
    ByteWriter w;  // the child's parent is a node defined only there
    Group(w, 1, -1, {0});
    Group(w, 2, 3, {});
    Group(w, 3, -1, {2});
    cases.push_back({"a parent reached only through the link", w});
  }
  {
    ByteWriter w;
    Group(w, 1, -1, {0});
    w.Head(2, "YNX.Camera", "c");
    NodeFields(w, 2).F32(1).F32(1).F32(2);
    cases.push_back({"a parent that is itself", w});
  }
  {
    ByteWriter w;  // only scene nodes hold children
    Group(w, 1, -1, {0});
    w.Head(2, "YNX.Camera", "c");
    w.Head(3, "YNX.Camera", "p");
    NodeFields(w, -1).F32(1).F32(1).F32(2);
    cases.push_back({"a parent that is no group", NodeRest(w).F32(1).F32(1).F32(2)});
  }
  {
    ByteWriter w;
    w.Head(1, "YNX.CountedGroup", "g");
    NodeFields(w, -1).I32(0).I32(-1).I32(1);
    cases.push_back({"negative slot count", w});
  }
  {
    ByteWriter w;
    w.Head(1, "YNX.CountedGroup", "g");
    NodeFields(w, -1).I32(0).I32(0x7FFFFFFF).I32(1);
    cases.push_back({"more slots than bytes", w});
  }
  {
    ByteWriter w;
    w.Head(1, "YNX.CountedGroup", "g");
    NodeFields(w, -1).I32(0x40000000);
    cases.push_back({"more effects than bytes", w});
  }
  for (int32_t increment : {-1, SceneNode::MAX_GROWTH_INCREMENT + 1}) {
    ByteWriter w;
    w.Head(1, "YNX.CountedGroup", "g");
    NodeFields(w, -1).I32(0).I32(0).I32(increment);
    cases.push_back({"absurd increment", w});
  }
  {
    ByteWriter w;  // a chain of single children one level too deep
    for (int32_t level = 0; level <= Node::MAX_DEPTH; ++level) {
      Group(w, level + 1, level == 0 ? -1 : level, {0});
    }
    w.I32(-1);
    cases.push_back({"deeper than the nesting bound", w});
  }

  {
    // Each controller holds the next group of a chain, which takes the one
    // before as its child: deep without nesting.
    ByteWriter w;
    const int32_t length = Node::MAX_DEPTH + 1;
    w.Head(1, "YNX.CountedGroup", "g", length);
    for (int32_t k = 1; k <= length; ++k) {
      w.Head(1000 + k, "YNX.LinkController", "").I8(1);
      Group(w, 2000 + k, -1, {0}).I32(k == 1 ? -1 : 2000 + k - 1);
    }
    NodeFields(w, -1).I32(0).I32(0).I32(1);
    cases.push_back({"a chain deeper than the tree allows", w});
  }

  for (const BadTree& bad : cases) {
    SCOPED_TRACE(bad.what);
    test::CapturedLog log;
    const int32_t liveBefore = CountedGroup::live;
    int32_t state = 0;
    EXPECT_FALSE(ReadOne(bad.bytes, &state));
    EXPECT_EQ(state, 1);
    EXPECT_EQ(CountedGroup::live, liveBefore) << "a failed read frees everything it made";
  }
}

}  // namespace
}  // namespace ynx
