#pragma once

#include <new>

#include "engine/render/Technique.h"

namespace ynx {

class Renderer;

// A technique of one pass, as the material effects have: a test of the
// current renderer's capabilities and a maker of the pass.
class SinglePassTechnique : public Technique {
 public:
  using Supports = bool (*)(const Renderer& renderer);
  // Null when out of memory.
  using MakePass = Pass* (*)(Effect* effect);

  SinglePassTechnique(Effect* effect, Supports supports, MakePass makePass)
      : Technique(effect), supports(supports), makePass(makePass) {}

  // False without a current renderer, when it lacks what the test asks
  // for, or without memory for the pass.
  bool Create() override;

  // The tests most techniques make.
  static bool Always(const Renderer&) { return true; }
  // Vertex and pixel shaders both.
  static bool HasShaders(const Renderer& renderer);
  // A pass of PassType for an effect of EffectType.
  template <class PassType, class EffectType>
  static Pass* Make(Effect* effect) {
    return new (std::nothrow) PassType(static_cast<EffectType*>(effect));
  }

 private:
  Supports supports;
  MakePass makePass;
};

}  // namespace ynx
