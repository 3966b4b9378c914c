// Cameras and lights aimed at a target node: the aim in world space
// whatever the parent's rotation, the undefined straight-up and zero
// directions, when nothing happens, and the stored target.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/animation/TargetCameraController.h"
#include "engine/animation/TargetLightController.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "tests/scene/SceneTestClasses.h"
#include "tests/support/CutStreams.h"

namespace ynx {
namespace {

using test::ByteWriter;

::testing::AssertionResult Near(const Vector3& actual, const Vector3& expected) {
  const float d = std::fabs(actual.x - expected.x) + std::fabs(actual.y - expected.y) +
                  std::fabs(actual.z - expected.z);
  if (d < 1e-4f) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << actual.x << ", " << actual.y << ", " << actual.z
                                       << ") is not (" << expected.x << ", " << expected.y << ", "
                                       << expected.z << ")";
}

Vector3 Unit(const Vector3& v) {
  Vector3 unit = v;
  unit.Normalize();
  return unit;
}

Transformation Placed(const Vector3& translation, const Quaternion& rotation = {}) {
  return Transformation(translation, rotation, {1, 1, 1});
}

// A rig (a scene node placed and turned) holding the aimed node two units
// along its local z, and a free target node.
struct Rig {
  Rig(Node* aimed, TargetController* controller, const Quaternion& turn, const Vector3& goal)
      : aimed(aimed), controller(controller) {
    rig->SetLocalTransform(Placed({1, 2, 3}, turn));
    rig->AppendChild(aimed);
    aimed->SetLocalTransform(Placed({0, 0, 2}));
    target->SetLocalTransform(Placed(goal));
    target->UpdateRecursive(0.0, false);
    aimed->AttachController(controller);
    controller->SetTarget(target.Get());
  }
  void Frame() { rig->UpdateRecursive(0.04, false); }

