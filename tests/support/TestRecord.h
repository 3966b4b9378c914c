#pragma once

#include "engine/core/Controller.h"
#include "engine/core/Object.h"

namespace ynx::test {

// A concrete class with a number, a text and a list of references, streamed
// after its object data as: int32 number, String text, int32 count, refs.
// A negative number drops the references once they are read.
class TestRecord : public Object {
  YNX_DECLARE_CLASS(TestRecord);

 public:
  explicit TestRecord(const String& name = String()) : Object(name) { ++live; }
  ~TestRecord() override { --live; }

  int32_t Save(MemoryStream& stream) const override;
  int32_t Load(MemoryStream& stream) override;
  void ReleaseReferences() override;
  void VisitReferences(const std::function<void(Object*)>& visit) const override;

  int32_t number = 0;
  String text;
  Array<Ptr<Object>> links{1, 1};
  // Records alive right now, to check that failed loads free what they made.
  static inline int32_t live = 0;
};

// A concrete controller that counts its updates.
class TestController : public Controller {
  YNX_DECLARE_CLASS(TestController);

 public:
  explicit TestController(const String& name = String()) : Controller(name) {}

  void Update(double time) override;

  int32_t updates = 0;
  double elapsed = 0.0;
};

}  // namespace ynx::test
