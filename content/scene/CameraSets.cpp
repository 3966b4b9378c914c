#include "content/scene/CameraSets.h"

#include <string>
#include <vector>

#include "engine/animation/AnimationFrame.h"
#include "engine/animation/NodeAnimation.h"
#include "engine/animation/NodeAnimationController.h"
#include "engine/animation/TargetCameraController.h"
#include "engine/scene/Camera.h"
#include "engine/scene/FPCamera.h"

namespace ynx::content {

namespace {

struct Shot {
  const char* name;
  // The node the camera looks at: one of the garden's, by name, or a marker
  // of its own at `mark`.
  const char* subject;
  Vector3 mark;
  // Seconds; the camera passes through the points evenly over them.
  double length;
  std::vector<Vector3> path;
  float fieldOfView;
  // Marked as a walk (a first-person camera) rather than a flight.
  bool walk = false;
};

Camera* Fly(SceneNode* root, const Shot& shot) {
  Camera* camera = shot.walk ? new FPCamera(String(shot.name)) : new Camera(String(shot.name));
  camera->SetFrustum(shot.fieldOfView, 0.1f, 200.0f);
  camera->SetLocalTransform(Transformation(shot.path.front(), Quaternion{}, Vector3{1.0f, 1.0f, 1.0f}));
  root->AppendChild(camera);

  Node* subject = nullptr;
  if (shot.subject != nullptr) subject = dynamic_cast<Node*>(root->FindByName(String(shot.subject)));
  if (subject == nullptr) {
    subject = new SceneNode(String(shot.name) + String(" subject"), 0, 1);
    subject->SetLocalTransform(Transformation(shot.mark, Quaternion{}, Vector3{1.0f, 1.0f, 1.0f}));
    root->AppendChild(subject);
  }
  auto* aim = new TargetCameraController(String(shot.name) + String(" aim"));
  aim->SetTarget(subject);
  camera->AttachController(aim);

  auto* path = new NodeAnimation(String(shot.name) + String(" path"));
  const size_t count = shot.path.size();
  for (size_t i = 0; i < count; ++i) {
    path->AddNodeKey(static_cast<double>(i) / static_cast<double>(count - 1), shot.path[i], Quaternion{},
                     Vector3{1.0f, 1.0f, 1.0f});
  }
  auto* flight = new NodeAnimationController(String(shot.name) + String(" flight"));
  flight->AddAnimation(path);
  AnimationFrame once;
  once.animation = path;
  once.mode = AnimationFrame::MODE_ONCE;
  flight->AddFrame(once);
  flight->SetPeriod(shot.length);
  // Attached last so that it comes first: the camera moves, then aims.
  camera->AttachController(flight);
  return camera;
}

}  // namespace

void CameraSets::Add(SceneNode* root) {
  const Shot shots[] = {
      // A slow crane over the pond, rising as it turns.
      {"CraneShot", nullptr, Vector3{0.0f, 0.0f, 0.5f}, 34.0,
       {{-7.0f, 1.4f, -6.0f}, {-3.0f, 3.0f, -8.5f}, {2.5f, 4.6f, -8.0f}, {7.0f, 6.0f, -4.0f}, {8.0f, 7.0f, 1.0f}},
       0.8f},
      // Low over the water, following a koi; inside the rim, so that no
      // grass card stands before the lens.
      {"KoiShot", "Koi1", Vector3{}, 28.0,
       {{-2.4f, 0.75f, -1.6f}, {-0.6f, 0.7f, -2.5f}, {1.5f, 0.7f, -2.2f}, {2.5f, 0.8f, -0.6f}, {2.3f, 0.9f, 1.2f}},
       0.8f},
      // Across the bridge, toward the lantern on the far side.
      {"BridgeShot", nullptr, Vector3{4.4f, 0.8f, -2.8f}, 26.0,
       {{-4.8f, 1.5f, -0.8f}, {-2.0f, 2.0f, -0.3f}, {0.5f, 2.2f, 0.5f}, {3.0f, 1.9f, 0.6f}},
       0.95f,
       true},
      // Up past the bamboo to the moon, the grove on the left: from inside
      // it the leaf cards would fill the picture.
      {"MoonShot", "Moon", Vector3{}, 30.0,
       {{-3.2f, 0.8f, 1.2f}, {-3.6f, 1.6f, 1.9f}, {-4.0f, 2.6f, 2.5f}, {-4.2f, 3.4f, 2.9f}},
       1.0f},
      // A lantern close up, fireflies round it, from the moonlit side with
      // the pond behind it (from the far side it stands against the moon,
      // a dark shape).
      {"LanternShot", nullptr, Vector3{1.8f, 0.9f, 4.6f}, 24.0,
       {{0.0f, 1.1f, 6.6f}, {-0.2f, 1.15f, 6.3f}, {-0.3f, 1.2f, 6.0f}},
       0.58f},
  };
  auto* director = new ScreensaverController(String("Director"));
  for (const Shot& shot : shots) director->AddSet(Fly(root, shot), 1.5, shot.length);
  root->AttachController(director);
}

}  // namespace ynx::content