  Ptr<SceneNode> rig{new SceneNode(String("rig"), 0, 1)};
  Ptr<Node> aimed;
  Ptr<TargetController> controller;
  Ptr<SceneNode> target{new SceneNode(String("goal"), 0, 1)};
};

// A spot light or a camera, not yet referenced.
Node* Aimed(bool light) {
  if (!light) return new Camera(String("eye"));
  auto* spot = new Light(String("spot"));
  spot->SetLightType(Light::LIGHT_SPOT);
  return spot;
}

const Quaternion QUARTER_TURN_Y{0.0f, 0.70710677f, 0.0f, 0.70710677f};
const Quaternion HALF_TURN_X{1.0f, 0.0f, 0.0f, 0.0f};

TEST(TargetControllerTest, CamerasAndSpotLightsFaceTheTargetWhateverTheParentsTurn) {
  struct Case {
    const char* what;
    bool light;
    Quaternion turn;
    Vector3 goal;
  };
  const Case cases[] = {
      {"camera, parent unturned", false, {}, {5, 2, 9}},
      {"camera, parent a quarter turn about y", false, QUARTER_TURN_Y, {-4, 0, 1}},
      {"camera, parent upside down", false, HALF_TURN_X, {3, 7, -2}},
      {"spot light, parent a quarter turn about y", true, QUARTER_TURN_Y, {0, -3, 0}},
      {"spot light, parent upside down", true, HALF_TURN_X, {10, 2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Ptr<Node> aimed(Aimed(c.light));
    Ptr<TargetController> controller =
        c.light ? Ptr<TargetController>(new TargetLightController())
                : Ptr<TargetController>(new TargetCameraController());
    Rig rig(aimed.Get(), controller.Get(), c.turn, c.goal);
    for (int frame = 0; frame < 2; ++frame) {
      rig.Frame();
      const Vector3 position = Placed({1, 2, 3}, c.turn).TransformPoint({0, 0, 2});
      EXPECT_TRUE(Near(aimed->GetPosition(), position)) << "the position follows the parent";
      EXPECT_TRUE(Near(aimed->GetForward(), Unit(c.goal - position)));
      EXPECT_NEAR(aimed->GetRight().y, 0.0f, 1e-5f) << "the right axis stays level";
      EXPECT_GT(aimed->GetUp().y, 0.0f) << "and +y stays up";
      EXPECT_FALSE(aimed->GetUpdateWorldTransform());
    }
    if (!c.light) {
      // The view follows the aim in the same frame.
      const auto* camera = static_cast<const Camera*>(aimed.Get());
      EXPECT_EQ(camera->GetView(), camera->BuildView());
    }
  }
}

TEST(TargetControllerTest, StraightUpOrAtItsOwnPositionTheAimStaysDefined) {
  Ptr<Camera> camera(new Camera(String("eye")));
  Ptr<TargetCameraController> controller(new TargetCameraController());
  Rig rig(camera.Get(), controller.Get(), {}, {1, 9, 5});
  rig.Frame();
  EXPECT_TRUE(Near(camera->GetForward(), {0, 1, 0}));
  EXPECT_TRUE(Near(camera->GetRight(), {1, 0, 0})) << "straight up, world x stays the right axis";
  EXPECT_TRUE(Near(camera->GetUp(), {0, 0, -1}));

  // Onto the camera itself: the aim of the previous frame is kept.
  rig.target->SetLocalTransform(Placed({1, 2, 5}));
  rig.target->UpdateRecursive(0.0, false);
  rig.Frame();
  EXPECT_TRUE(Near(camera->GetForward(), {0, 1, 0}));
  EXPECT_TRUE(Near(camera->GetUp(), {0, 0, -1}));
  for (const float m : camera->GetView().m) EXPECT_TRUE(std::isfinite(m));
}

TEST(TargetControllerTest, NothingMovesWithoutATargetWhenInactiveOrOnTheWrongOwner) {
  struct Case {
    const char* what;
    bool light;       // the owner is a light, not a camera
    bool lightAimer;  // the controller aims lights
    bool active;
    bool withTarget;
  };
  for (const Case& c : {Case{"inactive", false, false, false, true},
                        Case{"no target", false, false, true, false},
                        Case{"a camera controller on a light", true, false, true, true},
                        Case{"a light controller on a camera", false, true, true, true}}) {
    SCOPED_TRACE(c.what);
    Ptr<Node> aimed(Aimed(c.light));
    Ptr<TargetController> controller =
        c.lightAimer ? Ptr<TargetController>(new TargetLightController())
                     : Ptr<TargetController>(new TargetCameraController());
    Rig rig(aimed.Get(), controller.Get(), QUARTER_TURN_Y, {9, 9, 9});
    controller->SetActive(c.active);
    if (!c.withTarget) controller->SetTarget(nullptr);
    rig.Frame();
    EXPECT_EQ(aimed->GetLocalTransform().rotation, Quaternion());
    EXPECT_TRUE(Near(aimed->GetForward(), {1, 0, 0})) << "the parent's turn alone";
    EXPECT_TRUE(aimed->GetUpdateWorldTransform());
  }
}

// A target controller whose target, a scene node, is stored inline.
ByteWriter TargetBytes(const char* type, int32_t id, int32_t targetId) {
  ByteWriter w;
  w.Head(id, type, "aim").I8(1);
  w.Head(targetId, "YNX.SceneNode", "goal");
  test::NodeFields(w, -1).I32(0).I32(0).I32(2);
  return w;
}

TEST(TargetControllerTest, TargetsAreStoredAsOneReference) {
  struct Case {
    const char* type;
    const char* field;
  };
  for (const Case& c : {Case{"YNX.TargetCameraController", "цель камеры. "},
                        Case{"YNX.TargetLightController", "цель источника света. "}}) {
    SCOPED_TRACE(c.type);
    int32_t state = 1;
    Ptr<Object> loaded = test::ReadOne(TargetBytes(c.type, 3, 4), &state);
    ASSERT_EQ(state, 0);
    ASSERT_EQ(loaded->GetType().GetName(), String(c.type));
    auto* controller = static_cast<TargetController*>(loaded.Get());
    ASSERT_NE(controller->GetTarget(), nullptr);
    EXPECT_EQ(controller->GetTarget()->GetName(), "goal");
    EXPECT_TRUE(test::SameBytes(
        test::Written(controller),
        TargetBytes(c.type, controller->GetID(), controller->GetTarget()->GetID()).Bytes()));

    ByteWriter head;
    head.Head(1, c.type, "aim").I8(1);
    test::ExpectCutsFail(TargetBytes(c.type, 1, 2), {{head.Size(), std::string("Невозможно загрузить ") + c.field + "ID[",
                                std::string("Невозможно сохранить ") + c.field + "Имя["}});
    const test::ClassPart object = [](ByteWriter& w) { w.Str("n").I32(0); };
    test::ExpectOneErrorPerLevel(c.type, {object, [](ByteWriter& w) { w.I8(1); },
                                          [](ByteWriter& w) { w.I32(-1); }});
  }
}

}  // namespace
}  // namespace ynx
