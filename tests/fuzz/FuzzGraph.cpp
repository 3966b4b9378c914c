#include "tests/fuzz/FuzzGraph.h"

#include <unordered_set>
#include <vector>

#include "engine/animation/AnimationController.h"
#include "engine/animation/SkinController.h"
#include "engine/core/MemoryStream.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "tests/support/CameraOnlyRenderer.h"

namespace ynx::test {

YNX_IMPLEMENT_CLASS(FuzzRecord, Object)

int32_t FuzzRecord::Save(MemoryStream& stream) const {
  if (Object::Save(stream) != 0) return 1;
  stream.WriteInt8(small);
  stream.WriteInt16(medium);
  stream.WriteUInt32(large);
  stream.WriteFloat(single);
  stream.WriteDouble(wide);
  stream.WriteBool(flag);
  stream.WriteBlock(point);
  transformation.Save(stream);
  stream.WriteObject(link);
  return stream.GetState();
}

int32_t FuzzRecord::Load(MemoryStream& stream) {
  if (Object::Load(stream) != 0) return 1;
  stream.ReadInt8(small);
  stream.ReadInt16(medium);
  stream.ReadUInt32(large);
  stream.ReadFloat(single);
  stream.ReadDouble(wide);
  stream.ReadBool(flag);
  stream.ReadBlock(point);
  transformation.Load(stream);
  stream.ReadObject(link);
  return stream.GetState();
}

void FuzzRecord::ReleaseReferences() {
  Object::ReleaseReferences();
  link = nullptr;
}

void FuzzRecord::VisitReferences(const std::function<void(Object*)>& visit) const {
  Object::VisitReferences(visit);
  if (link) visit(link.Get());
}

namespace {

// Every object the root reaches through counted references, each once, in
// the order first met.
std::vector<Ptr<Object>> Reachable(Object* root) {
  std::unordered_set<Object*> seen;
  std::vector<Ptr<Object>> reached;
  std::vector<Object*> pending{root};
  while (!pending.empty()) {
    Object* next = pending.back();
    pending.pop_back();
    if (next == nullptr || !seen.insert(next).second) continue;
    reached.emplace_back(next);
    next->VisitReferences([&](Object* held) { pending.push_back(held); });
  }
  return reached;
}

void ExerciseScene(const std::vector<Ptr<Object>>& objects) {
  std::vector<Camera*> cameras;
  for (const Ptr<Object>& object : objects) {
    if (auto* node = dynamic_cast<Node*>(object.Get())) {
      node->UpdateRecursive(0.016, true);
      if (auto* geometry = dynamic_cast<GeometryNode*>(node)) {
        geometry->RebuildDerivedData(true, true);
      }
      if (auto* camera = dynamic_cast<Camera*>(node)) cameras.push_back(camera);
    }
  }
  // Controllers wherever they hang (or none): plain frames, a huge step, and
  // the stage operations the screensaver controller uses.
  for (const Ptr<Object>& object : objects) {
    auto* controller = dynamic_cast<Controller*>(object.Get());
    if (controller == nullptr) continue;
    controller->Update(0.016);
    controller->Update(1e30);
    if (auto* animation = dynamic_cast<AnimationController*>(controller)) {
      if (animation->GetAnimationCount() > 0 && animation->GetAnimation(0) != nullptr) {
        animation->SetStageAnimationByName(animation->GetAnimation(0)->GetName(), 1, 0.5f);
      }
      animation->SetStageWeight(0, 0.25f);
      animation->Update(0.016);
      animation->Reset();
    }
    if (auto* skin = dynamic_cast<SkinController*>(controller)) skin->UpdateSkinBound();
  }
  // Drawing without a renderer: culling and the effects' technique search.
  test::CameraOnlyRenderer renderer;
  for (Camera* camera : cameras) {
    renderer.eye = camera;
    for (const Ptr<Object>& object : objects) {
      if (auto* node = dynamic_cast<Node*>(object.Get())) node->Render(renderer);
    }
  }
}

}  // namespace

void ExerciseAndRelease(Ptr<Object>& root) {
  root->FindByName(String("missing"));
  Array<Object*> all(1, 16);
  root->CollectByType(Object::Type(), all);
  root->UpdateControllers(0.016);

  const std::vector<Ptr<Object>> held = Reachable(root.Get());
  ExerciseScene(held);
  for (const Ptr<Object>& object : held) object->ReleaseReferences();
  root = nullptr;
}

}  // namespace ynx::test
