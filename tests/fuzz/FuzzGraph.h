#pragma once

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/math/Transformation.h"

namespace ynx::test {

// A class that between its fields uses every encoding of the object stream,
// for the fuzzers that load object graphs.
class FuzzRecord : public Object {
  YNX_DECLARE_CLASS(FuzzRecord);

 public:
  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  int8_t small = 0;
  int16_t medium = 0;
  uint32_t large = 0;
  float single = 0;
  double wide = 0;
  bool flag = false;
  Vector3 point;
  Transformation transformation;
  Ptr<Object> link;
};

// Walks a loaded graph the way the engine would (name search, type
// collection, a frame of controllers; for scene nodes a frame update, derived
// geometry and culling against every camera; every controller's update and
// the animation controllers' stage operations), then takes it apart so that
// cycles, which the format allows, are freed too.
void ExerciseAndRelease(Ptr<Object>& root);

}  // namespace ynx::test
