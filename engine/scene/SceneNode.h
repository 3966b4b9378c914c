#pragma once

#include <cstdint>
#include <memory>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"
#include "engine/scene/Node.h"
#include "engine/scene/NodeEffect.h"

namespace ynx {

// The grouping node: an ordered array of child slots (which may be empty)
// and a list of scene-node effects that draw the whole subtree in passes.
//
// Streamed after the node data: the effect count and the effects in list
// order (loading attaches each at the head, so the list comes back
// reversed), then the slot count, the growth increment and one reference per
// slot, null for an empty one.
//
// A child array refuses a node it cannot hold as a tree: a node that is
// already in a child array, this node or one of its ancestors, a node whose
// parent is another node, or one whose subtree would reach deeper than
// Node::MAX_DEPTH. Loading fails on any of them, and also when a node read
// with this one as its parent is not among its children in the end.
class SceneNode : public Node {
  YNX_DECLARE_CLASS(SceneNode);

 public:
  // A stored increment above this is not a real scene's.
  static constexpr int32_t MAX_GROWTH_INCREMENT = 65536;
  // The streamed class the effect list accepts (and whatever derives from it).
  static constexpr const char* EFFECT_TYPE = "YNX.SceneNodeEffect";

  // One empty slot, growing by 2: what the object stream starts from.
  SceneNode();
  // slotCount empty slots; a full array grows by increment slots at a time, or
  // not at all for 0.
  SceneNode(const String& name, int32_t slotCount, int32_t increment);
  ~SceneNode() override;

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  // Node's search, then the effects in list order, then the children in
  // slot order.
  Object* FindByName(const String& name) override;
  void CollectByType(const Rtti& type, Array<Object*>& result) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  // The controllers, the world transformation, the effects, then each child
  // through UpdateRecursive(time, false): transforms are computed
  // parent-first, bounds on the way back.
  void Update(double time) override;
  // Without effects, each child in slot order. Otherwise, per enabled effect
  // in list order and per pass it does not skip: the children, then the
  // renderer's sorted nodes. Disabled effects draw nothing.
  void Draw(SceneRenderer& renderer) override;
  // The first child sphere copied, every later one merged in; with none,
  // the bound keeps its previous value.
  void UpdateBound() override;

  int32_t GetSlotCount() const { return static_cast<int32_t>(children->Count()); }
  int32_t GetGrowthIncrement() const { return growBy; }
  // Null for an empty slot or one out of range.
  Node* GetChild(int32_t slot) const;
  // Puts the node (or nothing) in an existing slot, releasing the one there;
  // the child's parent link is left as it is. 0, or 3 for a slot out of
  // range or a node the array cannot hold.
  int32_t SetChild(int32_t slot, Node* child);
  // Appends a slot holding the node (or nothing) and makes this node its
  // parent: how code builds a hierarchy. 0; 1 when the array is full and
  // does not grow (nothing is appended); 3 for a node it cannot hold.
  int32_t AppendChild(Node* child);

  // Takes a reference, puts the effect at the head of the list and makes
  // this node its owner: 0; null or an effect already listed is ignored (3);
  // 2 without memory.
  int32_t AddEffect(NodeEffect* effect);
  // Releases the effect and clears its owner; the others keep their order.
  // An effect not in the list is ignored.
  void RemoveEffect(NodeEffect* effect);
  int32_t GetEffectCount() const;
  // Counted from the head; null past the end.
  NodeEffect* GetEffect(int32_t index) const;

 private:
  friend class Node;

  struct EffectEntry {
    Ptr<NodeEffect> effect;
    EffectEntry* next;
  };

  int32_t LoadContent(MemoryStream& stream);
  // count empty slots growing by increment, the old children detached.
  void ResetChildren(int32_t count, int32_t increment);
  bool CanHold(const Node* child) const;
  void Attach(Node* child);
  void Detach(Node* child);
  void DropEffects();
  void DropChildren();

  std::unique_ptr<Array<Ptr<Node>>> children;
  int32_t growBy;
  EffectEntry* effects = nullptr;

  // While Load runs: nodes read since with this one as their parent may
  // still be taken as children. Counts those not taken yet.
  bool loading = false;
  int32_t awaitedChildren = 0;
  // Set while a search walks the effects and children, so that a reference
  // back to this node from below ends the search instead of looping.
  bool walking = false;
};

}  // namespace ynx
