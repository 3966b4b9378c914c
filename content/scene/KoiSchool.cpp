#include "content/scene/KoiSchool.h"

#include <cmath>
#include <string>

#include "content/geometry/GardenMeshes.h"
#include "engine/animation/AnimationFrame.h"
#include "engine/animation/NodeAnimation.h"
#include "engine/animation/NodeAnimationController.h"
#include "engine/animation/SkeletonAnimationController.h"
#include "engine/render/VelvetTexture1DLEffect.h"

namespace ynx::content {

namespace {

constexpr float TAU = 6.2831853f;
const Vector3 ONE{1.0f, 1.0f, 1.0f};

Quaternion Yaw(float angle) { return Quaternion{0.0f, std::sin(angle * 0.5f), 0.0f, std::cos(angle * 0.5f)}; }

// A pose cycle for every bone after the head, each bent by the same yaw
// about its parent, so that the spine curls: the swimming beat swings the
// curl from side to side, the turn holds it to one side.
NodeAnimation* Bend(const char* name, const Vector3& bone, float centre, float swing) {
  auto* bend = new NodeAnimation(String(name));
  for (int k = 0; k < 8; ++k) {
    const float t = static_cast<float>(k) / 8.0f;
    bend->AddNodeKey(t, bone, Yaw(centre + swing * std::sin(t * TAU)), ONE);
  }
  return bend;
}

// The next bone down the spine: the first child in any slot.
Node* NextBone(Node* bone) {
  auto* group = dynamic_cast<SceneNode*>(bone);
  for (int32_t slot = 0; group != nullptr && slot < group->GetSlotCount(); ++slot) {
    if (Node* child = group->GetChild(slot)) return child;
  }
  return nullptr;
}

AnimationFrame Window(Animation* animation, double start, double end, double beats) {
  AnimationFrame frame;
  frame.animation = animation;
  frame.start = start;
  frame.end = end;
  frame.speed = beats;
  return frame;
}

}  // namespace

void KoiSchool::Add(SceneNode* parent, Light* moon, const std::vector<Texture*>& skins, float pondRadius) {
  int index = 0;
  for (Texture* skin : skins) {
    ++index;
    const std::string name = "Koi" + std::to_string(index);
    GardenMeshes::Koi koi = GardenMeshes::MakeKoi(String((name + "Body").c_str()), 0.8f + 0.06f * (index % 3));

    // The carrier swims an ellipse, each koi its own size, speed and way
    // round, head along the path.
    auto* carrier = new SceneNode(String(name.c_str()), 0, 1);
    auto* path = new NodeAnimation(String((name + " path").c_str()));
    const float rx = pondRadius * (0.45f + 0.08f * static_cast<float>(index));
    const float rz = pondRadius * (0.62f - 0.06f * static_cast<float>(index));
    const float way = index % 2 == 0 ? -1.0f : 1.0f;
    // Just under the surface, where the ripples hide them least.
    const float depth = -0.13f - 0.03f * static_cast<float>(index % 3);
    for (int k = 0; k <= 24; ++k) {
      const float t = static_cast<float>(k) / 24.0f;
      const float a = way * t * TAU + static_cast<float>(index);
      const Vector3 at{rx * std::cos(a), depth, rz * std::sin(a)};
      // Heading: +x turned onto the path's tangent.
      const float heading = std::atan2(way * rz * std::cos(a), -way * rx * std::sin(a));
      path->AddNodeKey(t, at, Yaw(heading), ONE);
    }
    auto* swim = new NodeAnimationController(String((name + " swim").c_str()));
    swim->AddAnimation(path);
    AnimationFrame lap;
    lap.animation = path;
    swim->AddFrame(lap);
    swim->SetPeriod(22.0 + 5.0 * index);
    carrier->AttachController(swim);
    parent->AppendChild(carrier);
    carrier->AppendChild(koi.spine.Get());

    // The spine's beat: every bone after the head follows the skeleton's
    // track; swimming, then a turn faded in and out again.
    const Vector3 bone = NextBone(koi.spine.Get())->GetLocalTransform().translation;
    NodeAnimation* beat = Bend("Swim", bone, 0.0f, 0.16f);
    NodeAnimation* turn = Bend("Turn", bone, way * 0.22f, 0.05f);
    auto* skeleton = new SkeletonAnimationController(String((name + " skeleton").c_str()));
    skeleton->AddAnimation(beat);
    skeleton->AddAnimation(turn);
    const double period = 16.0 + 2.0 * index;
    skeleton->AddFrame(Window(beat, 0.0, 0.62, period * 0.62));
    skeleton->AddFrame(Window(turn, 0.5, 0.85, period * 0.35 * 0.6));
    skeleton->AddFrame(Window(beat, 0.75, 1.0, period * 0.25));
    skeleton->SetPeriod(period);
    for (Node* node = NextBone(koi.spine.Get()); node != nullptr; node = NextBone(node)) {
      auto* follow = new NodeAnimationController(node->GetName() + String(" bend"));
      node->AttachController(follow);
      skeleton->AddBoneController(follow);
    }
    koi.spine->AttachController(skeleton);

    // The body after its bones, so that they have moved when it is skinned.
    auto* scales = new VelvetTexture1DLEffect();
    scales->SetTexture(skin);
    scales->SetLight(moon);
    scales->SetVelvet(Color{0.5f, 0.45f, 0.4f, 1.0f}, 0.4f);
    scales->SetMaterial(Color{1.0f, 1.0f, 1.0f, 1.0f}, Color{1.0f, 1.0f, 1.0f, 1.0f}, Color{0.4f, 0.4f, 0.4f, 0.0f},
                        Color{0.05f, 0.04f, 0.03f, 0.0f}, 12.0f);
    scales->SetSkin(koi.skin.Get());
    koi.body->SetEffect(scales);
    parent->AppendChild(koi.body.Get());
  }
}

}  // namespace ynx::content
