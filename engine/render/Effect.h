#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/render/Technique.h"
#include "engine/scene/NodeEffect.h"

namespace ynx {

// Decides how something is drawn, through an ordered list of techniques:
// the first one the renderer supports becomes the active technique, and its
// passes are what gets drawn. Each class adds its techniques in its
// constructor after its parent's, the most basic first; each goes to the
// front, so the most demanding technique of the most specific class is tried
// first and the parents' follow as fallbacks. Streams nothing beyond the
// object data.
class Effect : public NodeEffect {
  YNX_DECLARE_CLASS(Effect);

 public:
  explicit Effect(const String& name = String());
  ~Effect() override;

  // Once per frame from the node that holds the effect; the base runs the
  // effect's controllers.
  void Update(double time) override;
  virtual void Enable();
  virtual void Disable();
  bool IsEnabled() const override { return enabled; }

  // The active technique's pass count; until one is active, the first
  // technique whose Create succeeds becomes active and every pass of it is
  // marked dirty. 0 (nothing drawn) while none succeeds.
  int32_t PassCount() override;
  int32_t ApplyPass(int32_t index) override;

  int32_t GetTechniqueCount() const { return static_cast<int32_t>(techniques.size()); }
  Technique* GetTechnique(int32_t index) const { return techniques[static_cast<size_t>(index)].get(); }
  Technique* GetActiveTechnique() const { return activeTechnique; }

 protected:
  // Takes the technique and puts it at the front of the list; null is
  // ignored.
  void AddTechnique(Technique* technique);
  // Every pass of the active technique is recorded anew at its next use.
  void MarkPassesDirty();

 private:
  std::vector<std::unique_ptr<Technique>> techniques;
  Technique* activeTechnique = nullptr;
  bool enabled = true;
};

}  // namespace ynx
