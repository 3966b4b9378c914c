#pragma once

#include "engine/core/FieldMessage.h"
#include "engine/core/Object.h"
#include "engine/math/Vector3.h"

namespace ynx {

// Decides where a particle starts and which way it flies, both in world
// space. The direction comes out of unit length (or zero when the node's
// transformation collapses it).
class Emitter : public Object {
  YNX_DECLARE_CLASS(Emitter);

 public:
  // Failing to stream the numbers of an emitter or of a particle system.
  static constexpr FieldMessage SAVE_DATA = "Невозможно сохранить данные системы частиц. Имя[%s] ID[%d]";
  static constexpr FieldMessage LOAD_DATA = "Невозможно загрузить данные системы частиц. Имя[%s] ID[%d]";

  explicit Emitter(const String& name = String());

  virtual void Emit(Vector3& position, Vector3& direction) = 0;
};

}  // namespace ynx
