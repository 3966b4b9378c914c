#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/render/Pass.h"

namespace ynx {

class Effect;

// One way of drawing an effect on some class of hardware: Create checks the
// current renderer's capabilities and, when they suffice, makes the passes.
// Owned by its effect; not an object.
class Technique {
 public:
  explicit Technique(Effect* effect) : effect(effect) {}
  Technique(const Technique&) = delete;
  Technique& operator=(const Technique&) = delete;
  virtual ~Technique();

  // True with the passes made; false and nothing made when the renderer
  // lacks what the technique needs.
  virtual bool Create() = 0;

  // Makes the pass current on the current renderer, applies its state and
  // runs its Apply; non-zero skips the pass.
  int32_t ApplyPass(int32_t index);

  int32_t GetPassCount() const { return static_cast<int32_t>(passes.size()); }
  Pass* GetPass(int32_t index) const { return passes[static_cast<size_t>(index)].Get(); }
  Effect* GetEffect() const { return effect; }

 protected:
  void AddPass(Pass* pass) { passes.emplace_back(pass); }

  Effect* effect;

 private:
  std::vector<Ptr<Pass>> passes;
};

}  // namespace ynx
