// The keyframe machinery: key search, stage fractions, the track phase,
// frame windows with their cross-fade weights and play modes, node poses,
// stage operations, and the post-update controller's hand-over.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "engine/animation/NodeAnimation.h"
#include "engine/animation/NodeAnimationController.h"
#include "engine/animation/PostUpdateController.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Vector3Buffer.h"

namespace ynx {
namespace {

// Keys whose translation.x is ten times their time, so a sampled pose tells
// the animation time it came from.
Ptr<NodeAnimation> Timeline(const char* name, const std::vector<double>& times) {
  Ptr<NodeAnimation> animation(new NodeAnimation(String(name)));
  for (double time : times) {
    animation->AddNodeKey(time, {static_cast<float>(10 * time), 0, 0}, {}, {1, 1, 1});
  }
  return animation;
}

AnimationFrame Window(const Ptr<NodeAnimation>& animation, double start, double end,
                      int32_t mode = AnimationFrame::MODE_LOOP, double speed = 1.0) {
  return AnimationFrame{animation, mode, start, end, speed, 0.0};
}

// A controller with a one-second track, already at `phase`.
Ptr<NodeAnimationController> Track(const std::vector<AnimationFrame>& frames) {
  Ptr<NodeAnimationController> controller(new NodeAnimationController());
  for (const AnimationFrame& frame : frames) controller->AddFrame(frame);
  controller->SetPeriod(1.0);
  return controller;
}

TEST(KeySearchTest, FindsTheLastKeyAtOrBeforeTheTime) {
  Ptr<NodeAnimation> keys = Timeline("k", {0.2, 0.4, 0.6, 0.8});
  EXPECT_EQ(keys->FindKey(0.1), 3) << "before the first key: the segment wrapping from the last";
  EXPECT_EQ(keys->FindKey(0.2), 0);
  EXPECT_EQ(keys->FindKey(0.5), 1);
  EXPECT_EQ(keys->FindKey(0.6), 2);
  EXPECT_EQ(keys->FindKey(0.95), 3);
  EXPECT_EQ(Timeline("one", {0.5})->FindKey(0.25), 0);

  // Against a plain scan, with repeated times.
  std::mt19937 random(7);
  std::vector<double> times;
  for (int i = 0; i < 200; ++i) times.push_back(std::floor(i / 3.0) / 70.0);
  Ptr<NodeAnimation> many = Timeline("many", times);
  std::uniform_real_distribution<double> anywhere(0.0, 1.0);
  for (int trial = 0; trial < 500; ++trial) {
    const double u = anywhere(random);
    int32_t expected = -1;
    for (size_t i = 0; i < times.size(); ++i) {
      if (times[i] <= u) expected = static_cast<int32_t>(i);
    }
    ASSERT_EQ(many->FindKey(u), expected) << u;
  }
  const int32_t nan = many->FindKey(std::numeric_limits<double>::quiet_NaN());
  EXPECT_TRUE(nan >= 0 && nan < 200);
}

TEST(BlendStageTest, FractionsWrapAndEqualTimesGiveZero) {
  BlendStage stage;
  stage.animation = Timeline("wrap", {0.25, 0.75});
  stage.Advance(0.9);
  EXPECT_EQ(stage.key, 1);
  EXPECT_EQ(stage.nextKey, 0);
  EXPECT_NEAR(stage.fraction, 0.3, 1e-12);
  stage.Advance(0.1);
  EXPECT_EQ(stage.key, 1);
  EXPECT_NEAR(stage.fraction, 0.7, 1e-12);

  stage.animation = Timeline("ends", {0.0, 0.5, 1.0});
  stage.Advance(1.0);
  EXPECT_EQ(stage.key, 2);
  EXPECT_EQ(stage.nextKey, 0);
  EXPECT_EQ(stage.fraction, 0.0) << "after the last key, time 1.0 wraps to the first";

  stage.animation = Timeline("same", {0.3, 0.3});
  stage.Advance(0.3);
  EXPECT_EQ(stage.fraction, 0.0);

  stage.animation = Timeline("bad", {0.0, std::numeric_limits<double>::quiet_NaN()});
  stage.Advance(0.5);
  EXPECT_EQ(stage.fraction, 0.0);

  stage.key = 5;
  stage.animation = Timeline("empty", {});
  stage.Advance(0.5);
  EXPECT_EQ(stage.key, 5) << "no keys, nothing changes";
}

TEST(AnimationControllerTest, ThePhaseWrapsAndBadTracksStayPut) {
  Ptr<NodeAnimationController> track = Track({});
  track->SetPhase(0.999);
  track->Update(0.002);
  EXPECT_NEAR(track->GetPhase(), 0.001, 1e-12);
  track->Update(2.25);
  EXPECT_NEAR(track->GetPhase(), 0.251, 1e-12);

  // A huge step with a tiny period wraps at once instead of counting turns.
  track->SetPeriod(1e-3);
  track->Update(1e300);
  EXPECT_GE(track->GetPhase(), 0.0);
  EXPECT_LT(track->GetPhase(), 1.0);
  track->SetPhase(0.5);
  track->SetPeriod(1e-300);
  track->Update(1e300);  // an infinite step
  EXPECT_EQ(track->GetPhase(), 0.5);
  track->SetPeriod(1.0);
  track->Update(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(track->GetPhase(), 0.5);
  track->SetPhase(-0.25);  // as the screensaver controller may leave it
  track->Update(0.0);
  EXPECT_EQ(track->GetPhase(), 0.75);

  // Without a positive period no frame is ever active and no stage changes.
  Ptr<NodeAnimation> walk = Timeline("walk", {0.0, 0.5});
  for (double period : {0.0, -2.0, std::numeric_limits<double>::quiet_NaN()}) {
    Ptr<NodeAnimationController> still = Track({Window(walk, 0.0, 1.0)});
    still->SetPeriod(period);
    still->Update(0.3);
    EXPECT_EQ(still->GetStageCount(), 0);
    EXPECT_EQ(still->GetPhase(), 0.0);
  }

  // An inactive controller leaves everything, whatever time passes.
  Ptr<NodeAnimationController> off = Track({Window(walk, 0.0, 1.0)});
  off->SetActive(false);
  off->Update(0.3);
  EXPECT_EQ(off->GetStageCount(), 0);
  EXPECT_EQ(off->GetPhase(), 0.0);
}

TEST(AnimationControllerTest, OverlappingWindowsCrossFade) {
  Ptr<NodeAnimation> first = Timeline("first", {0.0});
  Ptr<NodeAnimation> second = Timeline("second", {0.0});
  Ptr<NodeAnimationController> track = Track({Window(first, 0.0, 0.6), Window(second, 0.4, 1.0)});
  track->Update(0.45);
  ASSERT_EQ(track->GetStageCount(), 2);
  EXPECT_EQ(track->GetStage(0).animation, first);
  EXPECT_EQ(track->GetStage(1).animation, second);
  EXPECT_FLOAT_EQ(track->GetStage(1).weight, 0.25f);
  EXPECT_FLOAT_EQ(track->GetStage(0).weight, 0.75f);
  track->Update(0.05);
  EXPECT_FLOAT_EQ(track->GetStage(1).weight, 0.5f);
  EXPECT_FLOAT_EQ(track->GetStage(0).weight, 0.5f);
  // Past the overlap only the second window holds the phase: it moves to
  // stage 0 with full weight and stage 1 is emptied.
  track->Update(0.2);
  EXPECT_EQ(track->GetStage(0).animation, second);
  EXPECT_EQ(track->GetStage(0).weight, 1.0f);
  EXPECT_FALSE(track->GetStage(1).animation);
  EXPECT_EQ(track->GetStage(1).weight, 0.0f);

  // Listed the other way round, the first found fades in.
  Ptr<NodeAnimationController> reversed =
      Track({Window(second, 0.4, 1.0), Window(first, 0.0, 0.6)});
  reversed->Update(0.45);
  EXPECT_FLOAT_EQ(reversed->GetStage(0).weight, 0.25f);
  EXPECT_FLOAT_EQ(reversed->GetStage(1).weight, 0.75f);

  // One window inside the other: half and half.
  Ptr<NodeAnimationController> nested = Track({Window(first, 0.0, 1.0), Window(second, 0.2, 0.8)});
  nested->Update(0.3);
  EXPECT_EQ(nested->GetStage(0).weight, 0.5f);
  EXPECT_EQ(nested->GetStage(1).weight, 0.5f);

  // Windows that touch at one point: the incoming one has not begun.
  Ptr<NodeAnimationController> touching =
      Track({Window(first, 0.0, 0.5), Window(second, 0.5, 1.0)});
  touching->Update(0.5);
  EXPECT_EQ(touching->GetStage(1).weight, 0.0f);
  EXPECT_EQ(touching->GetStage(0).weight, 1.0f);
}

// The key each stage lands on for keys at 0, 0.25, 0.5, 0.75 and 1.
TEST(AnimationControllerTest, ModesMapTheAnimationTime) {
  Ptr<NodeAnimation> quarters = Timeline("q", {0.0, 0.25, 0.5, 0.75, 1.0});
  const auto sampled = [&](std::vector<AnimationFrame> frames, double phase, int32_t stage) {
    Ptr<NodeAnimationController> track = Track(frames);
    track->Update(phase);
    const BlendStage& s = track->GetStage(stage);
    return s.key + s.fraction;
  };
  // Ping-pong: 1.25 plays 0.75 (key 3), 2.25 plays 0.25 (key 1).
  EXPECT_DOUBLE_EQ(sampled({Window(quarters, 0.0, 1.0, 2, 2.5)}, 0.5, 0), 3.0);
  EXPECT_DOUBLE_EQ(sampled({Window(quarters, 0.0, 1.0, 7, 4.5)}, 0.5, 0), 1.0);
  EXPECT_DOUBLE_EQ(sampled({AnimationFrame{quarters, 3, 0.0, 1.0, 1.0, -0.25}}, 0.0, 0), 1.0)
      << "-0.25 lies on an odd turn: backwards to 0.25";
  // Loop: 1.25 plays 0.25.
  EXPECT_DOUBLE_EQ(sampled({Window(quarters, 0.0, 1.0, 1, 2.5)}, 0.5, 0), 1.0);
  // Once at exactly 1: the first stage restarts at 0, a second stage stays
  // at 1 (the last key).
  EXPECT_DOUBLE_EQ(sampled({Window(quarters, 0.0, 0.5, 0)}, 0.5, 0), 0.0);
  EXPECT_DOUBLE_EQ(sampled({Window(quarters, 0.0, 1.0), Window(quarters, 0.0, 0.5, 0)}, 0.5, 1),
                   4.0);
  // Once before its start plays from 0 again.
  EXPECT_DOUBLE_EQ(sampled({AnimationFrame{quarters, 0, 0.0, 1.0, 1.0, -0.5}}, 0.25, 0), 0.0);
  // Speed and offset: ((0.5 - 0.2) * 0.5 + 0.1) / 0.8 = 0.3125.
  Ptr<NodeAnimationController> offset = Track({AnimationFrame{quarters, 1, 0.2, 1.0, 0.5, 0.1}});
  offset->Update(0.5);
  EXPECT_EQ(offset->GetStage(0).key, 1);
  EXPECT_NEAR(offset->GetStage(0).fraction, 0.25, 1e-12);
  // A window of zero length plays its first key instead of dividing by 0.
  EXPECT_DOUBLE_EQ(sampled({Window(quarters, 0.5, 0.5)}, 0.5, 0), 0.0);
}

TEST(NodeAnimationControllerTest, StagesPoseTheOwnerNode) {
  Ptr<SceneNode> node(new SceneNode(String("n"), 0, 1));
  Ptr<NodeAnimation> walk(new NodeAnimation(String("walk")));
  const Quaternion quarterTurn{0.0f, std::sqrt(0.5f), 0.0f, std::sqrt(0.5f)};
  walk->AddNodeKey(0.0, {0, 0, 0}, {}, {1, 1, 1});
  walk->AddNodeKey(0.5, {4, 0, 0}, quarterTurn, {3, 3, 3});
  Ptr<NodeAnimationController> controller = Track({Window(walk, 0.0, 1.0)});
  node->AttachController(controller.Get());
  node->UpdateRecursive(0.25, false);
  const Transformation& local = node->GetLocalTransform();
  EXPECT_FALSE(local.identity || local.rotationFree);
  EXPECT_EQ(local.translation, (Vector3{2, 0, 0}));
  EXPECT_EQ(local.scale, (Vector3{2, 2, 2}));
  const Quaternion half = Quaternion::Slerp(0.5f, Quaternion(), quarterTurn);
  EXPECT_NEAR(local.rotation.y, half.y, 1e-6);
  EXPECT_NEAR(node->GetWorldTransform().translation.x, 2.0f, 1e-6) << "seen in the same frame";

  // Two stages blend one after the other: stage 1 onto the result of stage
  // 0; a pose left from before takes part while stage 0 weighs less than 1.
  Ptr<NodeAnimation> left = Timeline("left", {0.0});
  Ptr<NodeAnimation> right(new NodeAnimation(String("right")));
  right->AddNodeKey(0.0, {8, 0, 0}, {}, {1, 1, 1});
  Ptr<NodeAnimationController> blend = Track({Window(left, 0.0, 0.6), Window(right, 0.4, 1.0)});
  Ptr<SceneNode> blended(new SceneNode(String("b"), 0, 1));
  blended->SetLocalTransform(Transformation({100, 0, 0}, {}, {1, 1, 1}));
  blended->AttachController(blend.Get());
  blend->Update(0.45);  // weights 0.75 and 0.25
  EXPECT_FLOAT_EQ(blended->GetLocalTransform().translation.x,
                  (100 * 0.25f + 0) * 0.75f + 8 * 0.25f);

  // A controller owned by something else than a node changes nothing.
  Ptr<Vector3Buffer> notANode(new Vector3Buffer(1));
  Ptr<NodeAnimationController> stray = Track({Window(walk, 0.0, 1.0)});
  notANode->AttachController(stray.Get());
  stray->Update(0.25);
  EXPECT_EQ(stray->GetStageCount(), 1);
  EXPECT_EQ(notANode->GetElements()[0], (Vector3{}));
}

TEST(NodeAnimationControllerTest, StagesThatNoLongerFitTheirAnimationAreSkipped) {
  Ptr<NodeAnimation> nine = Timeline("nine", {0.0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8});
  Ptr<NodeAnimationController> controller = Track({Window(nine, 0.0, 0.9)});
  Ptr<SceneNode> node(new SceneNode(String("n"), 0, 1));
  node->AttachController(controller.Get());
  controller->Update(0.85);
  EXPECT_EQ(controller->GetStage(0).key, 8);
  const float before = node->GetLocalTransform().translation.x;
  // Swapped for a shorter animation while no window holds the phase: the
  // stale key indices must not be followed.
  controller->SetStageAnimation(Timeline("short", {0.0, 0.5}).Get(), 0, 1.0f);
  controller->Update(0.1);
  EXPECT_EQ(node->GetLocalTransform().translation.x, before);

  // A stage playing an animation of another kind contributes nothing.
  class OtherAnimation : public Animation {
   public:
    const Rtti& GetType() const override { return Animation::Type(); }
    Keyframe* NewKeyframe() const override { return new Keyframe(); }
  };
  Ptr<OtherAnimation> other(new OtherAnimation());
  other->AddKey(0.0);
  Ptr<NodeAnimationController> mixed = Track({AnimationFrame{other, 1, 0.0, 1.0, 1.0, 0.0}});
  Ptr<SceneNode> still(new SceneNode(String("s"), 0, 1));
  still->AttachController(mixed.Get());
  mixed->Update(0.5);
  EXPECT_EQ(mixed->GetStage(0).animation, other);
  EXPECT_EQ(still->GetLocalTransform().translation, (Vector3{}));
}

TEST(AnimationControllerTest, StageOperations) {
  Ptr<NodeAnimationController> controller(new NodeAnimationController());
  Ptr<NodeAnimation> a = Timeline("run", {0.0});
  Ptr<NodeAnimation> b = Timeline("run", {0.0});
  controller->AddAnimation(a.Get());
  controller->AddAnimation(nullptr);
  controller->AddAnimation(b.Get());

  controller->SetStageAnimationByName(String("run"), 2, 0.3f);
  ASSERT_EQ(controller->GetStageCount(), 3);
  EXPECT_EQ(controller->GetStage(2).animation, b) << "the last match wins";
  EXPECT_EQ(controller->GetStage(2).weight, 0.3f);
  EXPECT_FALSE(controller->GetStage(0).animation);
  EXPECT_EQ(controller->GetStage(0).weight, 1.0f);

  controller->SetStageAnimationByName(String("ru"), 2, 0.6f);
  EXPECT_FALSE(controller->GetStage(2).animation);
  EXPECT_EQ(controller->GetStage(2).weight, 0.6f);

  controller->SetStageWeight(5, 0.9f);
  controller->SetStageWeight(-1, 0.9f);
  controller->SetStageAnimation(a.Get(), -3, 0.9f);
  EXPECT_EQ(controller->GetStageCount(), 3);
  controller->SetStageWeight(1, 0.9f);
  EXPECT_EQ(controller->GetStage(1).weight, 0.9f);

  controller->SetPeriod(1.0);
  controller->SetPhase(0.4);
  controller->Reset();
  EXPECT_EQ(controller->GetStageCount(), 0);
  EXPECT_EQ(controller->GetPhase(), 0.0);
}

class Deferred : public PostUpdateController {};

std::vector<PostUpdateController*> listed;

TEST(PostUpdateControllerTest, OnlyActiveControllersGoToTheQueue) {
  Ptr<Deferred> deferred(new Deferred());
  deferred->Update(0.1);  // no renderer, no queue: nothing
  PostUpdateController::SetQueue(
      [](PostUpdateController* controller) { listed.push_back(controller); });
  deferred->Update(0.1);
  deferred->SetActive(false);
  deferred->Update(0.1);
  PostUpdateController::SetQueue(nullptr);
  EXPECT_EQ(listed, std::vector<PostUpdateController*>{deferred.Get()});
}

}  // namespace
}  // namespace ynx
