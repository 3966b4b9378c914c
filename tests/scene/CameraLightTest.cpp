// Camera matrices and planes, culling with the plane mask (restored per
// subtree), aiming nodes, and the light's effective attenuation.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/scene/Camera.h"
#include "engine/scene/Light.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "tests/support/CameraOnlyRenderer.h"

namespace ynx {
namespace {

void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-5f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST(CameraTest, MatricesOfACameraAtTheOrigin) {
  Ptr<Camera> camera(new Camera());
  camera->SetFrustum(static_cast<float>(M_PI) / 2.0f, 1.0f, 11.0f);
  camera->UpdateRecursive(0.0, false);
  EXPECT_EQ(camera->GetView(), Matrix4::Identity());
  EXPECT_EQ(camera->GetForward(), (Vector3{0, 0, 1}));

  const Matrix4& projection = camera->GetProjection();
  EXPECT_NEAR(projection.m[0], 0.8f, 1e-6f) << "the horizontal factor ignores the window";
  EXPECT_NEAR(projection.m[5], 1.0f, 1e-6f);
  EXPECT_NEAR(projection.m[10], 1.1f, 1e-6f);
  EXPECT_EQ(projection.m[11], 1.0f);
  EXPECT_NEAR(projection.m[14], -1.1f, 1e-6f);
  EXPECT_EQ(projection.m[15], 0.0f);

  // Normals point inwards: near along +Z at the near distance, far back.
  ExpectNear(camera->GetPlane(Camera::PLANE_NEAR).normal, {0, 0, 1});
  EXPECT_NEAR(camera->GetPlane(Camera::PLANE_NEAR).d, 1.0f, 1e-4f);
  ExpectNear(camera->GetPlane(Camera::PLANE_FAR).normal, {0, 0, -1});
  EXPECT_NEAR(camera->GetPlane(Camera::PLANE_FAR).d, -11.0f, 1e-3f);
  const float side = 1.0f / std::sqrt(1.0f + 0.8f * 0.8f);
  ExpectNear(camera->GetPlane(Camera::PLANE_LEFT).normal, {0.8f * side, 0, side});
  ExpectNear(camera->GetPlane(Camera::PLANE_RIGHT).normal, {-0.8f * side, 0, side});
  ExpectNear(camera->GetPlane(Camera::PLANE_TOP).normal, {0, -std::sqrt(0.5f), std::sqrt(0.5f)});
  ExpectNear(camera->GetPlane(Camera::PLANE_BOTTOM).normal, {0, std::sqrt(0.5f), std::sqrt(0.5f)});
}

TEST(CameraTest, AMovedCameraLooksAlongItsWorldAxes) {
  Ptr<SceneNode> rig(new SceneNode(String("rig"), 0, 1));
  Ptr<Camera> camera(new Camera());
  rig->AppendChild(camera.Get());
  rig->SetLocalTransform(Transformation({0, 0, -5}, {}, {1, 1, 1}));
  camera->SetDirection({1, 0, 0});
  camera->SetFrustum(1.0f, 0.5f, 100.0f);
  rig->UpdateRecursive(0.0, true);
  ExpectNear(camera->GetForward(), {1, 0, 0});
  ExpectNear(camera->GetUp(), {0, 1, 0});
  ExpectNear(camera->GetRight(), {0, 0, -1});
  ExpectNear(camera->GetView().TransformPoint({3, 0, -5}), {0, 0, 3});
  ExpectNear(camera->GetPlane(Camera::PLANE_NEAR).normal, {1, 0, 0});
  EXPECT_NEAR(camera->GetPlane(Camera::PLANE_NEAR).d, 0.5f, 1e-4f);
}

TEST(CameraTest, AimingNodes) {
  Camera camera;
  camera.SetDirection({0, 0, 1});
  const Quaternion q = camera.GetLocalTransform().rotation;
  EXPECT_NEAR(std::fabs(q.w), 1.0f, 1e-6f) << "looking along +Z is no rotation";
  EXPECT_FALSE(camera.GetLocalTransform().identity || camera.GetLocalTransform().rotationFree);

  // Straight up the right axis stays world X instead of collapsing.
  camera.SetDirection({0, 5, 0});
  camera.UpdateWorldTransform();
  ExpectNear(camera.GetForward(), {0, 1, 0});
  ExpectNear(camera.GetRight(), {1, 0, 0});
  ExpectNear(camera.GetUp(), {0, 0, -1});
  camera.SetDirection({0, 0, 0});
  camera.UpdateWorldTransform();
  ExpectNear(camera.GetForward(), {0, 1, 0});  // a zero direction changes nothing
}

TEST(CameraTest, CullingWithThePlaneMask) {
  Ptr<Camera> camera(new Camera());
  camera->UpdateRecursive(0.0, false);
  const int32_t all = Camera::ALL_PLANES;

  SphereBoundingVolume behind({0, 0, -10}, 1);
  EXPECT_TRUE(camera->IsCulled(&behind));
  EXPECT_EQ(camera->GetPlaneMask(), all) << "the near plane, tested first, culls it";
  SphereBoundingVolume ahead({0, 0, 50}, 1);
  EXPECT_FALSE(camera->IsCulled(&ahead));
  EXPECT_EQ(camera->GetPlaneMask() & 63, 0);
  camera->SetPlaneMask(all);
  EXPECT_FALSE(camera->IsCulled(nullptr));

  // The culled draw traversal: each node tests its bound, its subtree sees
  // the planes it still straddles, and siblings start from the same mask.
  struct Item {
    const char* name;
    Vector3 center;
    float radius;
  };
  std::vector<std::string> drawn;
  // A group that notes the mask it is drawn with.
  struct Probe : SceneNode {
    Probe(const char* name, std::vector<std::string>& log, Camera& eye)
        : SceneNode(String(name), 0, 1), log(log), eye(eye) {}
    void Draw(SceneRenderer& renderer) override {
      log.push_back(std::string(GetName().CStr()) + "/" + std::to_string(eye.GetPlaneMask() & 63));
      SceneNode::Draw(renderer);
    }
    std::vector<std::string>& log;
    Camera& eye;
  };
  test::CameraOnlyRenderer renderer;
  renderer.eye = camera.Get();
  Ptr<SceneNode> root(new Probe("root", drawn, *camera));
  const Item items[] = {
      {"inside", {0, 0, 50}, 1}, {"left edge", {-24, 0, 50}, 5}, {"behind", {0, 0, -10}, 1}};
  for (const Item& item : items) {
    auto* node = new Probe(item.name, drawn, *camera);
    static_cast<SphereBoundingVolume*>(node->GetWorldBound())->Set(item.center, item.radius);
    root->AppendChild(node);
  }
  auto* outsideButUntested = new Probe("under inside", drawn, *camera);
  static_cast<SphereBoundingVolume*>(outsideButUntested->GetWorldBound())->Set({999, 0, 50}, 1);
  static_cast<SceneNode*>(root->GetChild(0))->AppendChild(outsideButUntested);
  static_cast<SphereBoundingVolume*>(root->GetWorldBound())->Set({}, 1e6f);

  root->Render(renderer);
  EXPECT_EQ(drawn,
            (std::vector<std::string>{"root/63", "inside/0", "under inside/0", "left edge/8"}));
  EXPECT_EQ(camera->GetPlaneMask(), all);
}

TEST(LightTest, AttenuationOnlyWhenAttenuated) {
  Light light;
  EXPECT_EQ(light.GetLightType(), Light::LIGHT_FIXED_DIRECTIONAL);
  EXPECT_EQ(light.GetDiffuse(), (Color{0, 0, 0, 1}));
  light.SetAttenuation({0.5f, 2.0f, 3.0f}, false);
  EXPECT_EQ(light.GetAttenuation(), (Vector3{1, 0, 0}));
  light.SetAttenuation({0.5f, 2.0f, 3.0f}, true);
  EXPECT_EQ(light.GetAttenuation(), (Vector3{0.5f, 2.0f, 3.0f}));
}

}  // namespace
}  // namespace ynx
