#include "engine/scene/SceneNode.h"

#include <algorithm>
#include <memory>
#include <new>

#include "engine/core/FieldReader.h"
#include "engine/core/FieldWriter.h"
#include "engine/core/Log.h"
#include "engine/scene/SceneRenderer.h"
#include "engine/scene/BoundingVolume.h"

namespace ynx {
namespace {

// What drawing a child reads of the child itself: a geometry node's fields
// (320 bytes) wherever its allocation starts within a cache line.
constexpr size_t PREFETCHED_BYTES = 384;

}  // namespace

YNX_IMPLEMENT_CLASS(SceneNode, Node)

SceneNode::SceneNode() : SceneNode(String(), 1, 2) {}

SceneNode::SceneNode(const String& name, int32_t slotCount, int32_t increment)
    : Node(name), growBy(0) {
  ResetChildren(std::max(slotCount, 0), std::clamp(increment, 0, MAX_GROWTH_INCREMENT));
}

SceneNode::~SceneNode() {
  DropEffects();
  DropChildren();
}

void SceneNode::DropEffects() {
  while (effects != nullptr) {
    EffectEntry* entry = effects;
    effects = entry->next;
    if (entry->effect->GetOwner() == this) entry->effect->SetOwner(nullptr);
    delete entry;
  }
}

void SceneNode::DropChildren() {
  if (!children) return;
  for (Ptr<Node>& slot : *children) {
    if (!slot) continue;
    Detach(slot.Get());
    slot = nullptr;
  }
}

void SceneNode::ResetChildren(int32_t count, int32_t increment) {
  DropChildren();
  children = std::make_unique<Array<Ptr<Node>>>(static_cast<uint32_t>(count),
                                                static_cast<uint32_t>(increment));
  growBy = increment;
  for (int32_t i = 0; i < count; ++i) children->Append(Ptr<Node>());
}

void SceneNode::ReleaseReferences() {
  DropEffects();
  DropChildren();
  Node::ReleaseReferences();
}

void SceneNode::VisitReferences(const std::function<void(Object*)>& visit) const {
  Node::VisitReferences(visit);
  for (const EffectEntry* entry = effects; entry != nullptr; entry = entry->next) {
    visit(entry->effect.Get());
  }
  for (const Ptr<Node>& slot : *children) {
    if (slot) visit(slot.Get());
  }
}

int32_t SceneNode::Save(MemoryStream& stream) const {
  FieldWriter out(stream, *this, Node::Save(stream));
  out.Field("Невозможно сохранить количество эффектов. Имя[%s] ID[%d]", GetEffectCount());
  for (const EffectEntry* entry = effects; entry != nullptr; entry = entry->next) {
    out.Field("Невозможно сохранить эффект. Имя[%s] ID[%d]", entry->effect);
  }
  out.Field("Невозможно сохранить количество дочерних узлов. Имя[%s] ID[%d]", GetSlotCount())
      .Field("Невозможно сохранить приращение. Имя[%s] ID[%d]", growBy);
  for (const Ptr<Node>& slot : *children) {
    out.Field("Невозможно сохранить дочерний узел. Имя[%s] ID[%d]", slot);
  }
  return out.Status();
}

int32_t SceneNode::Load(MemoryStream& stream) {
  loading = true;
  const int32_t status = LoadContent(stream);
  loading = false;
  return status;
}

int32_t SceneNode::LoadContent(MemoryStream& stream) {
  // Every reference takes at least its 4-byte ID.
  constexpr int32_t MIN_REFERENCE_BYTES = 4;
  int32_t effectCount = 0;
  int32_t slotCount = 0;
  int32_t increment = 0;
  FieldReader in(stream, *this, Node::Load(stream));
  in.Count("Невозможно загрузить количество эффектов. ID[%d] Имя[%s]", effectCount,
           MIN_REFERENCE_BYTES);
  for (int32_t i = 0; in && i < effectCount; ++i) {
    Ptr<NodeEffect> effect;
    in.Checked(
        "Невозможно загрузить эффект. ID[%d] Имя[%s]",
        [&] { return stream.ReadObject(effect, EFFECT_TYPE); },
        [&] { return AddEffect(effect.Get()) != 2; });
  }
  in.Count("Невозможно загрузить количество дочерних узлов. ID[%d] Имя[%s]", slotCount,
           MIN_REFERENCE_BYTES)
      .Checked("Невозможно загрузить приращение. ID[%d] Имя[%s]", increment,
               [&] { return increment >= 0 && increment <= MAX_GROWTH_INCREMENT; });
  if (!in) return in.Status();
  // The slot count is bounded by the bytes left, so this stays small.
  ResetChildren(slotCount, increment);
  for (int32_t slot = 0; in && slot < slotCount; ++slot) {
    Node* child = nullptr;
    in.Checked("Невозможно загрузить дочерний узел. ID[%d] Имя[%s]", child,
               [&] { return SetChild(slot, child) == 0; });
  }
  // A node that named this one its parent but is not among the children.
  if (in && awaitedChildren != 0) {
    return in.Fail("Невозможно загрузить дочерний узел. ID[%d] Имя[%s]");
  }
  return in.Status();
}

Object* SceneNode::FindByName(const String& name) {
  if (Object* found = Node::FindByName(name)) return found;
  if (walking) return nullptr;
  walking = true;
  Object* found = nullptr;
  for (EffectEntry* entry = effects; entry != nullptr && found == nullptr; entry = entry->next) {
    found = entry->effect->FindByName(name);
  }
  for (uint32_t slot = 0; slot < children->Count() && found == nullptr; ++slot) {
    if (Node* child = (*children)[slot].Get()) found = child->FindByName(name);
  }
  walking = false;
  return found;
}

void SceneNode::CollectByType(const Rtti& type, Array<Object*>& result) {
  if (walking) return;
  Node::CollectByType(type, result);
  walking = true;
  for (EffectEntry* entry = effects; entry != nullptr; entry = entry->next) {
    entry->effect->CollectByType(type, result);
  }
  for (const Ptr<Node>& slot : *children) {
    if (slot) slot->CollectByType(type, result);
  }
  walking = false;
}

void SceneNode::Update(double time) {
  Node::Update(time);
  for (EffectEntry* entry = effects; entry != nullptr; entry = entry->next) {
    entry->effect->Update(time);
  }
  for (const Ptr<Node>& slot : *children) {
    if (slot) slot->UpdateRecursive(time, false);
  }
}

void SceneNode::Draw(SceneRenderer& renderer) {
  // Children lie apart in memory and a frame meets each of them cold: each
  // is asked for two children ahead, its world bound one ahead, so that
  // culling does not wait for either.
  const auto renderChildren = [&] {
    const Ptr<Node>* end = children->end();
    for (const Ptr<Node>* slot = children->begin(); slot != end; ++slot) {
      if (end - slot > 2 && slot[2]) {
        const char* ahead = reinterpret_cast<const char*>(slot[2].Get());
        for (size_t line = 0; line < PREFETCHED_BYTES; line += 64) __builtin_prefetch(ahead + line);
      }
      if (end - slot > 1 && slot[1]) __builtin_prefetch(slot[1]->GetWorldBound());
      if (*slot) (*slot)->Render(renderer);
    }
  };
  if (effects == nullptr) {
    renderChildren();
    return;
  }
  for (EffectEntry* entry = effects; entry != nullptr; entry = entry->next) {
    NodeEffect& effect = *entry->effect;
    if (!effect.IsEnabled()) continue;
    const int32_t passes = effect.PassCount();
    for (int32_t pass = 0; pass < passes; ++pass) {
      if (effect.ApplyPass(pass) != 0) continue;
      renderChildren();
      renderer.FlushSorted();
    }
  }
}

void SceneNode::UpdateBound() {
  if (!GetUpdateWorldBound() || !worldBound) return;
  bool first = true;
  for (const Ptr<Node>& slot : *children) {
    const BoundingVolume* bound = slot ? slot->GetWorldBound() : nullptr;
    if (bound == nullptr || bound->GetVolumeType() != BoundingVolume::TYPE_SPHERE) continue;
    if (first) {
      worldBound->CopyFrom(bound);
      first = false;
    } else {
      worldBound->Merge(bound);
    }
  }
}

Node* SceneNode::GetChild(int32_t slot) const {
  if (slot < 0 || slot >= GetSlotCount()) return nullptr;
  return (*children)[static_cast<uint32_t>(slot)].Get();
}

// The node must not be in any child array yet, must not be this node or an
// ancestor of it, must not name another node its parent, and the levels
// above this node plus the child's own must stay within MAX_DEPTH.
bool SceneNode::CanHold(const Node* child) const {
  if (child->holder != nullptr) return false;
  if (child->parent != nullptr && child->parent != this) return false;
  int32_t levels = 0;
  for (const Node* above = this; above != nullptr; above = above->holder) {
    if (above == child) return false;
    ++levels;
  }
  return levels + child->height + 1 <= MAX_DEPTH;
}

void SceneNode::Attach(Node* child) {
  child->holder = this;
  if (child->awaitingParent && child->parent == this) {
    child->awaitingParent = false;
    --awaitedChildren;
  }
  int32_t height = child->height + 1;
  for (Node* above = this; above != nullptr && above->height < height; above = above->holder) {
    above->height = height++;
  }
}

void SceneNode::Detach(Node* child) {
  child->holder = nullptr;
  if (child->parent == this) child->parent = nullptr;
}

int32_t SceneNode::SetChild(int32_t slot, Node* child) {
  if (slot < 0 || slot >= GetSlotCount()) return 3;
  Ptr<Node>& entry = (*children)[static_cast<uint32_t>(slot)];
  if (entry == child) return 0;
  if (child != nullptr && !CanHold(child)) return 3;
  if (entry) Detach(entry.Get());
  entry = child;
  if (child != nullptr) Attach(child);
  return 0;
}

int32_t SceneNode::AppendChild(Node* child) {
  if (child != nullptr && !CanHold(child)) return 3;
  if (!children->Append(Ptr<Node>(child))) return 1;
  if (child != nullptr) {
    Attach(child);
    child->parent = this;
  }
  return 0;
}

int32_t SceneNode::AddEffect(NodeEffect* effect) {
  if (effect == nullptr) return 3;
  for (const EffectEntry* entry = effects; entry != nullptr; entry = entry->next) {
    if (entry->effect == effect) return 3;
  }
  auto* entry = new (std::nothrow) EffectEntry{effect, effects};
  if (entry == nullptr) {
    LogError("Недостаточно памяти для добавления эффекта. Имя[%s] ID[%d].", GetName().CStr(),
             GetID());
    return 2;
  }
  effects = entry;
  effect->SetOwner(this);
  return 0;
}

void SceneNode::RemoveEffect(NodeEffect* effect) {
  for (EffectEntry** link = &effects; *link != nullptr; link = &(*link)->next) {
    EffectEntry* entry = *link;
    if (entry->effect != effect) continue;
    *link = entry->next;
    if (effect->GetOwner() == this) effect->SetOwner(nullptr);
    delete entry;
    return;
  }
}

int32_t SceneNode::GetEffectCount() const {
  int32_t count = 0;
  for (const EffectEntry* entry = effects; entry != nullptr; entry = entry->next) ++count;
  return count;
}

NodeEffect* SceneNode::GetEffect(int32_t index) const {
  const EffectEntry* entry = effects;
  for (; entry != nullptr && index > 0; --index) entry = entry->next;
  return entry != nullptr && index == 0 ? entry->effect.Get() : nullptr;
}

}  // namespace ynx
